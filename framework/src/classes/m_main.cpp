// m_main: the list windows' menu. Each item asks its window for one operation;
// m_windows holds one item per list window of the library, which opens it.
#include "formhost/classes.h"
#include "formhost/context.h"
#include "formhost/session.h"
#include "zr_classes_m_main.h"
#include "zrrt/registration.h"

namespace {

zr::Answer ask_window(zr::Script& s, const char* event) {
  fh::Object* window = s.self().window();
  if (window == nullptr) return 0;
  return s.raise(*window, event);
}

}  // namespace

// clang-format off
#define ZR_GROUP ZR_GROUP_m_main
ZR_WINDOW(m_main, ZR_CLASSES_m_main)

// The library's list windows: those of the modules before the framework's.
ZR_SCRIPT(32770, 32769, 0, "create", FH_RESULT_NONE, kExtends) {
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
ZR_GENERATED_DESTROY()

ZR_SCRIPT(ZR_CLASS_m_main_m_add, ZR_ANCESTOR_m_main_m_add, 50, "clicked", FH_RESULT_LONG, kExtends) {
  return ask_window(s, "ue_add");
}
ZR_SCRIPT(ZR_CLASS_m_main_m_edit, ZR_ANCESTOR_m_main_m_edit, 50, "clicked", FH_RESULT_LONG, kExtends) {
  return ask_window(s, "ue_edit");
}
ZR_SCRIPT(ZR_CLASS_m_main_m_delete, ZR_ANCESTOR_m_main_m_delete, 50, "clicked", FH_RESULT_LONG, kExtends) {
  return ask_window(s, "ue_delete");
}
ZR_SCRIPT(ZR_CLASS_m_main_m_retrieve, ZR_ANCESTOR_m_main_m_retrieve, 50, "clicked", FH_RESULT_LONG, kExtends) {
  return ask_window(s, "ue_retrieve");
}
ZR_SCRIPT(ZR_CLASS_m_main_m_save, ZR_ANCESTOR_m_main_m_save, 50, "clicked", FH_RESULT_LONG, kExtends) {
  return ask_window(s, "ue_save");
}
ZR_SCRIPT(ZR_CLASS_m_main_m_close, ZR_ANCESTOR_m_main_m_close, 50, "clicked", FH_RESULT_LONG, kExtends) {
  if (fh::Object* window = s.self().window()) s.close(*window);
  return 0;
}

ZR_REGISTER(m_main)
// clang-format on
