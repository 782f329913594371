// m_main: the list windows' menu. Each item asks its window for one operation;
// m_windows holds one item per list window of the library, which opens it.
#include "formhost/classes.h"
#include "formhost/context.h"
#include "formhost/session.h"
// Its create builds the window menu; the generated one would only call the ancestor's.
#define ZR_SCRIPTS_CREATE
#include "zr_group_m_main.h"

namespace {

zr::Answer ask_window(zr::Script& s, const char* event) {
  fh::Object* window = s.self().window();
  if (window == nullptr) return 0;
  return s.handle(*window).raise(event);
}

}  // namespace

// The library's list windows: those of the modules before the framework's.
ZR_EVENT(m_main, create) {
  fh::ClassRegistry& registry = s.ctx().registry();
  const fh::Module* frame = &s.self().cls().group()->module();
  fh::Object* holder = s.self().control("m_windows");
  if (holder == nullptr) return {};
  const fh::ClassDef& item = registry.load("m_openwindow");
  for (const auto& module : registry.modules()) {
    if (module.get() == frame) break;
    for (const std::string& name : module->window_names()) {
      if (!registry.load(name).is_a("w_zrlist")) continue;
      fh::ObjectRef entry = fh::instantiate(item, "m_open_" + name, holder);
      entry->set("is_window", fh::Value::of_string(name));
      entry->set("text", fh::Value::of_string(name));
      holder->add_control(std::move(entry));
    }
  }
  return {};
}

ZR_EVENT(m_main, m_add, clicked) { return ask_window(s, "ue_add"); }
ZR_EVENT(m_main, m_edit, clicked) { return ask_window(s, "ue_edit"); }
ZR_EVENT(m_main, m_delete, clicked) { return ask_window(s, "ue_delete"); }
ZR_EVENT(m_main, m_retrieve, clicked) { return ask_window(s, "ue_retrieve"); }
ZR_EVENT(m_main, m_save, clicked) { return ask_window(s, "ue_save"); }
ZR_EVENT(m_main, m_close, clicked) {
  if (fh::Object* window = s.self().window()) s.close(s.handle(*window));
  return 0;
}

ZR_REGISTER(m_main)
