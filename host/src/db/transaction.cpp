#include "formhost/transaction.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <thread>
#include <vector>

#include "connection.h"
#include "formhost/errors.h"
#include "formhost/text.h"

namespace fh {
namespace {

// The types of the values, in `small` when they fit: a lookup by key is
// called often enough that a heap allocation shows.
std::span<const Type> types_of(std::span<const Value> values, std::span<Type> small,
                               std::vector<Type>& large) {
  std::span<Type> out = small.first(std::min(small.size(), values.size()));
  if (values.size() > small.size()) {
    large.resize(values.size());
    out = large;
  }
  for (std::size_t i = 0; i < values.size(); ++i) out[i] = values[i].type();
  return out;
}

// Leaves a query without a read snapshot, however it ended.
struct QueryDone {
  detail::Statement* st = nullptr;
  ~QueryDone() {
    if (st != nullptr) st->reset();
  }
};

bool changes_data(std::string_view sql) {
  std::size_t i = 0;
  while (i < sql.size() && (sql[i] == ' ' || sql[i] == '\t' || sql[i] == '\n' || sql[i] == '\r'))
    ++i;
  std::size_t end = i;
  while (end < sql.size() && end - i < 8 && is_ascii_letter(sql[end])) ++end;
  const std::string_view word = sql.substr(i, end - i);
  return !text::iequal(word, "select") && !text::iequal(word, "with") &&
         !text::iequal(word, "pragma");
}

}  // namespace

std::string redacted_connection(std::string_view c) {
  const auto q = c.find('?');
  std::string out(c.substr(0, q));
  // The parser reads the password from the first ':' after "//" to the first
  // '@'. Up to the last '@' before the parameters is hidden: a '@' or '/' of
  // a password written raw (a string the parser refuses or misreads) must
  // not show either.
  if (const auto scheme = out.find("://"); scheme != std::string::npos) {
    const auto first_at = out.find('@', scheme + 3);
    const auto colon = out.find(':', scheme + 3);
    if (first_at != std::string::npos && colon < first_at) {
      out.erase(colon, out.rfind('@') - colon);
    }
  }
  if (q == std::string_view::npos) return out;
  // Every parameter but password=..., its name read as the parser reads it.
  std::string kept;
  for (std::string_view params = c.substr(q + 1); !params.empty();) {
    const auto amp = params.find('&');
    const std::string_view kv = params.substr(0, amp);
    const std::string_view key = kv.substr(0, kv.find('='));
    if (!text::iequal(detail::percent_decoded(key).value_or(std::string(key)), "password")) {
      kept += kept.empty() ? "" : "&";
      kept += kv;
    }
    params = amp == std::string_view::npos ? std::string_view() : params.substr(amp + 1);
  }
  return kept.empty() ? out : out + "?" + kept;
}

Transaction::Transaction() = default;
Transaction::~Transaction() = default;

namespace detail {
struct FaultAccess {
  static FaultPlan& plan(Transaction& t) {
    if (!t.faults_) t.faults_ = std::make_unique<FaultPlan>();
    return *t.faults_;
  }
  static const FaultPlan* plan(const Transaction& t) { return t.faults_.get(); }
  static void attach(Transaction& t, FaultPlan* p);
  static bool lost(const Transaction& t) { return t.conn_ && t.conn_->lost(); }
};
}  // namespace detail

namespace testing {

void fail_db_call(Transaction& t, long n, DbFault kind, bool persistent) {
  detail::FaultPlan& p = detail::FaultAccess::plan(t);
  p = detail::FaultPlan{n, kind, persistent, 0, false};
  // A cleared plan leaves the calls unguarded again.
  detail::FaultAccess::attach(t, n == 0 ? nullptr : &p);
}

long db_calls(const Transaction& t) {
  const detail::FaultPlan* p = detail::FaultAccess::plan(t);
  return p == nullptr ? 0 : p->calls;
}

bool db_fault_fired(const Transaction& t) {
  const detail::FaultPlan* p = detail::FaultAccess::plan(t);
  return p != nullptr && p->fired;
}

bool connection_lost(const Transaction& t) { return detail::FaultAccess::lost(t); }

}  // namespace testing

bool Transaction::connected() const { return conn_ != nullptr; }

bool Transaction::is_postgres() const {
  return conn_ && conn_->backend() == detail::Backend::kPostgres;
}

std::int32_t Transaction::ok(std::int32_t rows) {
  sqlcode_ = 0;
  sqlnrows_ = rows;
  sqldbcode_ = 0;
  sqlerrtext_.clear();
  return sqlcode_;
}

std::int32_t Transaction::not_found() {
  ok(0);
  sqlcode_ = 100;
  return sqlcode_;
}

std::int32_t Transaction::error(std::string text, std::int32_t dbcode) {
  sqlcode_ = -1;
  sqlnrows_ = 0;
  sqldbcode_ = dbcode;
  sqlerrtext_ = std::move(text);
  return sqlcode_;
}

// Turns whatever the database layer threw into SQLCode -1 and a GBK text.
std::int32_t Transaction::fail_current_exception(std::string_view what) {
  std::string prefix = what.empty() ? "" : std::string(what) + ": ";
  // A broken link is noticed here, so that the next statement reconnects.
  if (conn_ && !conn_->alive()) {
    if (!conn_->lost()) conn_->lose();
    prefix = "the connection to the database was lost (the next action connects again): " + prefix;
  }
  try {
    throw;
  } catch (const detail::SqlError& e) {
    return error(utf8_to_gbk_lossy(prefix + e.what()), e.code());
  } catch (const soci::sqlite3_soci_error& e) {
    return error(utf8_to_gbk_lossy(prefix + e.get_error_message()), e.result());
  } catch (const soci::postgresql_soci_error& e) {
    return error(utf8_to_gbk_lossy(prefix + e.sqlstate() + " " + e.get_error_message()), -1);
  } catch (const soci::soci_error& e) {
    return error(utf8_to_gbk_lossy(prefix + e.get_error_message()));
  } catch (const std::exception& e) {
    return error(utf8_to_gbk_lossy(prefix + e.what()));
  }
}

std::int32_t Transaction::connect(std::string_view connection) {
  if (conn_) disconnect();
  try {
    conn_ = detail::Connection::open(connection,
                                     faults_ && faults_->fail_at != 0 ? faults_.get() : nullptr);
    connection_ = connection;
    transaction_ended();
    return ok(0);
  } catch (...) {
    conn_.reset();
    connection_.clear();
    return fail_current_exception("cannot connect to '" + redacted_connection(connection) + "'");
  }
}

std::int32_t Transaction::disconnect() {
  if (!conn_) return error("not connected");
  try {
    if (in_transaction_) conn_->rollback();
  } catch (...) {
    // Closing anyway: the connection is going.
  }
  conn_.reset();
  connection_.clear();
  transaction_ended();
  return ok(0);
}

bool Transaction::read_only() const { return conn_ && conn_->read_only(); }

std::string Transaction::why_read_only() const {
  if (!read_only()) return {};
  return "the database " + redacted_connection(connection_) +
         " is open for viewing only (the file or its folder cannot be written)";
}

void Transaction::reconnect_if_lost() {
  if (!conn_->lost() || in_transaction_) return;
  constexpr int kTries = 3;
  std::string why;
  for (int i = 0; i < kTries; ++i) {
    if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(200 * i));
    try {
      conn_ = detail::Connection::open(connection_,
                                       faults_ && faults_->fail_at != 0 ? faults_.get() : nullptr);
      return;
    } catch (const detail::SqlError& e) {
      why = e.what();
    } catch (const soci::soci_error& e) {
      why = e.get_error_message();
    } catch (const std::exception& e) {
      why = e.what();
    }
  }
  throw detail::ConnectionLost("the database is out of reach (" + why + ")", -1);
}

