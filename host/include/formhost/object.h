// Instances: windows, their controls, menus and other objects that scripts
// reach. A reference is a shared pointer; a destroyed object stays in memory
// while referenced but is no longer valid.
#pragma once

#include "formhost/export.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formhost/classes.h"
#include "formhost/datawindow.h"
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
  const std::map<std::string, Value, std::less<>>& properties() const { return props_; }

  // The rows and object of a data-window control (null for other kinds).
  DataWindow* datawindow() { return dw_.get(); }
  const DataWindow* datawindow() const { return dw_.get(); }

  // State a class implemented in C++ keeps with its instances (services).
  // One slot per object; the class that sets it is the one that reads it.
  const std::shared_ptr<void>& native() const { return native_; }
  void set_native(std::shared_ptr<void> state) { native_ = std::move(state); }

  bool destroyed() const { return destroyed_; }
  // Marks this object and its controls destroyed and drops the controls.
  void destroy();

 private:
  const ClassDef* cls_;
  std::string name_;
  Object* parent_;
  std::vector<ObjectRef> controls_;
  std::map<std::string, Value, std::less<>> props_;
  std::unique_ptr<DataWindow> dw_;
  std::shared_ptr<void> native_;
  bool destroyed_ = false;
};

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
