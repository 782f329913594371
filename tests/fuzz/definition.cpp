// Class definitions (w_*.srw): a file either parses or is refused with
// fh::Error naming its line; every control, variable, property and event
// parsed is found again by its name, in any case.
#include "formhost/definition.h"

#include "formhost/errors.h"
#include "formhost/text.h"
#include "fuzz_target.h"

ZR_FUZZ_TARGET(definition) {
  fh::ClassDefinition d;
  try {
    d = fh::ClassDefinition::parse(zrfuzz::bytes(data, size), "w_fuzz.srw");
  } catch (const fh::Error& e) {
    zrfuzz::check(std::string_view(e.what()).starts_with("w_fuzz.srw"),
                  std::string("an error that does not name the file: ") + e.what());
    return 0;
  }
  auto found = [](const auto* p, const std::string& name, const char* what) {
    zrfuzz::check(p != nullptr && fh::text::iequal(p->name, name),
                  std::string(what) + " " + name + " is not found by its name");
  };
  for (const auto& c : d.controls()) found(d.control(fh::text::upper(c.name)), c.name, "control");
  for (const auto& v : d.variables()) found(d.variable(v.name), v.name, "variable");
  for (const auto& e : d.events()) found(d.event(e.name, e.object), e.name, "event");
  for (const auto& p : d.properties()) {
    zrfuzz::check(d.property(p.name) != nullptr, "property " + p.name + " is not found");
  }
  return 0;
}