void Transaction::begin_if_needed() {
  if (conn_->read_only()) throw Error(why_read_only() + ": nothing can be saved");
  if (in_transaction_) return;
  conn_->begin();
  in_transaction_ = true;
}

std::int32_t Transaction::commit() {
  if (!conn_) return error("not connected");
  try {
    if (in_transaction_) conn_->commit();
    transaction_ended();
    return ok(0);
  } catch (...) {
    const std::int32_t rc = fail_current_exception("commit");
    // SQLite keeps the transaction after SQLITE_BUSY; PostgreSQL ends it.
    if (!conn_->transaction_open()) transaction_ended();
    return rc;
  }
}

std::int32_t Transaction::rollback() {
  if (!conn_) return error("not connected");
  try {
    if (in_transaction_) conn_->rollback();
    transaction_ended();
    return ok(0);
  } catch (...) {
    const std::int32_t rc = fail_current_exception("rollback");
    // Whatever the transaction holds must not reach a later commit.
    if (conn_->transaction_open()) conn_->lose();
    transaction_ended();
    return rc;
  }
}

std::int32_t Transaction::select_into(std::string_view sql, std::span<const Value> params,
                                      std::span<Value> targets) {
  if (!conn_) return error("not connected");
  try {
    reconnect_if_lost();
    std::array<Type, 16> small;
    std::vector<Type> large;
    detail::Statement& st = conn_->prepare(sql, params, types_of(targets, small, large));
    const QueryDone done{&st};
    conn_->execute(st, params);
    if (!conn_->fetch(st)) return not_found();
    std::vector<Value>& row = st.scratch;
    row.resize(targets.size());
    st.read_row(row);
    if (conn_->fetch(st)) return error("select into found more than one row");
    for (std::size_t i = 0; i < targets.size(); ++i) targets[i] = std::move(row[i]);
    return ok(1);
  } catch (...) {
    return fail_current_exception("");
  }
}

