#include <dlfcn.h>

#include <algorithm>
#include <atomic>

#include "builtin_classes.h"
#include "elf_exports.h"
#include "formhost/classes.h"
#include "formhost/container.h"
#include "formhost/errors.h"
#include "formhost/schema.h"
#include "formhost/text.h"
#include "mapped_file.h"

namespace fh {
namespace {

using RegistrationEntry = int (*)(fh_host*, const fh_vtable_info**, int);

constexpr std::string_view kEntryPrefix = "getVtableInfo_";
constexpr int kMaxChainDepth = 64;

// Class indexes are unique in the process, so a module's index cache stays
// right for every registry that loads it.
std::atomic<std::int32_t> g_next_class_index{0};

std::string module_list(const std::vector<std::unique_ptr<Module>>& modules) {
  if (modules.empty()) return "no modules loaded";
  std::string out;
  for (const auto& m : modules) out += (out.empty() ? "" : ", ") + m->path();
  return out;
}

}  // namespace

ClassDef::ClassDef(std::string name, Kind kind, const ClassDef* ancestor, const ClassGroup* group,
                   std::uint16_t number)
    : name_(std::move(name)), kind_(kind), ancestor_(ancestor), group_(group), number_(number) {}

bool ClassDef::is_a(std::string_view name) const {
  const std::string wanted = text::lower(name);
  for (const ClassDef* c = this; c != nullptr; c = c->ancestor_) {
    if (c->name_ == wanted) return true;
  }
  return false;
}

const EventDecl* ClassDef::find_event(std::string_view name) const {
  const std::string wanted = text::lower(name);
  for (const ClassDef* c = this; c != nullptr; c = c->ancestor_) {
    for (const EventDecl& e : c->events_) {
      if (e.name == wanted) return &e;
    }
  }
  return nullptr;
}

const EventDecl* ClassDef::find_event(std::uint16_t slot) const {
  for (const ClassDef* c = this; c != nullptr; c = c->ancestor_) {
    for (const EventDecl& e : c->events_) {
      if (e.slot == slot) return &e;
    }
  }
  return nullptr;
}

ScriptRef ClassDef::find_script(std::uint16_t slot) const {
  for (const ClassDef* c = this; c != nullptr; c = c->ancestor_) {
    if (auto it = c->scripts_.find(slot); it != c->scripts_.end()) return {it->second, c};
  }
  return {};
}

const ClassDef& ClassGroup::window_class() const { return *numbers_.at(FH_CLASS_WINDOW); }

const ClassDef* ClassGroup::by_number(std::uint16_t number) const {
  auto it = numbers_.find(number);
  return it == numbers_.end() ? nullptr : it->second;
}

ClassRegistry::ClassRegistry() {
  for (const detail::BuiltinClass& b : detail::builtin_classes()) {
    const ClassDef* ancestor = b.ancestor.empty() ? nullptr : find_loaded(b.ancestor);
    ClassDef& c = make_class(std::string(b.name), b.kind, ancestor, nullptr, 0);
    for (const detail::BuiltinEvent& e : b.events) {
      c.events_.push_back({std::string(e.name), e.slot, e.result});
    }
    by_name_.emplace(c.name_, &c);
  }
}

ClassRegistry::~ClassRegistry() {
  for (const auto& m : modules_) dlclose(m->handle_);
}

ClassDef& ClassRegistry::make_class(std::string name, Kind kind, const ClassDef* ancestor,
                                    const ClassGroup* group, std::uint16_t number) {
  classes_.push_back(std::make_unique<ClassDef>(std::move(name), kind, ancestor, group, number));
  return *classes_.back();
}

const Module& ClassRegistry::add_module(const std::string& path) {
  std::lock_guard lock(mutex_);
  // Read the exports first: it names what is wrong with a file that is no
  // library more plainly than the loader does.
  const detail::MappedFile file(path);
  const std::string_view bytes = file.bytes();
  std::vector<std::string> exports = detail::elf_exported_functions(bytes, path);
  // Class definitions and data-window objects travel in the appended container.
  std::map<std::string, std::string, std::less<>> sources;
  std::vector<std::pair<std::string, std::string>> objects;  // name, source
  if (LibraryContainer::has_container(bytes)) {
    const LibraryContainer container = LibraryContainer::read(bytes, path);
    for (const LibraryContainer::Entry& e : container.entries()) {
      const std::string name = text::lower(e.name);
      if (name.ends_with(".win")) {
        sources[name.substr(0, name.size() - 4)] = e.data;
      } else if (name.ends_with(".srd")) {
        // Parsed when a data window first shows it: most sessions show few.
        objects.emplace_back(name.substr(0, name.size() - 4), e.data);
      }
    }
  }
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    throw Error("cannot load module '" + path + "': " + (why ? why : "unknown reason"));
  }
  auto module = std::make_unique<Module>();
  module->path_ = path;
  module->handle_ = handle;
  for (const std::string& name : exports) {
    if (name.starts_with(kEntryPrefix) && name.size() > kEntryPrefix.size()) {
      module->windows_.push_back(name.substr(kEntryPrefix.size()));
    }
  }
  std::sort(module->windows_.begin(), module->windows_.end());
  module->sources_ = std::move(sources);
  for (auto& [object, source] : objects) {
    if (!dataobjects_.has(object)) {  // the first module wins
      std::string label = path + "(" + object + ".srd)";
      dataobjects_.add(object, std::move(source), std::move(label));
    }
  }

