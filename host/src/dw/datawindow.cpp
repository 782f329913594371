#include "formhost/datawindow.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <numeric>

#include "formhost/errors.h"
#include "formhost/functions.h"
#include "formhost/text.h"
#include "session/progress.h"

namespace fh {

namespace {

constexpr const char* kSavepoint = "fh_dw_update";

// A number as an integer or long, rounded as the platform converts; none
// when it is outside the type's range (never a wrapped value).
std::optional<Value> whole_in_range(const Value& number, Type type) {
  const Value d = Dec(number);
  if (d.is_null()) return Value::null_of(type);
  const Decimal limit = Decimal::from_int(type == Type::kInteger ? 32768 : 2147483648LL);
  const Decimal x = d.as_decimal().round(0);
  if (x >= limit || x < Decimal::from_int(0) - limit) return std::nullopt;
  return type == Type::kInteger ? Integer(d) : Long(d);
}

// A typed text ("12.5", "2026-12-07") as a value of the column's type; none
// when it does not convert. An empty text is null for everything but strings.
std::optional<Value> from_text(const std::string& text, Type type) {
  if (type == Type::kString) return Value::of_string(text);
  const std::string t = text.substr(0, text.find_last_not_of(' ') + 1);
  if (t.empty() || t.find_first_not_of(' ') == std::string::npos) return Value::null_of(type);
  switch (type) {
    case Type::kDate:
      if (auto d = Date::parse(t)) return Value::of_date(*d);
      return std::nullopt;
    case Type::kTime:
      if (auto tm = Time::parse(t)) return Value::of_time(*tm);
      return std::nullopt;
    case Type::kDateTime:
      if (auto dt = DateTime::parse(t)) return Value::of_datetime(*dt);
      return std::nullopt;
    default: {
      const auto d = Decimal::parse(t);
      if (!d) return std::nullopt;
      const Value dec = Value::of_decimal(*d);
      switch (type) {
        case Type::kInteger:
        case Type::kLong:
          return whole_in_range(dec, type);
        case Type::kDouble:
          return Double(dec);
        case Type::kBoolean:
          return Value::of_bool(!d->is_zero());
        default:
          return dec;
      }
    }
  }
}

// A value converted to a column's type; none when the platform would refuse it.
// The places a decimal(n) column keeps; -1 for any other column.
int decimal_scale(const DwColumn& c) {
  if (c.type != Type::kDecimal || !c.coltype.starts_with("decimal(")) return -1;
  const int n = std::atoi(c.coltype.c_str() + 8);
  return n >= 0 && n <= 18 ? n : -1;
}

std::optional<Value> convert(const Value& v, Type type) {
  if (v.type() == type) return v;
  if (v.is_null()) return Value::null_of(type);
  if (v.type() == Type::kString) return from_text(v.as_string(), type);
  switch (type) {
    case Type::kString:
      return String(v);
    case Type::kInteger:
    case Type::kLong:
      return v.is_number() ? whole_in_range(v, type) : std::nullopt;
    case Type::kDecimal:
      return v.is_number() ? std::optional(Dec(v)) : std::nullopt;
    case Type::kDouble:
      return v.is_number() ? std::optional(Double(v)) : std::nullopt;
    case Type::kDate:
      if (v.type() == Type::kDateTime) return Value::of_date(v.as_datetime().date);
      return std::nullopt;
    case Type::kDateTime:
      if (v.type() == Type::kDate) return Value::of_datetime(DateTime{v.as_date(), Time{}});
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

// The range an integral type takes, for refusals.
std::string range_note(Type type) {
  if (type == Type::kInteger) return " (integer: -32768 to 32767)";
  if (type == Type::kLong) return " (long: -2147483648 to 2147483647)";
  return "";
}

// Characters of a GBK text: a lead byte and its trail make one.
std::size_t characters(std::string_view gbk) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < gbk.size(); i += gbk_char_size(gbk, i)) ++n;
  return n;
}

// "table.column" names the database column after the last point.
std::string db_column(const DwColumn& c) {
  const std::string& n = c.dbname.empty() ? c.name : c.dbname;
  const auto dot = n.rfind('.');
  return dot == std::string::npos ? n : n.substr(dot + 1);
}

}  // namespace

void SourceLibrary::add(std::string name, std::string gbk_source, std::string label) {
  entries_[text::lower(name)] = Entry{std::move(gbk_source), std::move(label), std::nullopt};
}

void SourceLibrary::add(std::string name, DataWindowObject parsed) {
  name = text::lower(name);
  parsed.set_name(name);
  entries_[name] = Entry{std::string(), std::string(), std::move(parsed)};
}

bool SourceLibrary::has(std::string_view name) const {
  return entries_.count(text::lower(name)) != 0;
}

std::optional<DataWindowObject> SourceLibrary::find(std::string_view name) const {
  auto it = entries_.find(text::lower(name));
  if (it == entries_.end()) return std::nullopt;
  const Entry& e = it->second;
  static std::mutex parsing;  // rare: each object is parsed once
  std::lock_guard lock(parsing);
  if (!e.parsed) {
    e.parsed = DataWindowObject::parse(e.source, e.label);
    e.parsed->set_name(it->first);
    e.parsed->apply_declared(declared_);
  }
  return e.parsed;
}

void SourceLibrary::declare_numerics(const DeclaredNumerics& declared) {
  for (const auto& [column, limits] : declared) declared_.insert_or_assign(column, limits);
  for (auto& [name, e] : entries_) e.parsed.reset();  // parsed again, knowing them
}

DataWindow::DataWindow() = default;
DataWindow::~DataWindow() = default;

int DataWindow::fail(std::string text) {
  last_error_ = std::move(text);
  return -1;
}

DataWindowObject& DataWindow::object() { return *object_; }
const DataWindowObject& DataWindow::object() const { return *object_; }

int DataWindow::set_dataobject(const DataObjectLibrary& library, std::string_view name) {
  std::optional<DataWindowObject> found;
  try {
    found = library.find(name);
  } catch (const Error& e) {
    return fail("data-window object '" + std::string(name) + "' is damaged: " + e.what());
  }
  if (!found) return fail("data-window object '" + std::string(name) + "' not found");
  library_ = &library;
  set_object(std::move(*found));
  dataobject_ = name;
  return 1;
}

void DataWindow::set_object(DataWindowObject object) {
  dataobject_ = object.name();
  object_ = std::make_unique<DataWindowObject>(std::move(object));
  column_types_.clear();
  column_scales_.clear();
  for (const DwColumn& c : object_->columns()) {
    column_types_.push_back(c.type);
    column_scales_.push_back(decimal_scale(c));
  }
  primary_.clear();
  filtered_.clear();
  deleted_.clear();
  children_.clear();
  current_row_ = 0;
  current_column_ = column_types_.empty() ? 0 : 1;
  pending_text_.reset();
  last_args_.clear();
  retrieve_error_.clear();
  retrieve_warning_.clear();
  sort_text_.clear();
  filter_text_.clear();
}

std::vector<DataWindow::Row>& DataWindow::buffer(DwBuffer b) {
  return b == DwBuffer::kPrimary ? primary_ : b == DwBuffer::kFilter ? filtered_ : deleted_;
}
const std::vector<DataWindow::Row>& DataWindow::buffer(DwBuffer b) const {
  return b == DwBuffer::kPrimary ? primary_ : b == DwBuffer::kFilter ? filtered_ : deleted_;
}

int DataWindow::column_or_fail(std::string_view column) const {
  const int id = object_ ? object_->column_index(column) : 0;
  if (id == 0) {
    throw HostFailure(
        -1, "data window " + dataobject_ + " has no column '" + std::string(column) + "'");
  }
  return id;
}

const DataWindow::Row& DataWindow::row_or_fail(long row, DwBuffer b) const {
  const auto& rows = buffer(b);
  if (row < 1 || row > static_cast<long>(rows.size())) {
    throw HostFailure(-1, "row " + std::to_string(row) + " is not in data window " + dataobject_ +
                              " (" + std::to_string(rows.size()) + " rows)");
  }
  return rows[static_cast<std::size_t>(row - 1)];
}

DataWindow::Row& DataWindow::row_or_fail(long row) {
  return const_cast<Row&>(std::as_const(*this).row_or_fail(row, DwBuffer::kPrimary));
}

DataWindow::Row DataWindow::make_row() const {
  Row r;
  r.status = RowStatus::kNew;
  r.values.reserve(column_types_.size());
  for (const DwColumn& c : object_->columns()) {
    std::optional<Value> init;
    if (c.initial) init = from_text(*c.initial, c.type);
    r.values.push_back(init ? *init : Value::null_of(c.type));
  }
  return r;
}

// The table a SELECT reads first, to name it when the retrieval fails.
static std::string main_table(const std::string& select) {
  const std::string lower = text::lower(select);
  std::size_t at = lower.find(" from ");
  if (at == std::string::npos) return "";
  at += 6;
  while (at < lower.size() && (lower[at] == ' ' || lower[at] == '\n')) ++at;
  std::size_t end = at;
  while (end < lower.size() &&
         (is_ascii_letter(lower[end]) || std::isdigit(static_cast<unsigned char>(lower[end])) ||
          lower[end] == '_' || lower[end] == '.'))
    ++end;
  return select.substr(at, end - at);
}

long DataWindow::retrieve(std::span<const Value> args) {
  if (!object_) return fail("no data-window object");
  auto failed = [&](std::string why) {
    const std::string table = main_table(object_->select());
    retrieve_warning_.clear();
    retrieve_error_ = "retrieval of " + dataobject_ +
                      (table.empty() ? "" : " (table " + table + ")") + " failed: " + why;
    return fail(std::move(why));
  };
  if (transaction_ == nullptr || !transaction_->connected())
    return failed("no transaction object connected");
  const auto& declared = object_->arguments();
  if (args.size() != declared.size()) {
    return failed("retrieve of " + dataobject_ + " takes " + std::to_string(declared.size()) +
                  " arguments, " + std::to_string(args.size()) + " given");
  }
  std::vector<std::string> names;
  std::vector<Value> values;
  for (std::size_t i = 0; i < args.size(); ++i) {
    names.push_back(text::lower(declared[i].name));
    std::optional<Value> v = convert(args[i], declared[i].type);
    if (!v)
      return failed("retrieval argument " + declared[i].name + " does not take " +
                    fh::describe(args[i]));
    values.push_back(std::move(*v));
  }
  // Rows of the last retrieval lend their storage to the new ones.
  for (Row& r : filtered_) primary_.push_back(std::move(r));
  filtered_.clear();
  deleted_.clear();
  std::size_t used = 0;
  std::vector<std::string> unreadable;  // UTF-8
  long unreadable_count = 0;
  // A front end shows how far a long retrieval has come: counted in steps.
  constexpr std::size_t kProgressStep = 64;
  std::atomic<long>* progress = rows_read_here;
  const auto rc = transaction_->query(
      object_->select(), names, values, column_types_,
      [&](std::int32_t n) -> std::vector<Value>& {
        const auto at = static_cast<std::size_t>(n);
        if (at == primary_.size()) primary_.emplace_back();
        Row& r = primary_[at];
        r.status = RowStatus::kNotModified;
        r.original.reset();
        r.modified.clear();
        r.unreadable.clear();
        used = at + 1;
        if (progress != nullptr && used % kProgressStep == 0) {
          progress->fetch_add(kProgressStep, std::memory_order_relaxed);
        }
        return r.values;
      },
      [&](std::int32_t n, std::size_t column, const std::string& why) {
        Row& r = primary_[static_cast<std::size_t>(n)];
        if (r.unreadable.empty()) r.unreadable.assign(column_types_.size(), false);
        r.unreadable[column] = true;
        if (unreadable.size() < 3) {
          unreadable.push_back("row " + std::to_string(n + 1) + " column " +
                               object_->columns()[column].name + ": " + why);
        }
        ++unreadable_count;
      });
  primary_.resize(rc < 0 ? 0 : used);
  if (progress != nullptr) {
    progress->fetch_add(static_cast<long>(used % kProgressStep), std::memory_order_relaxed);
  }
  pending_text_.reset();
  if (rc < 0) {
    current_row_ = 0;
    return failed(transaction_->sqlerrtext());
  }
  retrieve_error_.clear();
  retrieve_warning_.clear();
  if (unreadable_count > 0) {
    std::string list;
    for (const std::string& u : unreadable) list += (list.empty() ? "" : "; ") + u;
    if (unreadable_count > 3) list += "; ...";
    retrieve_warning_ = utf8_to_gbk_lossy(
        std::to_string(unreadable_count) + " stored value" + (unreadable_count == 1 ? "" : "s") +
        " of " + dataobject_ + " could not be read (" + list +
        "); they show empty, stay as stored and cannot be changed here");
  }
  last_args_ = std::move(values);
  if (!filter_text_.empty()) filter();
  current_row_ = primary_.empty() ? 0 : 1;
  return row_count();
}

int DataWindow::set_row(long row) {
  if (row < 1 || row > row_count()) return fail("row " + std::to_string(row) + " is out of range");
  current_row_ = row;
  return 1;
}

int DataWindow::scroll_to_row(long row) {
  if (row_count() == 0) return fail("no rows");
  return set_row(std::clamp(row, 1L, row_count()));
}

long DataWindow::insert_row(long before) {
  if (!object_) return fail("no data-window object");
  if (before < 0 || before > row_count())
    return fail("row " + std::to_string(before) + " is out of range");
  const auto at = before == 0 ? primary_.end() : primary_.begin() + (before - 1);
  const long number = before == 0 ? row_count() + 1 : before;
  primary_.insert(at, make_row());
  if (current_row_ == 0) current_row_ = number;
  return number;
}

int DataWindow::delete_row(long row) {
  if (row == 0) row = current_row_;
  if (row < 1 || row > row_count()) return fail("row " + std::to_string(row) + " is out of range");
  auto it = primary_.begin() + (row - 1);
  // A row never saved leaves no trace to delete from the database.
  if (it->status != RowStatus::kNew && it->status != RowStatus::kNewModified) {
    deleted_.push_back(std::move(*it));
  }
  primary_.erase(it);
  if (current_row_ > row_count()) current_row_ = row_count();
  return 1;
}

RowStatus DataWindow::row_status(long row, DwBuffer b) const { return row_or_fail(row, b).status; }

bool DataWindow::item_modified(long row, std::string_view column) const {
  const Row& r = row_or_fail(row, DwBuffer::kPrimary);
  const auto i = static_cast<std::size_t>(column_or_fail(column) - 1);
  return !r.modified.empty() && r.modified[i];
}

int DataWindow::select_row(long row, bool on) {
  if (row == 0) {
    for (Row& r : primary_) r.selected = on;
    return 1;
  }
  if (row < 1 || row > row_count()) return fail("row " + std::to_string(row) + " is out of range");
  primary_[static_cast<std::size_t>(row - 1)].selected = on;
  return 1;
}

bool DataWindow::is_selected(long row) const {
  return row >= 1 && row <= row_count() && primary_[static_cast<std::size_t>(row - 1)].selected;
}

int DataWindow::reset() {
  primary_.clear();
  filtered_.clear();
  deleted_.clear();
  current_row_ = 0;
  pending_text_.reset();
  return 1;
}

void DataWindow::clear_change_flags(Row& r) {
  r.status = RowStatus::kNotModified;
  r.original.reset();
  r.modified.clear();
}

int DataWindow::reset_update() {
  deleted_.clear();
  for (auto* rows : {&primary_, &filtered_}) {
    for (Row& r : *rows) {
      // Rows left alone are only read: writing every row of a long list
      // costs more than the save itself.
      if (r.status == RowStatus::kNotModified && !r.original && r.modified.empty()) continue;
      clear_change_flags(r);
    }
  }
  return 1;
}

long DataWindow::modified_count() const {
  long n = static_cast<long>(deleted_.size());
  for (const auto* rows : {&primary_, &filtered_}) {
    for (const Row& r : *rows) {
      if (r.status == RowStatus::kDataModified || r.status == RowStatus::kNewModified) ++n;
    }
  }
  return n;
}

Value DataWindow::get_item(long row, std::string_view column, DwBuffer b, bool original) const {
  const auto i = static_cast<std::size_t>(column_or_fail(column) - 1);
  const Row& r = row_or_fail(row, b);
  return original ? r.original_value(i) : r.values[i];
}

Value DataWindow::get_item(long row, int column) const {
  if (!object_ || column < 1 || column > static_cast<int>(column_types_.size())) {
    throw HostFailure(-1,
                      "data window " + dataobject_ + " has no column " + std::to_string(column));
  }
  return row_or_fail(row, DwBuffer::kPrimary).values[static_cast<std::size_t>(column - 1)];
}

int DataWindow::set_item(long row, std::string_view column, const Value& v) {
  const auto i = static_cast<std::size_t>(column_or_fail(column) - 1);
  Row& r = row_or_fail(row);
  if (!r.unreadable.empty() && r.unreadable[i]) {
    return fail("row " + std::to_string(row) + " column " + std::string(column) +
                ": its stored value could not be read, so it is kept as stored and cannot be "
                "changed here");
  }
  std::optional<Value> converted = convert(v, column_types_[i]);
  if (!converted) {
    return fail("column " + std::string(column) + " (" + std::string(type_name(column_types_[i])) +
                ") does not take " + gbk_to_utf8_lossy(fh::describe(v)) +
                range_note(column_types_[i]));
  }
  // A char(n) column holds n characters on every database (PostgreSQL
  // refuses more; SQLite would keep them).
  const DwColumn& col = object_->columns()[i];
  if (col.length > 0 && converted->type() == Type::kString && !converted->is_null()) {
    const std::size_t chars = characters(converted->as_string());
    if (chars > static_cast<std::size_t>(col.length)) {
      return fail("column " + std::string(column) + " takes at most " + std::to_string(col.length) +
                  " characters, " + std::to_string(chars) + " given");
    }
  }
  // A decimal(n) column holds at most n places, as the database will store
  // it (rounded half away from zero, on every database alike).
  if (column_scales_[i] >= 0 && !converted->is_null() &&
      converted->as_decimal().scale() > column_scales_[i]) {
    converted = Round(*converted, Value::of_integer(static_cast<std::int16_t>(column_scales_[i])));
  }
  // And no more digits before the point than its database column's
  // NUMERIC(p,s) holds, on every database (PostgreSQL refuses more at the
  // save; SQLite would keep them).
  if (col.precision > 0 && converted->type() == Type::kDecimal && !converted->is_null()) {
    const int whole = col.precision - col.precision_scale;
    const Decimal stored = converted->as_decimal().round(col.precision_scale);
    const Decimal size = stored.is_negative() ? stored.negated() : stored;
    const auto limit = Decimal::parse("1" + std::string(static_cast<std::size_t>(whole), '0'));
    if (limit && size >= *limit) {
      return fail("column " + std::string(column) + " takes at most " + std::to_string(whole) +
                  " digits before the decimal point (numeric(" + std::to_string(col.precision) +
                  "," + std::to_string(col.precision_scale) + ")), " + stored.to_string() +
                  " given");
    }
  }
  if (r.status == RowStatus::kNotModified || r.status == RowStatus::kDataModified) {
    if (!r.original) r.original = std::make_unique<std::vector<Value>>(r.values);
    r.status = RowStatus::kDataModified;
  } else {
    r.status = RowStatus::kNewModified;
  }
  if (r.modified.empty()) r.modified.assign(column_types_.size(), false);
  r.modified[i] = true;
  r.values[i] = std::move(*converted);
  return 1;
}

std::string DataWindow::item_text(long row, int column) const {
  const Value v = get_item(row, column);
  if (v.is_null()) return "";
  const std::string text = String(v).as_string();
  // A code table shows the display value of the stored data value.
  const std::string& table = object_->columns()[static_cast<std::size_t>(column - 1)].values;
  std::size_t pos = 0;
  while (pos < table.size()) {
    const auto tab = table.find('\t', pos);
    const auto slash = table.find('/', tab == std::string::npos ? pos : tab);
    if (tab == std::string::npos) break;
    const std::string data =
        table.substr(tab + 1, (slash == std::string::npos ? table.size() : slash) - tab - 1);
    if (data == text) return table.substr(pos, tab - pos);
    if (slash == std::string::npos) break;
    pos = slash + 1;
  }
  return text;
}

int DataWindow::set_column(std::string_view column) {
  const int id = object_ ? object_->column_index(column) : 0;
  if (id == 0) return fail("no column '" + std::string(column) + "'");
  current_column_ = id;
  return 1;
}

int DataWindow::set_column(int column) {
  if (!object_ || column < 1 || column > static_cast<int>(column_types_.size())) {
    return fail("no column " + std::to_string(column));
  }
  current_column_ = column;
  return 1;
}

std::string DataWindow::get_column_name() const {
  if (!object_ || current_column_ == 0) return "";
  return object_->columns()[static_cast<std::size_t>(current_column_ - 1)].name;
}

std::string DataWindow::protection(long row, int column) const {
  if (!object_ || column < 1 || column > static_cast<int>(column_types_.size())) return "";
  const std::string& name = object_->columns()[static_cast<std::size_t>(column - 1)].name;
  if (row >= 1 && row <= row_count() && is_unreadable(row, column)) {
    return "column " + name + " of row " + std::to_string(row) +
           " could not be read and cannot be changed here";
  }
  const DwControl* shown = object_->control(name);
  if (shown == nullptr) return "";
  if (const std::string* tab = find_property(shown->properties, "tabsequence");
      tab != nullptr && std::atol(tab->c_str()) == 0) {
    return "column " + name + " of " + dataobject_ + " is protected (tab order 0)";
  }
  if (const std::string* protect = find_property(shown->properties, "protect")) {
    Value on = Value::of_string(*protect);
    try {
      if (const auto expr = property_expression(*protect)) {
        on = row >= 1 && row <= row_count() ? DwExpression::parse(*expr).evaluate(*this, row)
                                            : Value();
      }
    } catch (const std::exception&) {
      on = Value();  // a broken expression protects nothing, as the platform shows it
    }
    const bool yes = !on.is_null() &&
                     (on.type() == Type::kBoolean ? on.as_bool()
                                                  : std::atol(String(on).as_string().c_str()) != 0);
    if (yes)
      return "column " + name + " of " + dataobject_ + " is protected in row " +
             std::to_string(row);
  }
  return "";
}

// A typed text checked against the column's code list: a data value stays,
// a display value becomes its data value; none when it is neither.
static std::optional<std::string> code_value(const std::string& table, const std::string& typed) {
  std::size_t pos = 0;
  while (pos < table.size()) {
    const auto tab = table.find('\t', pos);
    if (tab == std::string::npos) break;
    const auto slash = table.find('/', tab);
    const std::string display = table.substr(pos, tab - pos);
    const std::string data =
        table.substr(tab + 1, (slash == std::string::npos ? table.size() : slash) - tab - 1);
    if (typed == data) return data;
    if (typed == display) return data;
    if (slash == std::string::npos) break;
    pos = slash + 1;
  }
  return std::nullopt;
}

int DataWindow::accept_text() {
  if (!pending_text_) return 1;
  if (current_row_ < 1 || current_row_ > row_count() || current_column_ == 0) {
    pending_text_.reset();
    return 1;
  }
  const auto i = static_cast<std::size_t>(current_column_ - 1);
  const std::string column = get_column_name();
  if (const std::string& codes = object_->columns()[i].values;
      !codes.empty() && !pending_text_->empty()) {
    const auto data = code_value(codes, *pending_text_);
    if (!data) {
      return fail("'" + gbk_to_utf8_lossy(*pending_text_) + "' is not in the code list of " +
                  column);
    }
    *pending_text_ = *data;
  }
  if (!from_text(*pending_text_, column_types_[i])) {
    const bool number = Decimal::parse(*pending_text_).has_value();
    return fail("'" + gbk_to_utf8_lossy(*pending_text_) + "' is not a valid value for " + column +
                (number ? std::string(": out of range") + range_note(column_types_[i]) : ""));
  }
  // The value is in the row while itemchanged runs, so the script sees what
  // was typed; a refusal puts the cell back as it was.
  const long row = current_row_;
  Row& r = primary_[static_cast<std::size_t>(row - 1)];
  const Value before = r.values[i];
  const std::vector<bool> modified_before = r.modified;
  const RowStatus status_before = r.status;
  const bool had_original = r.original != nullptr;
  if (set_item(row, column, Value::of_string(*pending_text_)) != 1) return -1;
  const Value* identity = r.values.data();
  const long verdict = item_changed_ ? item_changed_(row, column, *pending_text_) : 0;
  if (verdict != 0) {
    // Only when the script left the row where it was (its buffer moves with it).
    if (row <= row_count() &&
        primary_[static_cast<std::size_t>(row - 1)].values.data() == identity) {
      Row& same = primary_[static_cast<std::size_t>(row - 1)];
      same.values[i] = before;
      same.modified[i] = !modified_before.empty() && modified_before[i];
      const bool changed =
          std::find(same.modified.begin(), same.modified.end(), true) != same.modified.end();
      if (!changed) {
        same.status = status_before;
        if (!had_original) same.original.reset();
      }
    }
    if (verdict == 1) return fail("the value for " + column + " was refused");
  }
  pending_text_.reset();
  return 1;
}

int DataWindow::update(bool accept, bool reset_flags) {
  if (!object_) return fail("no data-window object");
  if (accept && accept_text() != 1) return -1;
  if (transaction_ == nullptr || !transaction_->connected())
    return fail("no transaction object connected");
  // Anything to save? Stops at the first changed row rather than counting them all.
  auto changed = [](const Row& r) {
    return r.status == RowStatus::kDataModified || r.status == RowStatus::kNewModified;
  };
  if (deleted_.empty() && std::ranges::none_of(primary_, changed) &&
      std::ranges::none_of(filtered_, changed))
    return 1;
  if (object_->update_table().empty())
    return fail("data window " + dataobject_ + " is not updatable");
  if (transaction_->savepoint(kSavepoint) != 0) return fail(transaction_->sqlerrtext());
  std::vector<Row*> touched;
  if (run_update(touched) != 1) {
    const std::string why = last_error_;
    transaction_->rollback_to(kSavepoint);
    return fail(why);
  }
  if (transaction_->release(kSavepoint) != 0) {
    // Still inside the savepoint: undo it, or a later commit would save
    // what this update reports as failed.
    const std::string why = transaction_->sqlerrtext();
    transaction_->rollback_to(kSavepoint);
    return fail(why);
  }
  // The rows the update walked past are reset without walking them again.
  if (reset_flags) {
    deleted_.clear();
    for (Row* r : touched) clear_change_flags(*r);
  }
  return 1;
}

// The statements of one update, in the platform's order: deletions, then the
// changed and new rows as they stand. Stops at the first failure.
//
// Which row a statement may change follows the object's update-where setting:
// 0 the key alone, 1 the key and every updatable column, 2 the key and the
// columns changed here, each compared with the value as read. A statement
// that finds no such row means another station changed or deleted it: the
// update fails naming the row and the column, and conflict_row() says which.
int DataWindow::run_update(std::vector<Row*>& touched) {
  const auto& cols = object_->columns();
  const std::string& table = object_->update_table();
  std::vector<std::size_t> keys;
  for (std::size_t i = 0; i < cols.size(); ++i) {
    if (cols[i].key) keys.push_back(i);
  }
  if (keys.empty()) return fail("data window " + dataobject_ + " names no key columns");
  const std::string* where_setting = find_property(object_->table_properties(), "updatewhere");
  const int where_mode = where_setting == nullptr ? 0 : std::atoi(where_setting->c_str());
  conflict_row_ = 0;

  std::vector<Value> params;
  // A statement's text follows from its shape (which columns it sets, which
  // it compares, which compare as null), so the text is built only when the
  // shape changes: consecutive rows edited alike run one prepared statement.
  auto add_to_shape = [](std::string& shape, char what, std::size_t column) {
    shape += what;
    shape += static_cast<char>(column & 0xFF);
    shape += static_cast<char>(column >> 8);
  };
  // The WHERE of one row: its keys, then what the setting adds, each as read
  // (a null as "is null"; a value that could not be read is not compared).
  // False when a key could not be read.
  std::vector<std::size_t> compared;
  auto compare_row = [&](const Row& r, std::string& shape) {
    compared.clear();
    for (std::size_t k : keys) {
      if (!r.unreadable.empty() && r.unreadable[k]) return false;
      compared.push_back(k);
    }
    for (std::size_t i = 0; i < cols.size(); ++i) {
      if (cols[i].key || !cols[i].update || !cols[i].updatewhereclause) continue;
      if (!r.unreadable.empty() && r.unreadable[i]) continue;
      const bool changed = !r.modified.empty() && r.modified[i];
      if (where_mode == 1 || (where_mode == 2 && changed)) compared.push_back(i);
    }
    for (std::size_t i : compared) {
      const Value& v = r.original_value(i);
      if (v.is_null()) {
        add_to_shape(shape, 'n', i);
      } else {
        add_to_shape(shape, 'w', i);
        params.push_back(v);
      }
    }
    return true;
  };
  auto where_text = [&](const Row& r) {
    std::string sql;
    for (std::size_t i : compared) {
      sql += (sql.empty() ? " where " : " and ") + db_column(cols[i]);
      sql += r.original_value(i).is_null() ? " is null" : " = :w" + std::to_string(i);
    }
    return sql;
  };
  auto run = [&](const std::string& sql, const Row* r, long row) {
    if (transaction_->execute(sql, params) != 0) return fail(transaction_->sqlerrtext());
    if (r != nullptr && transaction_->sqlnrows() != 1) {
      const std::string what = describe_conflict(*r, compared);
      if (row > 0) conflict_row_ = row;
      return fail((row > 0 ? "row " + std::to_string(row) : std::string("a deleted row")) + " of " +
                  table + " (" + key_text(*r) + ") " + what +
                  "; nothing was saved and the edits are kept");
    }
    return 1;
  };
  auto unreadable_key = [&](const Row&) {
    return fail("a key of " + table + " could not be read: the row cannot be saved");
  };

  std::string shape, sql_shape, sql;
  for (const Row& r : deleted_) {
    params.clear();
    shape = "d";
    if (!compare_row(r, shape)) return unreadable_key(r);
    if (shape != sql_shape) {
      sql = "delete from " + table + where_text(r);
      sql_shape = shape;
    }
    if (run(sql, &r, 0) != 1) return -1;
  }

  std::string insert_sql;
  std::vector<std::size_t> inserted;
  for (std::size_t i = 0; i < cols.size(); ++i) {
    if (cols[i].update || cols[i].key) inserted.push_back(i);
  }
  for (auto* rows : {&primary_, &filtered_}) {
    long number = 0;
    for (Row& r : *rows) {
      ++number;
      if (r.status != RowStatus::kNotModified || r.original || !r.modified.empty())
        touched.push_back(&r);
      if (r.status == RowStatus::kNewModified) {
        params.clear();
        if (insert_sql.empty()) {
          std::string names, marks;
          for (std::size_t i : inserted) {
            names += (names.empty() ? "" : ", ") + db_column(cols[i]);
            marks += (marks.empty() ? ":v" : ", :v") + std::to_string(i);
          }
          insert_sql = "insert into " + table + " (" + names + ") values (" + marks + ")";
        }
        for (std::size_t i : inserted) params.push_back(r.values[i]);
        if (run(insert_sql, nullptr, 0) != 1) return -1;
      } else if (r.status == RowStatus::kDataModified) {
        params.clear();
        // Only the changed columns the object saves.
        shape = "u";
        for (std::size_t i = 0; i < cols.size(); ++i) {
          if (cols[i].update && !r.modified.empty() && r.modified[i]) {
            add_to_shape(shape, 's', i);
            params.push_back(r.values[i]);
          }
        }
        if (shape.size() == 1) continue;
        if (!compare_row(r, shape)) return unreadable_key(r);
        if (shape != sql_shape) {
          std::string sets;
          for (std::size_t i = 0; i < cols.size(); ++i) {
            if (cols[i].update && !r.modified.empty() && r.modified[i])
              sets += (sets.empty() ? "" : ", ") + db_column(cols[i]) + " = :v" + std::to_string(i);
          }
          sql = "update " + table + " set " + sets + where_text(r);
          sql_shape = shape;
        }
        // Filtered rows are not numbered for the operator.
        if (run(sql, &r, rows == &primary_ ? number : 0) != 1) return -1;
      }
    }
  }
  return 1;
}

// The row's keys as read, "f3jbid 3".
std::string DataWindow::key_text(const Row& r) const {
  std::string out;
  const auto& cols = object_->columns();
  for (std::size_t i = 0; i < cols.size(); ++i) {
    if (!cols[i].key) continue;
    const Value& v = r.original_value(i);
    out += (out.empty() ? "" : ", ") + cols[i].name + " " +
           (v.is_null() ? std::string("null") : String(v).as_string());
  }
  return out;
}

// After a statement found no row: reads the row by its key to say whether
// it is gone or which compared column another station changed.
std::string DataWindow::describe_conflict(const Row& r, const std::vector<std::size_t>& compared) {
  const auto& cols = object_->columns();
  std::string sql, where;
  std::vector<Value> params;
  std::vector<Value> found;
  std::vector<std::size_t> read;
  for (std::size_t i : compared) {
    if (cols[i].key) {
      where +=
          (where.empty() ? " where " : " and ") + db_column(cols[i]) + " = :k" + std::to_string(i);
      params.push_back(r.original_value(i));
    } else {
      sql += (sql.empty() ? "" : ", ") + db_column(cols[i]);
      read.push_back(i);
      found.push_back(Value::null_of(cols[i].type));
    }
  }
  if (sql.empty()) sql = "1";
  if (read.empty()) found.push_back(Value::of_long(0));
  const std::int32_t rc = transaction_->select_into(
      "select " + sql + " from " + object_->update_table() + where, params, found);
  if (rc == 100) return "was deleted by another station since it was read";
  if (rc != 0) return "was changed by another station since it was read";
  for (std::size_t n = 0; n < read.size(); ++n) {
    const Value& was = r.original_value(read[n]);
    const Value& now = found[n];
    const bool same = was.is_null() ? now.is_null() : !now.is_null() && is_true(eq(was, now));
    if (!same) {
      auto shown = [](const Value& v) {
        return v.is_null() ? std::string("null") : "'" + String(v).as_string() + "'";
      };
      return "was changed by another station since it was read: column " + cols[read[n]].name +
             " is now " + shown(now) + " (was " + shown(was) + ")";
    }
  }
  return "was changed by another station since it was read";
}

int DataWindow::reselect_row(long row) {
  if (!object_) return fail("no data-window object");
  Row& mine = row_or_fail(row);
  const auto& cols = object_->columns();
  std::vector<Row> fresh;
  std::vector<std::string> names;
  for (const DwArgument& a : object_->arguments()) names.push_back(text::lower(a.name));
  const auto rc = transaction_->query(object_->select(), names, last_args_, column_types_,
                                      [&](std::int32_t) -> std::vector<Value>& {
                                        fresh.emplace_back();
                                        return fresh.back().values;
                                      });
  if (rc < 0) return fail(transaction_->sqlerrtext());
  for (Row& f : fresh) {
    bool same = true;
    for (std::size_t i = 0; i < cols.size() && same; ++i) {
      if (!cols[i].key) continue;
      const Value& a = mine.original_value(i);
      same = !a.is_null() && !f.values[i].is_null() && is_true(eq(a, f.values[i]));
    }
    if (!same) continue;
    mine.values = std::move(f.values);
    mine.original.reset();
    mine.modified.clear();
    mine.unreadable.clear();
    mine.status = RowStatus::kNotModified;
    return 1;
  }
  // Deleted by the other station: it goes from the list too.
  primary_.erase(primary_.begin() + (row - 1));
  if (current_row_ > row_count()) current_row_ = row_count();
  return 1;
}

bool DataWindow::is_unreadable(long row, int column) const {
  const Row& r = row_or_fail(row, DwBuffer::kPrimary);
  return column >= 1 && static_cast<std::size_t>(column) <= r.unreadable.size() &&
         r.unreadable[static_cast<std::size_t>(column - 1)];
}

std::string DataWindow::get_sqlselect() const { return object_ ? object_->select() : ""; }

int DataWindow::set_sqlselect(std::string_view sql) {
  if (!object_) return fail("no data-window object");
  const std::string err = object_->modify("DataWindow.Table.Select=" + modify_quote(sql));
  return err.empty() ? 1 : fail(err);
}

int DataWindow::set_sort(std::string_view sort_text) {
  try {
    parse_sort(sort_text);
  } catch (const Error& e) {
    return fail(e.what());
  }
  sort_text_ = sort_text;
  return 1;
}

int DataWindow::sort() {
  if (sort_text_.empty() || primary_.size() < 2) return 1;
  try {
    const std::vector<SortKey> keys = parse_sort(sort_text_);
    std::vector<std::vector<Value>> key_values;
    for (const SortKey& k : keys) key_values.push_back(k.key.evaluate_all(*this));
    std::vector<std::size_t> order(primary_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      for (std::size_t k = 0; k < keys.size(); ++k) {
        const int c = compare_sort_values(key_values[k][a], key_values[k][b]);
        if (c != 0) return keys[k].ascending ? c < 0 : c > 0;
      }
      return false;
    });
    std::vector<Row> sorted;
    sorted.reserve(primary_.size());
    long new_current = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
      if (static_cast<long>(order[i]) + 1 == current_row_) new_current = static_cast<long>(i) + 1;
      sorted.push_back(std::move(primary_[order[i]]));
    }
    primary_ = std::move(sorted);
    current_row_ = new_current;
    return 1;
  } catch (const std::exception& e) {
    return fail(e.what());
  }
}