std::int32_t Transaction::execute(std::string_view sql, std::span<const Value> params) {
  if (!conn_) return error("not connected");
  try {
    reconnect_if_lost();
    if (changes_data(sql)) begin_if_needed();
    detail::Statement& st = conn_->prepare(sql, params, {});
    conn_->execute(st, params);
    return ok(static_cast<std::int32_t>(st.affected_rows()));
  } catch (...) {
    return fail_current_exception("");
  }
}

std::int32_t Transaction::query(std::string_view sql, std::span<const std::string> names,
                                std::span<const Value> params, std::span<const Type> types,
                                const RowSink& row, const UnreadableSink& unreadable) {
  if (!conn_) return error("not connected");
  try {
    reconnect_if_lost();
    // Parameters go in the order the text names them; one argument may appear twice.
    std::vector<Value> ordered;
    for (const std::string& name : conn_->host_variables(sql)) {
      std::size_t i = 0;
      while (i < names.size() && names[i] != name) ++i;
      if (i == names.size()) {
        return error("the statement names :" + name + ", which is not a retrieval argument");
      }
      ordered.push_back(params[i]);
    }
    detail::Statement& st = conn_->prepare(sql, ordered, types);
    const QueryDone done{&st};
    conn_->execute(st, ordered);
    std::int32_t count = 0;
    detail::Statement::Unreadable bad;
    while (conn_->fetch(st)) {
      std::vector<Value>& values = row(count++);
      values.resize(types.size());
      if (!unreadable) {
        st.read_row(values);
        continue;
      }
      bad.clear();
      st.read_row(values, &bad);
      for (const auto& [column, why] : bad) unreadable(count - 1, column, why);
    }
    return ok(count);
  } catch (...) {
    return fail_current_exception("");
  }
}

// A statement a transaction runs again and again (a savepoint around each of
// many statements): SQLite keeps it prepared rather than parsing it each time.
void Transaction::run_often(const std::string& sql) {
  if (conn_->backend() != detail::Backend::kSqlite) return conn_->run(sql);
  detail::Statement& st = conn_->prepare(sql, {}, {});
  conn_->execute(st, {});
}

