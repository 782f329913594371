// Data-window object sources: a source either parses or is refused with
// fh::Error; what parses prints back to a source that parses to the same
// model (the same printed text), and every column and named control is found
// again by its name.
#include "formhost/dwobject.h"

#include "formhost/errors.h"
#include "formhost/text.h"
#include "fuzz_target.h"

ZR_FUZZ_TARGET(dwobject) {
  fh::DataWindowObject o;
  try {
    o = fh::DataWindowObject::parse(zrfuzz::bytes(data, size), "d_fuzz.srd");
  } catch (const fh::Error&) {
    return 0;
  }
  const std::string printed = o.to_source();
  fh::DataWindowObject again;
  try {
    again = fh::DataWindowObject::parse(printed, "d_fuzz.srd");
  } catch (const fh::Error& e) {
    zrfuzz::fail(std::string("the printed source does not parse: ") + e.what() + "\n" + printed);
  }
  zrfuzz::check(again.to_source() == printed, "printed, parsed and printed again differs:\n" +
                                                  printed + "\n---\n" + again.to_source());
  for (const fh::DwColumn& c : o.columns()) {
    zrfuzz::check(o.column_index(c.name) > 0, "column " + c.name + " is not found by its name");
  }
  for (const fh::DwControl& c : o.controls()) {
    if (!c.name.empty()) {
      zrfuzz::check(o.control(c.name) != nullptr, "control " + c.name + " is not found");
    }
  }
  return 0;
}
