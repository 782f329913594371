// A data-window object: what its source (d_*.srd) describes, and Modify and
// Describe over it. A copyable value: every data-window control gets its own
// copy to change. All text is GBK bytes, exactly as in the source.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formhost/export.h"
#include "formhost/value.h"

namespace fh {

// One `name=value` of a source statement. Names keep their spelling and match
// case-insensitively; a value is the unquoted text. A parenthesised list that
// the model does not interpret keeps its source text (list = true).
struct DwProperty {
  std::string name;
  std::string value;
  bool list = false;
};
using DwProperties = std::vector<DwProperty>;

// The value of `name` in props (case-insensitive), nullptr when absent.
FH_API const std::string* find_property(const DwProperties& props, std::string_view name);

// A column of the result set, as declared in table(column=(...)).
struct DwColumn {
  int id = 0;  // 1-based, in table order
  std::string name;
  Type type = Type::kString;  // char/varchar string; int/integer integer; long/ulong long;
                              // decimal/number decimal; real/double double; date; time;
                              // datetime/timestamp datetime
  std::string coltype;        // lowercase as declared: "char(20)", "decimal(2)", "long"
  int length = 0;             // n of char(n)/varchar(n), else 0
  int scale = -1;             // n of decimal(n), else -1
  // The database column's NUMERIC(p,s) as the module's schema declares it
  // (the objects themselves carry only the places); 0 when not known.
  int precision = 0;
  int precision_scale = 0;
  std::string dbname;
  bool update = false;
  bool updatewhereclause = false;
  bool key = false;
  std::optional<std::string> initial;
  std::string values;     // code table as written: "display\tdata/..."
  std::string dddw_name;  // drop-down child object ("" for none), from the column object
  std::string dddw_display_column;
  std::string dddw_data_column;
  DwProperties properties;  // everything column=(...) said, in order
};

// A retrieval argument: `arguments=(("name", type) ...)`. number is decimal.
struct DwArgument {
  std::string name;
  Type type = Type::kString;
  std::string type_name;  // lowercase as declared: "string", "number", "stringlist"
  bool list = false;      // the ...list types
};

// A band statement: header, detail, summary, footer.
struct DwBand {
  std::string name;
  DwProperties properties;
};

// A named object of the layout: text, column, compute, line, bitmap, ...
// `name` and `band` mirror the properties of the same names.
struct DwControl {
  std::string kind;  // the statement keyword, lowercase
  std::string band;
  std::string name;  // may be "" (an unnamed line)
  DwProperties properties;
  int column_id = 0;  // a column object: the table column it shows, else 0
};

// What a schema declares of its decimal columns: "table.column" (lower case)
// -> (p, s) of NUMERIC(p,s) or DECIMAL(p,s).
using DeclaredNumerics = std::map<std::string, std::pair<int, int>, std::less<>>;

class FH_API DataWindowObject {
 public:
  DataWindowObject() = default;

  // Parses a source (GBK). `source` names it in errors, and without folder and
  // extension becomes the object's name. Throws fh::Error
  // "SOURCE:LINE: expected X, found Y" at the first fault.
  static DataWindowObject parse(std::string_view text, std::string_view source);

  const std::string& name() const { return name_; }
  void set_name(std::string name) { name_ = std::move(name); }

  // datawindow(...) as written; processing 0..7 (0 when absent).
  const DwProperties& properties() const { return properties_; }
  int processing() const;
  bool read_only() const;  // DataWindow.ReadOnly, "no" unless modified

  const std::vector<DwBand>& bands() const { return bands_; }
  const DwBand* band(std::string_view name) const;

  const std::vector<DwColumn>& columns() const { return columns_; }
  // Gives each decimal column whose database column `declared` names that
  // column's precision and scale.
  void apply_declared(const DeclaredNumerics& declared);
  const DwColumn* column(std::string_view name) const;
  // 1-based id of the column called `name` (case-insensitive), 0 when none.
  int column_index(std::string_view name) const;

  // table(...) apart from its columns: retrieve, update, updatewhere, ...
  const DwProperties& table_properties() const { return table_; }
  const std::string& select() const;        // the retrieve SELECT, "" when none
  const std::string& update_table() const;  // "" when the object does not update
  const std::vector<DwArgument>& arguments() const { return arguments_; }

  const std::vector<DwControl>& controls() const { return controls_; }
  const DwControl* control(std::string_view name) const;  // case-insensitive

  // Source text that parses back to the same model.
  std::string to_source() const;

  // Applies `name.property=value` settings separated by blanks. Answers "" on
  // success, else the platform's kind of error text ("Line 1 Column 14:
  // incorrect syntax.") and then changes nothing at all.
  std::string modify(std::string_view expr);

  // Answers the values of blank-separated `name.property` items, joined by
  // "\n". An unknown object or property answers "!" and ends the list; a
  // valid property without a value answers "?".
  std::string describe(std::string_view expr) const;

 private:
  friend class DwObjectAccess;  // the parser and Modify inside the host

  std::string name_;
  DwProperties properties_;
  std::vector<DwBand> bands_;
  DwProperties table_;
  std::vector<DwColumn> columns_;
  std::vector<DwArgument> arguments_;
  std::vector<DwControl> controls_;
  std::vector<std::string> other_statements_;  // kept verbatim, not interpreted
};

// Modify and Describe as scripts call them: a null argument answers a null
// string; anything but a string is a bug in the caller (std::logic_error).
FH_API Value modify(DataWindowObject& dw, const Value& expr);
FH_API Value describe(const DataWindowObject& dw, const Value& expr);

// Quotes any text as a Modify value so that it comes back unchanged:
// Modify("t.text=" + modify_quote(s)) then Describe("t.text") == s.
// Throws fh::Error only for broken GBK that no quoting can carry.
FH_API std::string modify_quote(std::string_view text);

}  // namespace fh
