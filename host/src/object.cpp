#include "formhost/object.h"

#include <algorithm>
#include <functional>
#include <map>
#include <stdexcept>

#include "formhost/errors.h"
#include "formhost/functions.h"
#include "formhost/text.h"

namespace fh {

Object::Object(const ClassDef& cls, std::string name, Object* parent)
    : cls_(&cls), name_(text::lower(name)), parent_(parent) {
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
  const std::string wanted = text::lower(name);
  auto it = std::find_if(controls_.begin(), controls_.end(),
                         [&](const ObjectRef& c) { return c->name_ == wanted; });
  return it == controls_.end() ? nullptr : *it;
}

void Object::add_control(ObjectRef child) { controls_.push_back(std::move(child)); }

namespace {

// Scripts name properties in lower case almost always: those names are used
// as they are, without a lower-cased copy.
bool is_lower_ascii(std::string_view name) {
  return std::none_of(name.begin(), name.end(), [](char c) {
    return static_cast<unsigned char>(c) >= 0x80 || (c >= 'A' && c <= 'Z');
  });
}

}  // namespace

bool Object::has(std::string_view name) const {
  return is_lower_ascii(name) ? props_.count(name) != 0 : props_.count(text::lower(name)) != 0;
}

Value Object::get(std::string_view name) const {
  auto it = is_lower_ascii(name) ? props_.find(name) : props_.find(text::lower(name));
  return it == props_.end() ? Value() : it->second;
}

void Object::set(std::string_view name, Value v) {
  const bool plain = is_lower_ascii(name);
  std::string lowered = plain ? std::string() : text::lower(name);
  const std::string_view key = plain ? name : std::string_view(lowered);
  auto it = props_.find(key);
  if (it == props_.end()) it = props_.emplace(std::string(key), Value()).first;
  it->second = std::move(v);
  if (watchers_) {
    if (auto w = watchers_->find(key); w != watchers_->end()) w->second(*this, it->second);
  }
}

void Object::watch(std::string_view name, Watcher fn) {
  if (!watchers_) watchers_ = std::make_unique<std::map<std::string, Watcher, std::less<>>>();
  (*watchers_)[text::lower(name)] = std::move(fn);
}

void Object::destroy() {
  destroyed_ = true;
  watchers_.reset();
  for (const ObjectRef& c : controls_) c->destroy();
  controls_.clear();
}

void Object::state_type_mismatch() const {
  fh::broken_precondition("state<T>() of the type first asked for",
                          "'" + name_ + "' keeps native state of another type");
}

Object* find_control(Object& root, std::string_view name) {
  if (Object* c = root.control(name)) return c;
  for (const ObjectRef& c : root.controls()) {
    if (Object* inner = find_control(*c, name)) return inner;
  }
  return nullptr;
}

int select_tab(Object& tab, long index) {
  if (tab.cls().kind() != Kind::kTab || index < 1 ||
      index > static_cast<long>(tab.controls().size())) {
    return -1;
  }
  tab.set("selectedtab", Value::of_integer(static_cast<std::int16_t>(index)));
  return 1;
}

long page_index(const Object& page) {
  const Object* tab = page.parent();
  if (tab == nullptr || tab->cls().kind() != Kind::kTab) return 0;
  const auto& pages = tab->controls();
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (pages[i].get() == &page) return static_cast<long>(i) + 1;
  }
  return 0;
}

bool flag(const Object& o, std::string_view name, bool otherwise) {
  const Value v = o.get(name);
  return v.type() == Type::kBoolean && !v.is_null() ? v.as_bool() : otherwise;
}

long number(const Object& o, std::string_view name) {
  const Value v = o.get(name);
  if (v.is_null() || !v.is_number()) return 0;
  return Long(v).as_long();
}

std::string string_of(const Object& o, std::string_view name) {
  const Value v = o.get(name);
  return v.type() == Type::kString && !v.is_null() ? v.as_string() : std::string();
}

bool is_valid(const Object* o) { return o != nullptr && !o->destroyed(); }
bool is_valid(const ObjectRef& o) { return is_valid(o.get()); }
bool is_valid(const Value& v) {
  return v.type() == Type::kObject && !v.is_null() && is_valid(v.as_object());
}

