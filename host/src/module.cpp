#include <dlfcn.h>

#include "formhost/classes.h"
#include "formhost/text.h"

namespace fh {

void* Module::symbol(const std::string& name) const { return dlsym(handle_, name.c_str()); }

const fh_schema_info* Module::schema() const {
  auto fn = reinterpret_cast<fh_schema_fn>(symbol("fh_module_schema"));
  return fn == nullptr ? nullptr : fn();
}

const ClassDefinition* Module::definition(std::string_view class_name) const {
  const std::string name = text::lower(class_name);
  if (auto it = definitions_.find(name); it != definitions_.end()) return it->second.get();
  auto source = sources_.find(name);
  if (source == sources_.end()) return nullptr;
  auto parsed =
      std::make_unique<ClassDefinition>(ClassDefinition::parse(source->second, name + ".srw"));
  return definitions_.emplace(name, std::move(parsed)).first->second.get();
}

}  // namespace fh