int DataWindow::set_filter(std::string_view expr) {
  if (!expr.empty()) {
    try {
      DwExpression::parse(expr);
    } catch (const Error& e) {
      return fail(e.what());
    }
  }
  filter_text_ = expr;
  return 1;
}

int DataWindow::filter() {
  for (Row& r : filtered_) primary_.push_back(std::move(r));
  filtered_.clear();
  if (!filter_text_.empty()) {
    try {
      const std::vector<Value> pass = DwExpression::parse(filter_text_).evaluate_all(*this);
      std::vector<Row> kept;
      for (std::size_t i = 0; i < primary_.size(); ++i) {
        (is_true(pass[i]) ? kept : filtered_).push_back(std::move(primary_[i]));
      }
      primary_ = std::move(kept);
    } catch (const std::exception& e) {
      return fail(e.what());
    }
  }
  current_row_ = primary_.empty() ? 0 : std::clamp(current_row_, 1L, row_count());
  return 1;
}

std::string DataWindow::modify(std::string_view expr) {
  if (!object_) return "no data-window object";
  return object_->modify(expr);
}

std::string DataWindow::describe(std::string_view expr) const {
  return object_ ? object_->describe(expr) : "!";
}

DataWindow* DataWindow::get_child(std::string_view column) {
  const DwColumn* c = object_ ? object_->column(column) : nullptr;
  if (c == nullptr || c->dddw_name.empty() || library_ == nullptr) return nullptr;
  const std::string key = text::lower(column);
  for (auto& [name, child] : children_) {
    if (name == key) return child.get();
  }
  auto child = std::make_unique<DataWindow>();
  if (child->set_dataobject(*library_, c->dddw_name) != 1) {
    fail(child->last_error());
    return nullptr;
  }
  children_.emplace_back(key, std::move(child));
  return children_.back().second.get();
}