  if (auto fn = reinterpret_cast<fh_functions_fn>(module->symbol("fh_module_functions"))) {
    const fh_function_table* table = fn();
    std::vector<std::pair<std::string, fh_script_fn>> found;
    for (std::size_t i = 0; table != nullptr && i < table->count; ++i) {
      const fh_function_row& row = table->rows[i];
      if (row.name == nullptr || row.fn == nullptr) {
        throw Error("module '" + path + "' lists a global function without a name or entry");
      }
      found.emplace_back(text::lower(row.name), row.fn);
    }
    for (auto& [name, entry] : found) functions_.emplace(std::move(name), entry);  // first wins
  }
  // The schema's decimal columns tell the objects their precision.
  if (const fh_schema_info* schema = module->schema()) {
    dataobjects_.declare_numerics(declared_numerics(*schema));
  }
  modules_.push_back(std::move(module));
  return *modules_.back();
}

const ClassDef& ClassRegistry::load(std::string_view name) {
  std::lock_guard lock(mutex_);
  return load_locked(text::lower(name), 0);
}

const ClassDef* ClassRegistry::find(std::string_view name) {
  std::lock_guard lock(mutex_);
  const std::string lname = text::lower(name);
  if (const ClassDef* c = find_loaded(lname)) return c;
  const auto tick = lname.find('`');
  const std::string window = lname.substr(0, tick);
  const std::string entry_name = std::string(kEntryPrefix) + window;
  const bool provided = std::any_of(modules_.begin(), modules_.end(), [&](const auto& m) {
    return m->symbol(entry_name) != nullptr;
  });
  if (!provided) return nullptr;
  const ClassDef& w = load_locked(window, 0);
  if (tick == std::string::npos) return &w;
  for (const auto& [cname, cls] : w.controls_) {
    if (cname == lname.substr(tick + 1)) return cls;
  }
  return nullptr;
}

fh_script_fn ClassRegistry::function(std::string_view name) const {
  std::lock_guard lock(mutex_);
  auto it = functions_.find(text::lower(name));
  return it == functions_.end() ? nullptr : it->second;
}

const ClassGroup* ClassRegistry::group_by_index(std::int32_t index) const {
  std::lock_guard lock(mutex_);
  auto it = by_index_.find(index);
  return it == by_index_.end() ? nullptr : it->second;
}

const ClassDef* ClassRegistry::find_loaded(std::string_view name) const {
  auto it = by_name_.find(name);
  return it == by_name_.end() ? nullptr : it->second;
}

const ClassDef& ClassRegistry::load_locked(std::string_view name, int depth) {
  if (depth > kMaxChainDepth) {
    throw Error("class '" + std::string(name) + "': its ancestor chain is circular or too deep");
  }
  if (const ClassDef* c = find_loaded(name)) return *c;
  if (const auto tick = name.find('`'); tick != std::string_view::npos) {
    const std::string window(name.substr(0, tick));
    const std::string control(name.substr(tick + 1));
    const ClassDef& w = load_locked(window, depth + 1);
    for (const auto& [cname, cls] : w.controls_) {
      if (cname == control) return *cls;
    }
    throw Error("class '" + window + "' has no control '" + control + "'");
  }
  return load_window(std::string(name), depth);
}

const ClassDef& ClassRegistry::load_window(const std::string& window, int depth) {
  const std::string entry_name = std::string(kEntryPrefix) + window;
  for (const auto& module : modules_) {
    auto entry = reinterpret_cast<RegistrationEntry>(module->symbol(entry_name));
    if (entry == nullptr) continue;

    // Registration is not re-entrant: the entry only hands over its table.
    pending_window_ = window;
    pending_module_ = module.get();
    pending_info_ = nullptr;
    pending_index_ = -1;
    const fh_vtable_info* out = nullptr;
    const int status = entry(as_host(), &out, FH_ABI_VERSION);
    const fh_vtable_info* info = pending_info_;
    const std::int32_t index = pending_index_;
    pending_window_.clear();
    pending_module_ = nullptr;
    pending_info_ = nullptr;

    const std::string where = "class '" + window + "' in module '" + module->path() + "'";
    if (status != FH_STATUS_OK) {
      throw Error("registration of " + where + " failed with status " + std::to_string(status));
    }
    if (info == nullptr || out != info) {
      throw Error("registration of " + where + " did not hand over its script table");
    }
    if (index < 0 || by_index_.count(index) != 0) {
      throw Error("registration of " + where + " gave the class index " + std::to_string(index) +
                  ", which is not a free index of this host");
    }
    auto group = std::make_unique<ClassGroup>();
    group->window_ = window;
    group->group_number_ = info->group;
    group->index_ = index;
    group->module_ = module.get();
    ClassGroup& g = *group;
    link_group(g, *info, depth);
    groups_.push_back(std::move(group));
    by_index_.emplace(index, &g);
    by_name_.emplace(window, &g.window_class());
    return g.window_class();
  }
  throw Error("class '" + window + "' is not in the library list (" + module_list(modules_) + ")");
}

