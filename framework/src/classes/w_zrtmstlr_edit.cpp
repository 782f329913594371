// w_zrtmstlr_edit: the record window of a work record (scale port, card
// writing, entry mode). A grid whose one retrieval argument is as_cdadidstem
// (a code without its split letter) lists the record's splits: the records
// whose code differs from this one's in the last character alone. It shows them
// once the record is there, the record's own split current.
#include "formhost/functions.h"
#include "formhost/text.h"
#include "support/frame.h"
#include "zr_group_w_zrtmstlr_edit.h"

ZR_EVENT(w_zrtmstlr_edit, pfc_postopen) {
  fh::Object* form = zrf::find_control(s.self(), "dw_maint");
  fh::DataWindow* record = form == nullptr ? nullptr : form->datawindow();
  if (record == nullptr || !record->has_object() || record->get_row() < 1 ||
      record->object().column("cdadid") == nullptr) {
    return {};
  }
  const fh::Value code = fh::String(record->get_item(record->get_row(), "cdadid"));
  const fh::Value stem[] = {fh::Left(code, fh::Len(code) - 1)};
  const fh::Value key = record->object().column("sjdzld") == nullptr
                            ? fh::Value()
                            : record->get_item(record->get_row(), "sjdzld");
  for (fh::Object* grid : zrf::datawindows(s.self())) {
    fh::DataWindow& dw = *grid->datawindow();
    if (grid == form || !dw.has_object() || dw.object().arguments().size() != 1 ||
        !fh::text::iequal(dw.object().arguments()[0].name, "as_cdadidstem")) {
      continue;
    }
    if (zrf::retrieve_with(s, *grid, stem) < 0) continue;
    for (long r = 1; r <= dw.row_count() && dw.object().column("sjdzld") != nullptr; ++r) {
      if (same(dw.get_item(r, "sjdzld"), key)) dw.scroll_to_row(r);
    }
  }
  return {};
}

ZR_REGISTER(w_zrtmstlr_edit)
