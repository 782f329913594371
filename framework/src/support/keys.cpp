#include "keys.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <set>

#include "formhost/datawindow.h"
#include "formhost/functions.h"
#include "formhost/text.h"

namespace zrf {
namespace {

constexpr std::size_t kCounterNameSize = 60;  // zr_keygen.keyname

bool is_plain_name(const std::string& name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
  });
}

bool is_number_type(fh::Type t) {
  return t == fh::Type::kLong || t == fh::Type::kInteger || t == fh::Type::kDecimal;
}

long long whole(const fh::Value& v) {
  return v.is_null() || !v.is_number() ? 0 : fh::Long(v).as_long();
}

}  // namespace

NewKeys::NewKeys(fh::Object& form, std::string_view counter) : form_(&form) {
  fh::DataWindow* dw = form.datawindow();
  if (dw == nullptr || !dw->has_object()) return;
  const fh::DataWindowObject& obj = dw->object();
  const fh::DwColumn* key = nullptr;
  for (const fh::DwColumn& c : obj.columns()) {
    if (!c.key) continue;
    if (key != nullptr) return;  // a compound key is the user's to give
    key = &c;
  }
  if (key == nullptr || !is_number_type(key->type)) return;
  std::string table = obj.update_table();
  std::string column = key->dbname.substr(key->dbname.find('.') + 1);
  std::string name = counter.empty() ? table + "_" + column : fh::text::lower(counter);
  // Names from the object's source and the editor's script, never from the
  // user; they go into SQL, so they are checked all the same.
  if (!is_plain_name(table) || !is_plain_name(column) || !is_plain_name(name) ||
      name.size() > kCounterNameSize) {
    return;
  }
  table_ = std::move(table);
  column_ = std::move(column);
  key_ = key->name;
  counter_ = std::move(name);
}

bool NewKeys::number(fh::Transaction& db, std::string& why) {
  numbered_.clear();
  if (!active()) return true;
  fh::DataWindow& dw = *form_->datawindow();
  // A script may have shown another object since.
  const fh::DwColumn* key = dw.has_object() ? dw.object().column(key_) : nullptr;
  if (key == nullptr || !is_number_type(key->type)) return true;
  std::vector<long> rows;
  for (long r = 1; r <= dw.row_count(); ++r) {
    // An untouched new row is not saved, so it takes no number either.
    if (dw.row_status(r) == fh::RowStatus::kNewModified && dw.get_item(r, key_).is_null()) {
      rows.push_back(r);
    }
  }
  if (rows.empty()) return true;
  // Numbers the form's rows already hold (typed into other new rows) are not free.
  std::set<long long> held;
  for (long r = 1; r <= dw.row_count(); ++r) held.insert(whole(dw.get_item(r, key_)));
  for (long r = 1; r <= dw.filtered_count(); ++r) {
    held.insert(whole(dw.get_item(r, key_, fh::DwBuffer::kFilter)));
  }

  const fh::Value name[] = {fh::Value::of_string(counter_)};
  // The counter's row and its lock first: a station saving into the same
  // counter waits here until this transaction ends.
  if (db.execute("insert into zr_keygen (keyname, lastkey) values (:k, 0) "
                 "on conflict (keyname) do nothing",
                 name) != 0 ||
      db.execute("update zr_keygen set lastkey = lastkey where keyname = :k", name) != 0) {
    why = db.sqlerrtext();
    return false;
  }
  // A statement of its own after the lock, so that it sees what the station
  // that held the lock before committed.
  fh::Value last[] = {fh::Value::of_long(0), fh::Value::of_long(0)};
  const std::string sql = "select lastkey, (select coalesce(max(" + column_ + "), 0) from " +
                          table_ + ") from zr_keygen where keyname = :k";
  const std::int32_t found = db.select_into(sql, name, last);
  if (found != 0) {
    why = found == 100 ? "编号计数器 " + counter_ + " 不存在" : db.sqlerrtext();
    return false;
  }
  long long next = std::max(whole(last[0]), whole(last[1]));
  const long long limit = key->type == fh::Type::kInteger
                              ? std::numeric_limits<std::int16_t>::max()
                              : std::numeric_limits<std::int32_t>::max();
  for (const long r : rows) {
    do {
      ++next;
    } while (held.contains(next));
    if (next > limit) {
      why = table_ + " 的编号已用完";
      return false;
    }
    if (dw.set_item(r, key_, fh::Value::of_long(static_cast<std::int32_t>(next))) != 1) {
      why = dw.last_error();
      return false;
    }
    numbered_.push_back(r);
  }
  const fh::Value last_given[] = {fh::Value::of_long(static_cast<std::int32_t>(next)), name[0]};
  if (db.execute("update zr_keygen set lastkey = :n where keyname = :k", last_given) != 0) {
    why = db.sqlerrtext();
    return false;
  }
  return true;
}

void NewKeys::give_back() {
  fh::DataWindow& dw = *form_->datawindow();
  if (!dw.has_object() || dw.object().column(key_) == nullptr) numbered_.clear();
  for (const long r : numbered_) {
    if (r <= dw.row_count()) dw.set_item(r, key_, fh::Value());
  }
  numbered_.clear();
}

}  // namespace zrf
