// The class registry: built-in classes, the modules of the library list, the
// class groups they register, and event lookup along the ancestor chain.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "formhost/abi.h"
#include "formhost/datawindow.h"
#include "formhost/definition.h"
#include "formhost/export.h"

namespace fh {

class ClassGroup;
class Module;

// What a class is at bottom: the built-in class its chain ends in.
enum class Kind : std::uint8_t {
  kWindow,
  kDataWindow,
  kCommandButton,
  kCheckBox,
  kStaticText,
  kSingleLineEdit,
  kUserObject,
  kTab,
  kUserPage,
  kLine,
  kMenu,
  kNonVisual,
  kStructure,
  kMessage,
};

struct EventDecl {
  std::string name;  // lower case
  std::uint16_t slot;
  fh_result_type result;
};

// The script that answers an event slot for a class: the nearest one up the chain.
struct ScriptRef {
  fh_script_fn fn = nullptr;
  const class ClassDef* owner = nullptr;  // the class that scripts it
  explicit operator bool() const { return fn != nullptr; }
};

class FH_API ClassDef {
 public:
  ClassDef(std::string name, Kind kind, const ClassDef* ancestor, const ClassGroup* group,
           std::uint16_t number);

  const std::string& name() const { return name_; }
  Kind kind() const { return kind_; }
  const ClassDef* ancestor() const { return ancestor_; }
  const ClassGroup* group() const { return group_; }  // null for built-in classes
  std::uint16_t number() const { return number_; }    // number inside its group

  // True when this class is `name` or descends from it.
  bool is_a(std::string_view name) const;
  // Declared events, own or inherited; null when the class has no such event.
  const EventDecl* find_event(std::string_view name) const;
  const EventDecl* find_event(std::uint16_t slot) const;
  // The most derived script for a slot, from this class upward.
  ScriptRef find_script(std::uint16_t slot) const;
  // The class's definition from its module's container; null when the
  // module carries none for it.
  const ClassDefinition* definition() const { return definition_; }

  // For window classes: every control, own or inherited, with its most
  // derived class, in declaration order (ancestors' controls first).
  const std::vector<std::pair<std::string, const ClassDef*>>& controls() const { return controls_; }

 private:
  friend class ClassRegistry;
  std::string name_;
  Kind kind_;
  const ClassDef* ancestor_;
  const ClassGroup* group_;
  std::uint16_t number_;
  std::vector<EventDecl> events_;                  // declared here
  std::map<std::uint16_t, fh_script_fn> scripts_;  // scripted here
  std::vector<std::pair<std::string, const ClassDef*>> controls_;
  const ClassDefinition* definition_ = nullptr;
};

// A window class and its nested control classes, as one module registered it.
class FH_API ClassGroup {
 public:
  const std::string& window() const { return window_; }
  std::int32_t group_number() const { return group_number_; }
  std::int32_t index() const { return index_; }
  const Module& module() const { return *module_; }
  const ClassDef& window_class() const;
  // A class by its number in this group's table: own classes and the
  // ancestors the table names. Null when the table has no such number.
  const ClassDef* by_number(std::uint16_t number) const;

 private:
  friend class ClassRegistry;
  std::string window_;
  std::int32_t group_number_ = 0;
  std::int32_t index_ = -1;
  const Module* module_ = nullptr;
  std::map<std::uint16_t, const ClassDef*> numbers_;
};

// A loaded module of the library list.
class FH_API Module {
 public:
  const std::string& path() const { return path_; }
  // Window classes the module exports a registration entry for, sorted.
  const std::vector<std::string>& window_names() const { return windows_; }
  void* symbol(const std::string& name) const;  // null when not exported
  // The database schema the module carries; null when it carries none.
  const fh_schema_info* schema() const;
  // The definition of a class from the module's container, parsed on first
  // use; null when the container has none. Throws fh::Error (file:line) for a
  // damaged one.
  const ClassDefinition* definition(std::string_view class_name) const;

 private:
  friend class ClassRegistry;
  std::string path_;
  void* handle_ = nullptr;
  std::vector<std::string> windows_;
  std::map<std::string, std::string, std::less<>> sources_;  // "w_x" -> GBK text
  mutable std::map<std::string, std::unique_ptr<ClassDefinition>, std::less<>> definitions_;
};

// The host's view of all classes. Thread-safe: loading is serialised, and a
// loaded class never changes. Modules stay loaded for the registry's life.
class FH_API ClassRegistry {
 public:
  ClassRegistry();
  ~ClassRegistry();
  ClassRegistry(const ClassRegistry&) = delete;
  ClassRegistry& operator=(const ClassRegistry&) = delete;

  // Appends a module to the library list (searched in the order added), with
  // the class definitions and data-window objects its container carries.
  // Throws fh::Error naming the file when it is not a loadable shared library
  // or its container is damaged.
  const Module& add_module(const std::string& path);
  const std::vector<std::unique_ptr<Module>>& modules() const { return modules_; }

  // The class of that name, registering its group (and its ancestors' groups)
  // on first use. "w_x`dw_y" names control dw_y of window class w_x.
  // Throws fh::Error naming the class when no module provides it or its
  // registration fails.
  const ClassDef& load(std::string_view name);
  // The same as a lookup: null when no module provides the class (an
  // expected outcome); a damaged registration still throws.
  const ClassDef* find(std::string_view name);
  // The data-window objects of every module, the first module's first.
  const DataObjectLibrary& dataobjects() const { return dataobjects_; }

  // A global function by name (any case), from the first module that
  // defines it; null when no module does.
  fh_script_fn function(std::string_view name) const;

  // The group registered under a class index; null when there is none.
  const ClassGroup* group_by_index(std::int32_t index) const;

  // How often modules asked for a class index (tests watch the index cache).
  int class_index_requests() const { return index_requests_; }

  fh_host* as_host() { return reinterpret_cast<fh_host*>(this); }
  static ClassRegistry& from_host(fh_host* host) { return *reinterpret_cast<ClassRegistry*>(host); }

  // Called back by registration entries (through the C functions of abi.h).
  void announce(std::string_view window);
  std::int32_t new_class_index(std::string_view window);
  std::int32_t register_group(const fh_vtable_info& info, std::int32_t index);

 private:
  const ClassDef* find_loaded(std::string_view name) const;
  const ClassDef& load_locked(std::string_view name, int depth);
  const ClassDef& load_window(const std::string& window, int depth);
  void link_group(ClassGroup& group, const fh_vtable_info& info, int depth);
  ClassDef& make_class(std::string name, Kind kind, const ClassDef* ancestor,
                       const ClassGroup* group, std::uint16_t number);

  mutable std::recursive_mutex mutex_;
  std::vector<std::unique_ptr<Module>> modules_;
  std::vector<std::unique_ptr<ClassDef>> classes_;
  std::vector<std::unique_ptr<ClassGroup>> groups_;
  std::map<std::string, const ClassDef*, std::less<>> by_name_;  // built-ins and windows
  std::map<std::int32_t, ClassGroup*> by_index_;
  SourceLibrary dataobjects_;
  std::map<std::string, fh_script_fn, std::less<>> functions_;  // lower-case name
  // The registration in progress: which window and from which module.
  std::string pending_window_;
  const Module* pending_module_ = nullptr;
  const fh_vtable_info* pending_info_ = nullptr;
  std::int32_t pending_index_ = -1;
  int index_requests_ = 0;
};

}  // namespace fh
