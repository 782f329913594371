#include "formhost/object.h"

#include <algorithm>

#include "names.h"

namespace fh {

Object::Object(const ClassDef& cls, std::string name, Object* parent)
    : cls_(&cls), name_(detail::lower(name)), parent_(parent) {
  if (cls.kind() == Kind::kDataWindow) dw_ = std::make_unique<DataWindow>();
}

Object::~Object() = default;

Object* Object::window() {
  Object* o = this;
  while (o != nullptr && o->cls_->kind() != Kind::kWindow) o = o->parent_;
  return o;
}

Object* Object::control(std::string_view name) const { return control_ref(name).get(); }

ObjectRef Object::control_ref(std::string_view name) const {
  const std::string wanted = detail::lower(name);
  auto it = std::find_if(controls_.begin(), controls_.end(),
                         [&](const ObjectRef& c) { return c->name_ == wanted; });
  return it == controls_.end() ? nullptr : *it;
}

void Object::add_control(ObjectRef child) { controls_.push_back(std::move(child)); }

bool Object::has(std::string_view name) const { return props_.count(detail::lower(name)) != 0; }

Value Object::get(std::string_view name) const {
  auto it = props_.find(detail::lower(name));
  return it == props_.end() ? Value() : it->second;
}

void Object::set(std::string_view name, Value v) { props_[detail::lower(name)] = std::move(v); }

void Object::destroy() {
  destroyed_ = true;
  for (const ObjectRef& c : controls_) c->destroy();
  controls_.clear();
}

bool is_valid(const Object* o) { return o != nullptr && !o->destroyed(); }
bool is_valid(const ObjectRef& o) { return is_valid(o.get()); }
bool is_valid(const Value& v) {
  return v.type() == Type::kObject && !v.is_null() && is_valid(v.as_object());
}

ObjectRef instantiate(const ClassDef& cls, std::string name, Object* parent) {
  auto obj = std::make_shared<Object>(cls, name.empty() ? cls.name() : std::move(name), parent);
  for (const auto& [control, control_class] : cls.controls()) {
    obj->add_control(instantiate(*control_class, control, obj.get()));
  }
  return obj;
}

}  // namespace fh
