// w_zrlist: what every list window does.
//
// Opening: open posts pfc_preopen and pfc_postopen, so a descendant's open
// runs first and its pfc_preopen may still change the switches; pfc_postopen
// lays the window out, applies the switches and retrieves.
// Edit window of a list w_SCREEN (unless is_editwindow names one): the classes
// w_SCREEN..._edit of the library list, by name; the header areas (dw_head,
// dw_folder) open w_SCREEN1_edit when it exists, the other areas
// w_SCREEN_edit when it exists, else the first other one (any one when there
// is only one).
#include <algorithm>
#include <cctype>

#include "formhost/classes.h"
#include "formhost/context.h"
#include "formhost/functions.h"
#include "formhost/session.h"
#include "support/frame.h"
#include "zr_group_w_zrlist.h"

namespace {

using fh::Value;

std::string screen_of(const fh::Object& window) {
  const std::string& name = window.cls().name();
  return name.compare(0, 2, "w_") == 0 ? name.substr(2) : name;
}

std::string edit_window(zr::Script& s, fh::Object& window, const fh::Object& control) {
  const std::string chosen = zrf::text(window.get("is_editwindow"));
  if (!chosen.empty()) return chosen;
  const std::string prefix = "w_" + screen_of(window);
  std::vector<std::string> candidates;
  for (const auto& module : s.ctx().registry().modules()) {
    for (const std::string& name : module->window_names()) {
      const bool edit =
          name.size() >= prefix.size() + 5 && name.compare(0, prefix.size(), prefix) == 0 &&
          name.compare(name.size() - 5, 5, "_edit") == 0 && name.find("_edit") == name.size() - 5;
      if (edit && std::find(candidates.begin(), candidates.end(), name) == candidates.end()) {
        candidates.push_back(name);
      }
    }
  }
  std::sort(candidates.begin(), candidates.end());
  if (candidates.empty()) return {};
  const std::string header_edit = prefix + "1_edit";
  const bool header = control.name() == "dw_head" || control.name() == "dw_folder";
  const bool has_header_edit =
      std::find(candidates.begin(), candidates.end(), header_edit) != candidates.end();
  if (header && has_header_edit) return header_edit;
  // The screen's own editor serves the other areas when there is one.
  const std::string own_edit = prefix + "_edit";
  if (!header && std::find(candidates.begin(), candidates.end(), own_edit) != candidates.end())
    return own_edit;
  for (const std::string& c : candidates) {
    if (c != header_edit) return c;
  }
  return candidates.front();
}

// The data window an operation works on: the one passed, else dw_items.
fh::Object& target(zr::Script& s) {
  if (fh::Object* c = zrf::find_control(s.self(), "dw_items")) return *c;
  return s.control("dw_items").object();
}

fh::Object& asked_for(zr::Script& s) {
  if (s.arg_count() > 0 && fh::is_valid(s.arg(0))) return *s.arg(0).as_object();
  return target(s);
}

// Opens the edit window with a str_recordmanager: the list's data window and
// the mode ("add" or "edit").
long open_editor(zr::Script& s, fh::Object& control, const char* mode) {
  fh::Object& window = s.self();
  const std::string editor = edit_window(s, window, control);
  if (editor.empty()) {
    s.refuse(window.cls().name() + " has no edit window");
    return 0;
  }
  fh::ObjectRef parm = fh::instantiate(s.ctx().registry().load("str_recordmanager"));
  parm->set("dw_desc", Value::of_object(control.shared_from_this()));
  parm->set("a_retrieveparm1", Value::of_string(mode));
  s.open(editor, Value::of_object(parm));
  return 1;
}

// A database open for viewing only: the menu's add and delete are refused
// with the reason, as typing is.
bool writable(zr::Script& s) {
  const std::string why = s.sqlca().why_read_only();
  if (why.empty()) return true;
  s.refuse(why + ": nothing can be changed");
  return false;
}

bool switched_on(zr::Script& s, const char* member, const char* what) {
  if (zrf::is_yes(s.self().get(member))) return true;
  s.refuse(std::string(what) + " is switched off in " + s.self().cls().name());
  return false;
}

// The items and the tab area beside ("2LV") or below ("2LH") them, split by
// their bar, fill the window right and down from the items' designed place.
void lay_out(zr::Script& s) {
  fh::Object& w = s.self();
  const long width = zrf::number(w, "width"), height = zrf::number(w, "height");
  fh::Object* items = zrf::find_control(w, "dw_items");
  fh::Object* tab = zrf::find_control(w, "tab_1");
  fh::Object* hsplit = zrf::find_control(w, "st_hsplit");
  fh::Object* vsplit = zrf::find_control(w, "st_1");
  if (items == nullptr) return;
  // The items keep their designed place; the areas fill the window from there.
  // Margin at the right edge, gap beside a bar, window frame (borders and
  // title bar) across and down.
  constexpr long kMargin = 9, kGap = 20, kFrameAcross = 50, kFrameDown = 112;
  const long top = zrf::number(*items, "y");
  const long left = zrf::number(*items, "x");
  const long area_w = std::max(0L, width - left - kMargin - kFrameAcross);
  const long area_h = std::max(0L, height - top - kFrameDown);
  const bool below = zrf::text(w.get("is_tab_1_postion")) == "2LH";
  const bool tab_shown = tab != nullptr && zrf::flag(*tab, "visible", true);
  if (!tab_shown) {
    zrf::place(s, *items, left, top, area_w, area_h);
    return;
  }
  if (below) {
    const long tab_h = std::min(zrf::number(*tab, "height"), area_h / 2);
    const long items_h = std::max(0L, area_h - tab_h - kGap);
    zrf::place(s, *items, left, top, area_w, items_h);
    if (hsplit != nullptr) {
      zrf::place(s, *hsplit, left, top + items_h, area_w, zrf::number(*hsplit, "height"));
      hsplit->set("visible", Value::of_bool(true));
    }
    if (vsplit != nullptr) vsplit->set("visible", Value::of_bool(false));
    zrf::place(s, *tab, left, top + items_h + kGap, area_w, tab_h);
  } else {
    const long tab_w = area_w / 3;
    const long items_w = std::max(0L, area_w - tab_w - kGap);
    zrf::place(s, *items, left, top, items_w, area_h);
    if (vsplit != nullptr) {
      zrf::place(s, *vsplit, left + items_w, top, zrf::number(*vsplit, "width"), area_h);
      vsplit->set("visible", Value::of_bool(true));
    }
    if (hsplit != nullptr) hsplit->set("visible", Value::of_bool(false));
    zrf::place(s, *tab, left + items_w + kGap, top, tab_w, area_h);
  }
}

// The menu offers only what the switches allow.
void apply_switches(fh::Object& w) {
  const Value menu = w.get("menuid");
  if (!fh::is_valid(menu)) return;
  const std::pair<const char*, const char*> items[] = {
      {"m_add", "is_add"}, {"m_edit", "is_edit"}, {"m_delete", "is_delete"}};
  for (const auto& [item, member] : items) {
    if (fh::Object* i = menu.as_object()->control(item)) {
      i->set("enabled", Value::of_bool(zrf::is_yes(w.get(member))));
    }
  }
}

void retrieve_areas(zr::Script& s) {
  for (const char* area : {"dw_head", "dw_folder", "dw_items", "dw_help"}) {
    fh::Object* c = zrf::find_control(s.self(), area);
    if (c == nullptr || c->datawindow() == nullptr || !c->datawindow()->has_object()) continue;
    zrf::retrieve(s, *c);
    if (std::string_view(area) == "dw_head")
      s.handle(*c).raise("rowfocuschanged",
                         {Value::of_long(static_cast<std::int32_t>(c->datawindow()->get_row()))});
  }
}

}  // namespace

