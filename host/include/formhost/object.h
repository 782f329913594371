// Instances: windows, their controls, menus and other objects that scripts
// reach. A reference is a shared pointer; a destroyed object stays in memory
// while referenced but is no longer valid.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formhost/classes.h"
#include "formhost/datawindow.h"
#include "formhost/export.h"
#include "formhost/value.h"

namespace fh {

class FH_API Object : public std::enable_shared_from_this<Object> {
 public:
  Object(const ClassDef& cls, std::string name, Object* parent);
  virtual ~Object();
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  const ClassDef& cls() const { return *cls_; }
  const std::string& name() const { return name_; }
  // The window of a control, the control of a nested object; null for a window.
  Object* parent() const { return parent_; }
  // The window this object belongs to (itself for a window); null if none.
  Object* window();

  // Child controls in creation order.
  const std::vector<ObjectRef>& controls() const { return controls_; }
  // The child control of that name; null when there is none.
  Object* control(std::string_view name) const;
  ObjectRef control_ref(std::string_view name) const;
  void add_control(ObjectRef child);

  // Properties and instance variables by lower-case name. get() answers an
  // empty optional-like null any when the name was never set; has() tells.
  bool has(std::string_view name) const;
  Value get(std::string_view name) const;
  void set(std::string_view name, Value v);
  // Calls `fn` after every set() of `name`: a variable that acts when
  // assigned (a switch of the framework). One watcher per name; a later one
  // replaces it.
  using Watcher = std::function<void(Object&, const Value&)>;
  void watch(std::string_view name, Watcher fn);
  const std::map<std::string, Value, std::less<>>& properties() const { return props_; }

  // The rows and object of a data-window control (null for other kinds).
  DataWindow* datawindow() { return dw_.get(); }
  const DataWindow* datawindow() const { return dw_.get(); }

  // State a class implemented in C++ keeps with its instances (services),
  // made on first use. One slot per object: asking for another type than the
  // one it holds is a programming error and throws std::logic_error.
  template <typename T>
  T& state() {
    if (!native_) {
      native_ = std::make_shared<T>();
      native_type_ = &type_tag<T>;
    } else if (native_type_ != &type_tag<T>) {
      state_type_mismatch();
    }
    return *static_cast<T*>(native_.get());
  }

  bool destroyed() const { return destroyed_; }
  // Marks this object and its controls destroyed and drops the controls.
  void destroy();

 private:
  const ClassDef* cls_;
  std::string name_;
  Object* parent_;
  std::vector<ObjectRef> controls_;
  std::map<std::string, Value, std::less<>> props_;
  std::unique_ptr<std::map<std::string, Watcher, std::less<>>> watchers_;  // rare: made on demand
  std::unique_ptr<DataWindow> dw_;
  template <typename T>
  static constexpr char type_tag = 0;
  [[noreturn]] void state_type_mismatch() const;

  std::shared_ptr<void> native_;
  const void* native_type_ = nullptr;
  bool destroyed_ = false;
};

// A control anywhere inside `root` (tab pages included), depth first; null when none.
FH_API Object* find_control(Object& root, std::string_view name);
// Selects page `index` (from 1, in creation order) of a tab control: 1, or
// -1 when `tab` is no tab control or has no such page.
FH_API int select_tab(Object& tab, long index);
// The page of its tab that `page` is (from 1); 0 when it is none.
FH_API long page_index(const Object& page);

// A property read leniently: the fallback when it is null or of another type.
FH_API bool flag(const Object& o, std::string_view name, bool otherwise);
FH_API long number(const Object& o, std::string_view name);            // 0 unless a number
FH_API std::string string_of(const Object& o, std::string_view name);  // "" unless a string

// A reference a script may use: not null and not destroyed.
FH_API bool is_valid(const Object* o);
FH_API bool is_valid(const ObjectRef& o);
FH_API bool is_valid(const Value& v);  // a non-null object value holding a valid object

// Creates an instance of a class: for a window, the window and one control per
// control the class has (own or inherited), each of its most derived class.
// A declared array `string lls[7]` becomes the elements "lls[1]" to "lls[7]".
FH_API std::string element_name(std::string_view array, long index);  // "lls[3]"
FH_API ObjectRef instantiate(const ClassDef& cls, std::string name = {}, Object* parent = nullptr);

}  // namespace fh