namespace {

Type declared_type(const std::string& type) {
  if (type == "string") return Type::kString;
  if (type == "integer" || type == "int") return Type::kInteger;
  if (type == "long") return Type::kLong;
  if (type == "decimal" || type == "dec") return Type::kDecimal;
  if (type == "double" || type == "real") return Type::kDouble;
  if (type == "boolean") return Type::kBoolean;
  if (type == "date") return Type::kDate;
  if (type == "time") return Type::kTime;
  if (type == "datetime") return Type::kDateTime;
  return Type::kObject;  // a structure or object variable: null until set
}

// The definitions along a class's chain, the root's first.
std::vector<const ClassDefinition*> definitions(const ClassDef& cls) {
  std::vector<const ClassDefinition*> chain;
  for (const ClassDef* c = &cls; c != nullptr; c = c->ancestor()) {
    if (c->definition() != nullptr) chain.push_back(c->definition());
  }
  std::reverse(chain.begin(), chain.end());
  return chain;
}

// The control that `control` sits in, as the class that first declares it
// placed it (a descendant cannot move an inherited control); "" for the window.
std::string enclosing_control(const std::vector<const ClassDefinition*>& chain,
                              const std::string& control) {
  for (const ClassDefinition* d : chain) {
    const ControlDefinition* c = d->control(control);
    if (c == nullptr) continue;
    for (const ClassDefinition* owner : chain) {
      if (owner->name() == c->within) return {};
    }
    return c->within == control ? std::string() : c->within;
  }
  return {};
}

// Deeper than any form the library has: a definition that nests further is circular.
constexpr int kMaxNesting = 8;

}  // namespace

std::string element_name(std::string_view array, long index) {
  return std::string(array) + "[" + std::to_string(index) + "]";
}

ObjectRef instantiate(const ClassDef& cls, std::string name, Object* parent) {
  auto obj = std::make_shared<Object>(cls, name.empty() ? cls.name() : std::move(name), parent);
  const std::vector<const ClassDefinition*> chain = definitions(cls);
  // Ancestors first, so a descendant's values win.
  for (const ClassDefinition* d : chain) {
    for (const VariableDefinition& v : d->variables()) {
      if (v.array_size < 0) continue;  // unbounded arrays live in the scripts that declare them
      const Value initial = v.initial ? *v.initial : Value::initial(declared_type(v.type));
      if (v.array_size == 0) {
        obj->set(v.name, initial);
      } else {
        for (long i = 1; i <= v.array_size; ++i) obj->set(element_name(v.name, i), initial);
      }
    }
    for (const PropertySetting& p : d->properties()) obj->set(p.name, p.value);
  }
  // Controls sit on the window or inside the control their definition names
  // (a tab page in its tab, a data window on its page): the enclosing one is
  // made first.
  std::map<std::string, Object*, std::less<>> made;
  std::function<Object*(const std::string&, const ClassDef&, int)> make =
      [&](const std::string& control, const ClassDef& control_class, int depth) -> Object* {
    if (auto it = made.find(control); it != made.end()) return it->second;
    Object* holder = obj.get();
    if (const std::string within = enclosing_control(chain, control);
        !within.empty() && depth < kMaxNesting) {
      for (const auto& [other, other_class] : cls.controls()) {
        if (other == within) holder = make(other, *other_class, depth + 1);
      }
    }
    ObjectRef child = instantiate(control_class, control, holder);
    for (const ClassDefinition* d : chain) {
      if (const ControlDefinition* c = d->control(control)) {
        for (const PropertySetting& p : c->properties) child->set(p.name, p.value);
      }
    }
    Object* raw = child.get();
    holder->add_control(std::move(child));
    made.emplace(control, raw);
    return raw;
  };
  for (const auto& [control, control_class] : cls.controls()) {
    // A nonvisual object declared inside a window is a member its scripts
    // create and destroy, not a control.
    if (control_class->kind() == Kind::kMessage || control_class->kind() == Kind::kNonVisual) {
      obj->set(control, Value::initial(Type::kObject));
      continue;
    }
    make(control, *control_class, 0);
  }
  return obj;
}

}  // namespace fh