ZR_EVENT(w_zrlist, open) {
  fh::Object& w = s.self();
  if (zrf::text(w.get("title")).empty()) w.set("title", w.get("is_title"));
  zrf::begin_opening(s, w);
  return {};
}

// The module's menu number: the list's screen number.
ZR_EVENT(w_zrlist, pfc_preopen) {
  const std::string screen = screen_of(s.self());
  std::size_t digits = 0;
  while (digits < screen.size() && std::isdigit(static_cast<unsigned char>(screen[digits])))
    ++digits;
  s.self().set(
      "il_xzmnid",
      Value::of_long(digits == 0 ? 0
                                 : std::stoi(screen.substr(0, std::min<std::size_t>(digits, 9)))));
  return {};
}

ZR_EVENT(w_zrlist, pfc_postopen) {
  apply_switches(s.self());
  // A switch set later (a descendant's own script) still reaches the menu;
  // the actions read the switches when they happen.
  for (const char* member : {"is_add", "is_edit", "is_delete"}) {
    s.self().watch(member, [](fh::Object& w, const Value&) { apply_switches(w); });
  }
  lay_out(s);
  if (zrf::text(s.self().get("is_retrieve_open")) == "retrieve") retrieve_areas(s);
  return {};
}

ZR_EVENT(w_zrlist, resize) {
  lay_out(s);
  return {};
}

ZR_EVENT(w_zrlist, ue_save) { return zrf::save(s, s.self(), zrf::updateable(s.self())); }

ZR_EVENT(w_zrlist, ue_add) {
  if (!switched_on(s, "is_add", "adding") || !writable(s)) return 0;
  return static_cast<int>(open_editor(s, asked_for(s), "add"));
}

ZR_EVENT(w_zrlist, ue_edit) {
  if (!switched_on(s, "is_edit", "changing")) return 0;
  fh::Object& control = asked_for(s);
  if (control.datawindow() == nullptr || control.datawindow()->get_row() < 1) {
    s.refuse("there is no current row to change in " + control.name());
    return 0;
  }
  return static_cast<int>(open_editor(s, control, "edit"));
}

ZR_EVENT(w_zrlist, ue_delete) {
  if (!writable(s)) return 0;
  return s.handle(target(s)).raise("pfc_deleterow");
}

// Reading again drops what was not saved: the operator says what to do first.
ZR_EVENT(w_zrlist, ue_retrieve) {
  if (!zrf::settle_window_edits(s, s.self())) return 0;
  retrieve_areas(s);
  return 1;
}

// 1 keeps the window open: the edits stay (Cancel, or a save that failed).
ZR_EVENT(w_zrlist, closequery) { return zrf::settle_window_edits(s, s.self()) ? 0 : 1; }

ZR_REGISTER(w_zrlist)