void ClassRegistry::link_group(ClassGroup& g, const fh_vtable_info& info, int depth) {
  const std::string where = "class group of '" + g.window_ + "'";
  if (info.window == nullptr || text::lower(info.window) != g.window_) {
    throw Error(where + ": its table names another window");
  }
  // Ancestor rows first: they name classes of other groups or built-ins.
  std::vector<const fh_class_row*> own;
  for (std::size_t i = 0; i < info.class_count; ++i) {
    const fh_class_row& row = info.classes[i];
    if (row.name == nullptr)
      throw Error(where + ": class " + std::to_string(row.number) + " has no name");
    if (g.numbers_.count(row.number) != 0) {
      throw Error(where + ": class number " + std::to_string(row.number) + " appears twice");
    }
    if (row.ancestor == 0) {
      g.numbers_[row.number] = &load_locked(text::lower(row.name), depth + 1);
    } else {
      own.push_back(&row);
    }
  }
  // Own classes in an order where every ancestor exists before its descendant.
  while (!own.empty()) {
    auto ready = std::find_if(own.begin(), own.end(),
                              [&](const fh_class_row* r) { return g.numbers_.count(r->ancestor); });
    if (ready == own.end()) {
      throw Error(where + ": class " + std::to_string(own.front()->number) +
                  " names an ancestor number that the table does not define");
    }
    const fh_class_row& row = **ready;
    const ClassDef* ancestor = g.numbers_.at(row.ancestor);
    g.numbers_[row.number] =
        &make_class(text::lower(row.name), ancestor->kind(), ancestor, &g, row.number);
    own.erase(ready);
  }
  const ClassDef* window = g.by_number(FH_CLASS_WINDOW);
  if (window == nullptr || window->group() != &g || window->name() != g.window_) {
    throw Error(where + ": class " + std::to_string(FH_CLASS_WINDOW) + " is not the window itself");
  }
  const_cast<ClassDef*>(window)->definition_ = g.module_->definition(g.window_);

  for (std::size_t i = 0; i < info.script_count; ++i) {
    const fh_script_row& row = info.scripts[i];
    const ClassDef* target = g.by_number(row.class_number);
    if (target == nullptr || target->group() != &g || row.event == nullptr) {
      throw Error(where + ": script row " + std::to_string(i) + " names no class of the group");
    }
    auto& cls = const_cast<ClassDef&>(*target);
    const std::string event = text::lower(row.event);
    const EventDecl* known = cls.find_event(event);
    if (known != nullptr && known->slot != row.slot) {
      throw Error(where + ": event '" + event + "' of '" + cls.name_ + "' has slot " +
                  std::to_string(row.slot) + " but its ancestor declares slot " +
                  std::to_string(known->slot));
    }
    if (known == nullptr) cls.events_.push_back({event, row.slot, row.result});
    if (row.script != nullptr) cls.scripts_[row.slot] = row.script;
  }

  // The window's controls: the ancestor's, with this group's overrides and additions.
  auto& wc = const_cast<ClassDef&>(*window);
  wc.controls_ = window->ancestor()->controls_;
  for (const auto& [number, cls] : g.numbers_) {
    if (cls->group() != &g || number == FH_CLASS_WINDOW) continue;
    const auto tick = cls->name().find('`');
    if (tick == std::string::npos) continue;
    const std::string control = cls->name().substr(tick + 1);
    auto it = std::find_if(wc.controls_.begin(), wc.controls_.end(),
                           [&](const auto& c) { return c.first == control; });
    if (it != wc.controls_.end()) {
      it->second = cls;
    } else {
      wc.controls_.emplace_back(control, cls);
    }
  }
}

void ClassRegistry::announce(std::string_view window) {
  (void)window;  // nothing to prepare: the table arrives in register_group
}

std::int32_t ClassRegistry::new_class_index(std::string_view window) {
  (void)window;
  ++index_requests_;
  return g_next_class_index.fetch_add(1);
}

std::int32_t ClassRegistry::register_group(const fh_vtable_info& info, std::int32_t index) {
  if (pending_module_ == nullptr || info.window == nullptr ||
      text::lower(info.window) != pending_window_) {
    return FH_STATUS_FAILED;  // not the registration the host asked for
  }
  pending_info_ = &info;
  pending_index_ = index;
  return FH_STATUS_OK;
}

}  // namespace fh
