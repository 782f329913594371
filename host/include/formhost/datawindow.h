// The data of a data-window control: the object it shows, its rows in three
// buffers (primary, filtered, deleted) with row and item status, the current
// row and column, retrieval and update by key through a transaction.
//
// Operations answer the platform's statuses (1, -1, counts). A bad row or
// column in reading or writing an item throws fh::HostFailure: a failed host
// operation for the script that asked. last_error() says what went wrong.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formhost/dwexpression.h"
#include "formhost/dwobject.h"
#include "formhost/export.h"
#include "formhost/transaction.h"
#include "formhost/value.h"

namespace fh {

enum class RowStatus : std::uint8_t {
  kNotModified,   // as retrieved or as last saved
  kDataModified,  // retrieved, then changed
  kNew,           // inserted, nothing set yet: not saved
  kNewModified,   // inserted and set: saved as an INSERT
};

enum class DwBuffer : std::uint8_t { kPrimary, kFilter, kDelete };

// Where data-window objects come from by name (the modules' containers).
class FH_API DataObjectLibrary {
 public:
  virtual ~DataObjectLibrary() = default;
  // The object called `name`, parsed; nullopt when there is none. Throws
  // fh::Error when its source is damaged (file:line).
  virtual std::optional<DataWindowObject> find(std::string_view name) const = 0;
};

// Data-window objects kept as source text, parsed on first use.
class FH_API SourceLibrary final : public DataObjectLibrary {
 public:
  // `label` names the source in parse errors ("framework/d_01691.srd").
  void add(std::string name, std::string gbk_source, std::string label);
  void add(std::string name, DataWindowObject parsed);
  bool has(std::string_view name) const;
  std::optional<DataWindowObject> find(std::string_view name) const override;
  // The schema's decimal columns: the objects found from now on know their
  // precision (DwColumn::precision).
  void declare_numerics(const DeclaredNumerics& declared);

 private:
  struct Entry {
    std::string source;
    std::string label;
    mutable std::optional<DataWindowObject> parsed;
  };
  std::map<std::string, Entry, std::less<>> entries_;
  DeclaredNumerics declared_;
};

class FH_API DataWindow final : public RowSource {
 public:
  DataWindow();
  ~DataWindow() override;
  DataWindow(const DataWindow&) = delete;
  DataWindow& operator=(const DataWindow&) = delete;

  // ---- object and transaction ----
  // Shows `name` from the library: rows dropped, statuses cleared. 1, or -1
  // when the library has no such object.
  int set_dataobject(const DataObjectLibrary& library, std::string_view name);
  void set_object(DataWindowObject object);
  bool has_object() const { return object_ != nullptr; }
  const std::string& dataobject() const { return dataobject_; }
  DataWindowObject& object();  // precondition: has_object()
  const DataWindowObject& object() const;
  // SetTransObject: retrieval and update go through it (not owned).
  void set_transaction(Transaction* t) { transaction_ = t; }
  Transaction* transaction() const { return transaction_; }

  // ---- retrieval ----
  // Replaces the rows by what the SELECT finds with these arguments (converted
  // to the declared argument types). Answers the row count, or -1; after a
  // failure the data window holds no rows.
  long retrieve(std::span<const Value> args);
  // The last retrieval's arguments, for a re-retrieve after a save.
  const std::vector<Value>& retrieve_arguments() const { return last_args_; }
  // Why the last retrieval failed; "" when it succeeded (or none ran). A
  // front end shows it, so that a failed list never looks like an empty one.
  const std::string& retrieve_error() const { return retrieve_error_; }
  // What the last retrieval could not read: a stored value that is not of
  // its column's type (out of range, not a number or date, text with no GBK
  // form). Such an item reads as null, is_unreadable says so, set_item
  // refuses it and no update writes or compares it. "" when all was read.
  const std::string& retrieve_warning() const { return retrieve_warning_; }
  bool is_unreadable(long row, int column) const;

  // ---- rows ----
  long row_count() const override { return static_cast<long>(primary_.size()); }
  long deleted_count() const { return static_cast<long>(deleted_.size()); }
  long filtered_count() const { return static_cast<long>(filtered_.size()); }
  long get_row() const { return current_row_; }  // 0 when there are no rows
  int set_row(long row);                         // -1 outside 1..row_count
  int scroll_to_row(long row);                   // also makes it current
  // Inserts an empty row (column initial values) before `before`, 0 appends.
  // Answers the new row's number, or -1.
  long insert_row(long before);
  // Moves a row to the delete buffer (0: the current row). 1 or -1.
  int delete_row(long row);
  // SelectRow / IsSelected: the highlighted rows; row 0 selects or clears all.
  int select_row(long row, bool on);
  bool is_selected(long row) const;
  RowStatus row_status(long row, DwBuffer buffer = DwBuffer::kPrimary) const;
  bool item_modified(long row, std::string_view column) const;
  // Clears the rows, both other buffers and the statuses.
  int reset();
  // Marks everything saved: deleted rows dropped, statuses not modified.
  int reset_update();
  // How many rows or items wait to be saved.
  long modified_count() const;

  // ---- items ----
  // The value of a column in a row of a buffer; `original` reads it as
  // retrieved. Throws HostFailure for a bad row or column.
  Value get_item(long row, std::string_view column, DwBuffer buffer = DwBuffer::kPrimary,
                 bool original = false) const;
  Value get_item(long row, int column) const;
  // Sets a column (converted to its type: a text "12.5" into a decimal
  // column, a long into a string column...). 1, or -1 for a value that does
  // not convert. Throws HostFailure for a bad row or column.
  int set_item(long row, std::string_view column, const Value& v);
  // The item as the user sees it (display text), for views.
  std::string item_text(long row, int column) const;

