// A class definition: what a window or ancestor class file in the export
// style (w_*.srw, catalogue/FORMAT.md) says. A copyable value. All text is
// GBK bytes; names are stored lower-case and looked up case-insensitively.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formhost/export.h"
#include "formhost/value.h"

namespace fh {

// One `TYPE NAME = VALUE` line. integer, long, decimal, string, boolean, date
// and time give values of those types; an enumerated type (windowtype,
// alignment, ...) gives its value as a string with the '!' kept: "response!".
struct FH_API PropertySetting {
  std::string name;
  Value value;
};

// One `type NAME from CLASS within PARENT ... end type` block.
struct FH_API ControlDefinition {
  std::string name;
  std::string ancestor;  // "commandbutton", "u_dw", "w_ddyrsg`dw_items"
  std::string within;    // the class itself or another control (tab pages)
  std::vector<PropertySetting> properties;

  // The value set for `key`, nullptr when the block does not set it.
  const Value* property(std::string_view key) const;
};

// One declaration of a `type variables` block: `string lls[7]`,
// `boolean ib_rfid = false`, `str_recordmanager2 istr_parm`.
struct FH_API VariableDefinition {
  std::string type;  // as declared, lower-case
  std::string name;
  int array_size = 0;  // 0: not an array; -1: an array without a bound (`name[]`)
  std::optional<Value> initial;
};

// A scripted event: an `event ... end event` or `on ... end on` block. The
// body is kept as text and not interpreted.
struct FH_API EventDefinition {
  std::string object;           // "" for the class itself, else the control's name
  std::string name;             // "pfc_preopen", "create"
  bool calls_ancestor = false;  // the body has `call super::`
  std::string script;  // the body: the text after the header's ';' and the lines up to the end
  int line = 0;        // of the header
};

class FH_API ClassDefinition {
 public:
  ClassDefinition() = default;

  // Parses a class file (GBK). `source` names it in errors, and without folder
  // and extension is the class the file must define. Throws fh::Error
  // "SOURCE:LINE: expected X, found Y" at the first fault.
  static ClassDefinition parse(std::string_view gbk_text, std::string_view source);

  const std::string& name() const { return name_; }
  const std::string& ancestor() const { return ancestor_; }
  // The class it is nested in, "" for a top-level class.
  const std::string& within() const { return within_; }
  // The text of the `$PBExportComments$` line ("group 1795"), "" without one.
  const std::string& comments() const { return comments_; }

  // The lines of the `global type` block, in file order.
  const std::vector<PropertySetting>& properties() const { return properties_; }
  const Value* property(std::string_view name) const;

  // The control blocks, in file order.
  const std::vector<ControlDefinition>& controls() const { return controls_; }
  const ControlDefinition* control(std::string_view name) const;

  const std::vector<VariableDefinition>& variables() const { return variables_; }
  const VariableDefinition* variable(std::string_view name) const;

  // Scripted events, in file order. `object` "" is the class itself.
  const std::vector<EventDefinition>& events() const { return events_; }
  const EventDefinition* event(std::string_view name, std::string_view object = "") const;

 private:
  friend class ClassDefinitionBuilder;  // the parser

  std::string name_;
  std::string ancestor_;
  std::string within_;
  std::string comments_;
  std::vector<PropertySetting> properties_;
  std::vector<ControlDefinition> controls_;
  std::vector<VariableDefinition> variables_;
  std::vector<EventDefinition> events_;
};

}  // namespace fh