// A savepoint taken when no transaction is open stands for the transaction's
// start: undoing to it is a rollback. SQLite then runs the statements in
// between without a statement journal each, which halves the cost of a save.
std::int32_t Transaction::savepoint(std::string_view name) {
  if (!conn_) return error("not connected");
  try {
    reconnect_if_lost();
    if (!in_transaction_) {
      begin_if_needed();
      savepoints_.push_back({std::string(name), true});
      return ok(0);
    }
    run_often("SAVEPOINT " + std::string(name));
    savepoints_.push_back({std::string(name), false});
    return ok(0);
  } catch (...) {
    return fail_current_exception("savepoint");
  }
}

// The innermost savepoint of that name, as the database looks them up.
std::size_t Transaction::find_savepoint(std::string_view name) const {
  for (std::size_t i = savepoints_.size(); i-- > 0;) {
    if (text::iequal(savepoints_[i].name, name)) return i;
  }
  return savepoints_.size();
}

std::int32_t Transaction::release(std::string_view name) {
  if (!conn_) return error("not connected");
  try {
    const std::size_t at = find_savepoint(name);
    if (at < savepoints_.size() && savepoints_[at].at_start) {
      // Releasing the start releases what was taken after it.
      if (at + 1 < savepoints_.size()) run_often("RELEASE SAVEPOINT " + savepoints_[at + 1].name);
    } else {
      run_often("RELEASE SAVEPOINT " + std::string(name));
    }
    if (at < savepoints_.size()) savepoints_.resize(at);
    return ok(0);
  } catch (...) {
    return fail_current_exception("release savepoint");
  }
}

std::int32_t Transaction::rollback_to(std::string_view name) {
  if (!conn_) return error("not connected");
  try {
    const std::size_t at = find_savepoint(name);
    if (at < savepoints_.size() && savepoints_[at].at_start) {
      // SQLite ends the transaction itself after some errors (a full disk).
      if (conn_->transaction_open()) conn_->rollback();
      transaction_ended();
      return ok(0);
    }
    conn_->run("ROLLBACK TO SAVEPOINT " + std::string(name));
    conn_->run("RELEASE SAVEPOINT " + std::string(name));
    if (at < savepoints_.size()) savepoints_.resize(at);
    return ok(0);
  } catch (...) {
    return fail_current_exception("rollback to savepoint");
  }
}

void Transaction::transaction_ended() {
  in_transaction_ = false;
  savepoints_.clear();
}

std::int32_t Transaction::run_script(std::string_view utf8_script, std::string_view source) {
  if (!conn_) return error("not connected");
  // Statements end with ";" at the end of a line; "--" lines are comments.
  std::string statement;
  int line_no = 0;
  int first_line = 1;
  try {
    begin_if_needed();
    std::size_t pos = 0;
    while (pos < utf8_script.size()) {
      const std::size_t eol = utf8_script.find('\n', pos);
      std::string_view line = utf8_script.substr(
          pos, eol == std::string_view::npos ? std::string_view::npos : eol - pos);
      pos = eol == std::string_view::npos ? utf8_script.size() : eol + 1;
      ++line_no;
      while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
      std::string_view trimmed = line;
      while (!trimmed.empty() && (trimmed.front() == ' ' || trimmed.front() == '\t'))
        trimmed.remove_prefix(1);
      if (trimmed.starts_with("--") || (trimmed.empty() && statement.empty())) continue;
      if (statement.empty()) first_line = line_no;
      statement.append(line);
      statement.push_back('\n');
      if (line.ends_with(";")) {
        statement.erase(statement.rfind(';'));
        conn_->run(statement);  // both databases take UTF-8 from this client
        statement.clear();
      }
    }
    if (!statement.empty()) {
      return error(std::string(source) + ":" + std::to_string(first_line) +
                   ": the last statement does not end with ';'");
    }
    return ok(0);
  } catch (...) {
    return fail_current_exception(std::string(source) + ":" + std::to_string(first_line));
  }
}

namespace detail {
void FaultAccess::attach(Transaction& t, FaultPlan* p) {
  if (t.conn_) t.conn_->faults_ = p;
}
}  // namespace detail

}  // namespace fh