  // ---- editing: the text typed into the current cell ----
  int set_column(std::string_view column);  // 1 or -1
  int set_column(int column);
  int get_column() const { return current_column_; }  // 0 when none
  std::string get_column_name() const;
  // The edit control's text for the current cell, not yet in the row.
  void set_text(std::string gbk) { pending_text_ = std::move(gbk); }
  const std::optional<std::string>& pending_text() const { return pending_text_; }
  void discard_text() { pending_text_.reset(); }
  // Validation before a typed text goes into the row: 0 accept, 1 reject
  // (keep the old value), 2 reject and let the user leave the cell.
  using ItemChanged =
      std::function<long(long row, const std::string& column, const std::string& text)>;
  void on_item_changed(ItemChanged hook) { item_changed_ = std::move(hook); }
  // Puts the pending text into the current cell through the hook. 1, or -1
  // when the text does not convert, is not in the column's code list (a
  // display value stores its data value) or the hook rejects it.
  int accept_text();
  // Why the operator may not type into that cell: its column object has tab
  // order 0 or a protect expression true for the row, or its stored value
  // could not be read. "" when typing is allowed.
  std::string protection(long row, int column) const;

  // ---- saving ----
  // INSERT, UPDATE and DELETE by key for every changed row, all values bound,
  // inside a savepoint: on failure the database part is undone and every
  // buffer and status stays as it was. accept runs accept_text first;
  // reset_flags marks the rows saved after success. 1 or -1.
  int update(bool accept = true, bool reset_flags = true);
  // The row of the primary buffer whose update found it changed or deleted
  // by another station (the object's updatewhere setting), 0 when the last
  // update met no such conflict.
  long conflict_row() const { return conflict_row_; }
  // Reads one row again as the database now holds it (with the last
  // retrieval's arguments), dropping its edits; a row deleted meanwhile
  // leaves the buffer. 1 or -1.
  int reselect_row(long row);

  // ---- SQL, sort, filter, properties ----
  std::string get_sqlselect() const;
  int set_sqlselect(std::string_view sql);
  int set_sort(std::string_view sort_text);  // 1, or -1 when it does not parse
  int sort();
  int set_filter(std::string_view expr);
  int filter();  // rows not passing move to the filter buffer, others back
  std::string modify(std::string_view expr);
  std::string describe(std::string_view expr) const;

  // ---- drop-down children ----
  // The child data window of a drop-down column, created on first use; null
  // when the column shows no drop-down data window.
  DataWindow* get_child(std::string_view column);
  // The same, only when it exists already (front ends show its rows).
  const DataWindow* existing_child(std::string_view column) const;
  void set_library(const DataObjectLibrary* library) { library_ = library; }

  const std::string& last_error() const { return last_error_; }

  // What is wrong with the buffers, if anything: every row as wide as the
  // object, statuses that agree with the changed items, no unsaved row among
  // the deleted ones, current row and column in range. Empty when sound;
  // scenario runs check it after every action.
  std::vector<std::string> check_invariants() const;

  // RowSource, for expressions over the primary buffer.
  Value item(long row, std::string_view column) const override;
  bool has_column(std::string_view column) const override;
  std::string column_name(int n) const override;
  long current_row() const override { return current_row_; }

 private:
  struct Row {
    std::vector<Value> values;
    // The values as retrieved, kept from the first change of a retrieved row on.
    std::unique_ptr<std::vector<Value>> original;
    std::vector<bool> modified;    // empty: nothing changed
    std::vector<bool> unreadable;  // empty: every stored value was read
    RowStatus status = RowStatus::kNotModified;
    bool selected = false;
    const Value& original_value(std::size_t i) const {
      return original ? (*original)[i] : values[i];
    }
  };
  int column_or_fail(std::string_view column) const;
  const Row& row_or_fail(long row, DwBuffer buffer) const;
  Row& row_or_fail(long row);
  Row make_row() const;
  int fail(std::string text);
  std::vector<Row>& buffer(DwBuffer b);
  const std::vector<Row>& buffer(DwBuffer b) const;
  // `touched` gets every row whose flags a successful update resets.
  int run_update(std::vector<Row*>& touched);
  static void clear_change_flags(Row& r);
  std::string key_text(const Row& r) const;
  std::string describe_conflict(const Row& r, const std::vector<std::size_t>& compared);

  std::unique_ptr<DataWindowObject> object_;
  std::string dataobject_;
  Transaction* transaction_ = nullptr;
  const DataObjectLibrary* library_ = nullptr;
  std::vector<Row> primary_, filtered_, deleted_;
  long current_row_ = 0;
  int current_column_ = 0;
  std::optional<std::string> pending_text_;
  ItemChanged item_changed_;
  std::vector<Value> last_args_;
  std::vector<Type> column_types_;
  std::vector<int> column_scales_;  // places of decimal(n) columns, -1 for others
  std::string sort_text_, filter_text_;
  std::vector<std::pair<std::string, std::unique_ptr<DataWindow>>> children_;
  std::string last_error_;
  std::string retrieve_error_;
  std::string retrieve_warning_;
  long conflict_row_ = 0;
};

}  // namespace fh