const DataWindow* DataWindow::existing_child(std::string_view column) const {
  const std::string key = text::lower(column);
  for (const auto& [name, child] : children_) {
    if (name == key) return child.get();
  }
  return nullptr;
}

Value DataWindow::item(long row, std::string_view column) const {
  const int id = object_ ? object_->column_index(column) : 0;
  if (id == 0) throw Error("no column '" + std::string(column) + "' in " + dataobject_);
  return primary_[static_cast<std::size_t>(row - 1)].values[static_cast<std::size_t>(id - 1)];
}

bool DataWindow::has_column(std::string_view column) const {
  return object_ && object_->column_index(column) != 0;
}

std::string DataWindow::column_name(int n) const {
  if (!object_ || n < 1 || n > static_cast<int>(column_types_.size())) {
    throw Error("no column #" + std::to_string(n) + " in " + dataobject_);
  }
  return object_->columns()[static_cast<std::size_t>(n - 1)].name;
}

std::vector<std::string> DataWindow::check_invariants() const {
  std::vector<std::string> faults;
  const std::size_t width = column_types_.size();
  const char* names[] = {"primary", "filter", "delete"};
  for (DwBuffer b : {DwBuffer::kPrimary, DwBuffer::kFilter, DwBuffer::kDelete}) {
    const auto& rows = buffer(b);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const Row& r = rows[i];
      const std::string where =
          std::string(names[static_cast<int>(b)]) + " row " + std::to_string(i + 1);
      if (r.values.size() != width)
        faults.push_back(where + " has " + std::to_string(r.values.size()) + " values");
      if (!r.modified.empty() && r.modified.size() != width)
        faults.push_back(where + " has a short change list");
      const bool changed =
          std::find(r.modified.begin(), r.modified.end(), true) != r.modified.end();
      const bool is_new = r.status == RowStatus::kNew || r.status == RowStatus::kNewModified;
      if (r.status == RowStatus::kNotModified && changed)
        faults.push_back(where + " is not modified but has changed items");
      if (r.status == RowStatus::kDataModified && !changed)
        faults.push_back(where + " is modified without a changed item");
      if (is_new && r.original) faults.push_back(where + " is new but keeps retrieved values");
      if (b == DwBuffer::kDelete && is_new)
        faults.push_back(where + " was never saved but waits to be deleted");
    }
  }
  if (current_row_ < 0 || current_row_ > row_count() || (row_count() > 0) != (current_row_ > 0)) {
    faults.push_back("current row " + std::to_string(current_row_) + " with " +
                     std::to_string(row_count()) + " rows");
  }
  if (current_column_ < 0 || current_column_ > static_cast<int>(width)) {
    faults.push_back("current column " + std::to_string(current_column_) + " of " +
                     std::to_string(width));
  }
  return faults;
}

}  // namespace fh
