#include "connection.h"

#include <unistd.h>

#include <cstdlib>
#include <optional>

#include "formhost/errors.h"
#include "formhost/functions.h"
#include "formhost/text.h"
#include "formhost/transaction.h"
#include "placeholders.h"

namespace fh::detail {
namespace {

constexpr std::size_t kMaxCachedStatements = 512;
constexpr int kBusyTimeoutSeconds = 10;

enum class Holder { kInteger, kReal, kText };

Holder holder_for(Type t) {
  switch (t) {
    case Type::kBoolean:
    case Type::kInteger:
    case Type::kLong:
      return Holder::kInteger;
    case Type::kDouble:
      return Holder::kReal;
    default:
      return Holder::kText;
  }
}

char type_code(Type t) { return static_cast<char>('a' + static_cast<int>(t)); }

std::string folder_of(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::optional<std::string> percent_decoded(std::string_view s) {
  const auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '%') {
      out += s[i];
      continue;
    }
    const int hi = i + 2 < s.size() ? hex(s[i + 1]) : -1;
    const int lo = hi >= 0 ? hex(s[i + 2]) : -1;
    if (lo < 0) return std::nullopt;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return out;
}

}  // namespace fh::detail

namespace fh {

// RFC 3986: the authority runs to the first '/' or '?', its user part to the
// first '@' in it; user, password, host, database and parameters are
// percent-decoded, so a '@' or ':' of a password is written %40 or %3A.
std::string postgres_parameters(std::string_view url) {
  const auto bad = [&](const std::string& why) {
    return Error("connection '" + redacted_connection(url) + "': " + why);
  };
  const auto decoded = [&](std::string_view part, const char* what) {
    const std::optional<std::string> d = detail::percent_decoded(part);
    if (!d) throw bad(std::string("a '%' in the ") + what + " is not followed by two hex digits");
    // libpq reads its values as C strings.
    if (d->find('\0') != std::string::npos) throw bad(std::string("%00 in the ") + what);
    return *d;
  };
  const auto scheme = url.find("://");
  if (scheme == std::string_view::npos) throw bad("expected postgresql://USER@HOST:PORT/DB");
  std::string_view rest = url.substr(scheme + 3);
  std::string_view params;
  if (const auto q = rest.find('?'); q != std::string_view::npos) {
    params = rest.substr(q + 1);
    rest = rest.substr(0, q);
  }
  const auto slash = rest.find('/');
  std::string_view authority = rest.substr(0, slash);
  if (slash == std::string_view::npos || slash + 1 == rest.size()) {
    throw bad("no database name after the host");
  }
  const std::string db = decoded(rest.substr(slash + 1), "database name");
  std::string user, password, host = "127.0.0.1", port = "5432";
  if (const auto at = authority.find('@'); at != std::string_view::npos) {
    const std::string_view userinfo = authority.substr(0, at);
    authority.remove_prefix(at + 1);
    const auto colon = userinfo.find(':');
    user = decoded(userinfo.substr(0, colon), "user name");
    if (colon != std::string_view::npos) password = decoded(userinfo.substr(colon + 1), "password");
  }
  if (authority.find('@') != std::string_view::npos) {
    throw bad("a second '@' before the host (write a '@' of the password as %40)");
  }
  // An IPv6 address stands in brackets: [::1]:5433.
  const auto colon = authority.rfind(':');
  if (colon != std::string_view::npos && authority.find(']', colon) == std::string_view::npos) {
    port = authority.substr(colon + 1);
    authority = authority.substr(0, colon);
    if (port.empty() || port.find_first_not_of("0123456789") != std::string::npos) {
      throw bad("the port after the host is not a number");
    }
  }
  if (authority.size() >= 2 && authority.front() == '[' && authority.back() == ']') {
    authority = authority.substr(1, authority.size() - 2);
  }
  if (!authority.empty()) host = decoded(authority, "host");
  auto quote = [](const std::string& v) {
    std::string q = "'";
    for (char c : v) {
      if (c == '\'' || c == '\\') q.push_back('\\');
      q.push_back(c);
    }
    return q + "'";
  };
  std::string out = "host=" + quote(host) + " port=" + quote(port) + " dbname=" + quote(db);
  if (!user.empty()) out += " user=" + quote(user);
  if (!password.empty()) out += " password=" + quote(password);
  // Extra libpq keywords, for example ?connect_timeout=5.
  while (!params.empty()) {
    const auto amp = params.find('&');
    const std::string_view kv = params.substr(0, amp);
    if (const auto eq = kv.find('='); eq != std::string_view::npos) {
      const std::string key = decoded(kv.substr(0, eq), "parameters");
      if (key.empty() ||
          key.find_first_not_of("abcdefghijklmnopqrstuvwxyz_") != std::string::npos) {
        throw bad("'" + key + "' is not a connection parameter");
      }
      out += " " + key + "=" + quote(decoded(kv.substr(eq + 1), "parameters"));
    }
    params = amp == std::string_view::npos ? std::string_view() : params.substr(amp + 1);
  }
  return out;
}

}  // namespace fh

namespace fh::detail {
namespace {

// A connection is used by one thread at a time (its session's), and the
// Transaction around it is not thread-safe anyway: SQLite's own locking on
// every call buys nothing and costs a mutex round trip per column read.
// Must come before SQLite first initialises; if something else got there
// first, SQLite keeps its locks and answers misuse, which is harmless.
// Memory statistics, which nothing reads, would take a global lock on every
// allocation SQLite makes.
void sqlite_without_connection_locks() {
  static const bool once = [] {
    sqlite_api::sqlite3_config(SQLITE_CONFIG_MULTITHREAD);
    sqlite_api::sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    return true;
  }();
  (void)once;
}

}  // namespace

std::unique_ptr<Connection> Connection::open(std::string_view connection, FaultPlan* faults) {
  if (connection.starts_with("sqlite:")) {
    sqlite_without_connection_locks();
    const std::string path(connection.substr(7));
    if (path.empty()) throw Error("connection 'sqlite:' names no file");
    check_connect(faults, Backend::kSqlite);
    std::unique_ptr<Connection> c(new Connection(Backend::kSqlite, faults));
    std::string quoted = "\"";
    for (char ch : path) {
      if (ch == '"')
        throw Error("connection '" + redacted_connection(connection) + "': a quote in the path");
      quoted.push_back(ch);
    }
    quoted += "\"";
    // A file that cannot be written (or a folder where its journal cannot
    // be made) opens for viewing only: no switch to WAL, and every change
    // is refused with the reason.
    const bool writable =
        ::access(path.c_str(), F_OK) != 0 ||
        (::access(path.c_str(), W_OK) == 0 && ::access(folder_of(path).c_str(), W_OK) == 0);
    c->read_only_ = !writable;
    c->session_.open(soci::sqlite3, "db=" + quoted +
                                        " timeout=" + std::to_string(kBusyTimeoutSeconds) +
                                        (writable ? "" : " readonly=1"));
    if (!writable) return c;
    c->session_ << "PRAGMA journal_mode=WAL";
    // A save reported done survives a power failure.
    c->session_ << "PRAGMA synchronous=FULL";
    // A data window's update runs in a savepoint; keep its journal in memory.
    c->session_ << "PRAGMA temp_store=MEMORY";
    return c;
  }
  if (connection.starts_with("postgresql://") || connection.starts_with("postgres://")) {
    check_connect(faults, Backend::kPostgres);
    std::unique_ptr<Connection> c(new Connection(Backend::kPostgres, faults));
    c->session_.open(soci::postgresql, postgres_parameters(connection));
    // Texts cross as UTF-8 and are converted here, value by value, as on
    // SQLite: one stored character with no GBK form then makes that value
    // unreadable, not the whole query fail on the server.
    c->session_ << "SET client_encoding TO 'UTF8'";
    return c;
  }
  throw Error("connection '" + redacted_connection(connection) +
              "': expected sqlite:PATH or postgresql://USER@HOST:PORT/DB");
}

Connection::~Connection() { cache_.clear(); }  // statements before the session

namespace {

const char* call_name(DbCall call) {
  switch (call) {
    case DbCall::kConnect:
      return "connect";
    case DbCall::kPrepare:
      return "prepare";
    case DbCall::kExecute:
      return "execute";
    case DbCall::kFetch:
      return "fetch";
    case DbCall::kBegin:
      return "begin";
    case DbCall::kCommit:
      return "commit";
    case DbCall::kRollback:
      return "rollback";
    case DbCall::kStatement:
      return "statement";
  }
  return "call";
}

// What the database itself says for each kind of failure.
[[noreturn]] void throw_fault(testing::DbFault kind, Backend b, DbCall call, long n) {
  const std::string planted =
      " (planted fault at call " + std::to_string(n) + ", " + call_name(call) + ")";
  const bool pg = b == Backend::kPostgres;
  switch (kind) {
    case testing::DbFault::kBusy:
      if (pg)
        throw SqlError("40001 could not serialize access due to concurrent update" + planted, -1);
      throw SqlError("database is locked" + planted, 5);  // SQLITE_BUSY
    case testing::DbFault::kLostConnection:
      throw ConnectionLost(
          (pg ? "08006 " : "") + std::string("the connection to the database was lost") + planted,
          -1);
    case testing::DbFault::kError:
      break;
  }
  if (pg) throw SqlError("XX000 internal error" + planted, -1);
  throw SqlError("disk I/O error" + planted, 10);  // SQLITE_IOERR
}

PGTransactionStatusType pg_transaction(soci::session& s) {
  return PQtransactionStatus(
      static_cast<soci::postgresql_session_backend*>(s.get_backend())->conn_);
}

}  // namespace

void Connection::check_connect(FaultPlan* faults, Backend b) {
  if (faults != nullptr && faults->hit())
    throw_fault(faults->kind, b, DbCall::kConnect, faults->calls);
}

void Connection::check(DbCall call) {
  if (lost_) throw ConnectionLost("the connection to the database was lost", -1);
  if (faults_ != nullptr && faults_->hit()) inject(faults_->kind, call);
}

void Connection::inject(testing::DbFault kind, DbCall call) {
  if (kind == testing::DbFault::kLostConnection) {
    lose();
  } else if (backend_ == Backend::kPostgres && pg_transaction(session_) == PQTRANS_INTRANS) {
    // A failed statement aborts a PostgreSQL transaction: so does a planted one.
    try {
      session_ << "select 1/0";
    } catch (const soci::soci_error&) {
    }
  }
  throw_fault(kind, backend_, call, faults_->calls);
}

void Connection::lose() {
  // The database ends what was open, as when a real connection drops. The
  // statements stay until the connection goes: callers may still hold them.
  for (auto& [text, statements] : cache_) {
    for (auto& [types, st] : statements) st->reset();
  }
  try {
    if (transaction_open()) session_.rollback();
  } catch (const std::exception&) {
    // Refused from now on either way.
  }
  lost_ = true;
}

bool Connection::alive() {
  if (lost_) return false;
  if (backend_ != Backend::kPostgres) return true;
  return PQstatus(static_cast<soci::postgresql_session_backend*>(session_.get_backend())->conn_) ==
         CONNECTION_OK;
}

bool Connection::transaction_open() {
  if (lost_) return false;
  if (backend_ == Backend::kPostgres) return pg_transaction(session_) != PQTRANS_IDLE;
  auto* native = static_cast<soci::sqlite3_session_backend*>(session_.get_backend());
  return sqlite_api::sqlite3_get_autocommit(native->conn_) == 0;
}

void Connection::execute(Statement& st, std::span<const Value> values) {
  guard(DbCall::kExecute);
  st.bind(values);
  st.execute();
}

bool Connection::fetch(Statement& st) {
  guard(DbCall::kFetch);
  return st.fetch();
}

void Connection::begin() {
  guard(DbCall::kBegin);
  session_.begin();
}

void Connection::commit() {
  guard(DbCall::kCommit);
  if (backend_ == Backend::kPostgres && pg_transaction(session_) == PQTRANS_INERROR) {
    // The server would answer COMMIT with a silent rollback.
    session_.rollback();
    throw SqlError("25P02 the transaction was aborted by an earlier error and is rolled back", -1);
  }
  session_.commit();
}

void Connection::rollback() {
  guard(DbCall::kRollback);
  session_.rollback();
}

void Connection::run(const std::string& sql) {
  guard(DbCall::kStatement);
  session_ << sql;
}

std::string Connection::to_db(std::string_view gbk, std::string_view source) const {
  return gbk_to_utf8(gbk, source);
}

std::string Connection::from_db(std::string_view text, std::string_view source) const {
  return utf8_to_gbk(text, source);
}

Value integral_in_range(long long n, Type type) {
  switch (type) {
    case Type::kBoolean:
      return Value::of_bool(n != 0);
    case Type::kInteger:
      if (n >= -32768 && n <= 32767) return Value::of_integer(static_cast<std::int16_t>(n));
      break;
    default:
      if (n >= INT32_MIN && n <= INT32_MAX) return Value::of_long(static_cast<std::int32_t>(n));
      break;
  }
  throw Error(std::to_string(n) + " is out of the range of " + std::string(type_name(type)));
}

Value decimal_from_text(std::string_view text) {
  // PostgreSQL's numeric arrives exact; SQLite renders a REAL with 15
  // significant digits, sometimes with an exponent.
  std::optional<Decimal> d = Decimal::parse(text);
  if (!d) {
    const std::string copy(text);
    char* end = nullptr;
    const double x = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() && *end == '\0') d = Decimal::from_double(x);
  }
  if (!d) throw Error("'" + gbk_to_utf8_lossy(text) + "' is not a number");
  return Value::of_decimal(*d);
}

namespace {

// The form dates are stored in, "YYYY-MM-DD...", read straight off the digits.
std::optional<Date> stored_date(std::string_view t) {
  if (t.size() < 10 || t[4] != '-' || t[7] != '-') return std::nullopt;
  int n[8];
  for (int i = 0, at = 0; i < 10; ++i) {
    if (i == 4 || i == 7) continue;
    const int digit = t[static_cast<std::size_t>(i)] - '0';
    if (digit < 0 || digit > 9) return std::nullopt;
    n[at++] = digit;
  }
  return Date::make(n[0] * 1000 + n[1] * 100 + n[2] * 10 + n[3], n[4] * 10 + n[5],
                    n[6] * 10 + n[7]);
}

}  // namespace

Value temporal_from_text(std::string_view text, Type type) {
  switch (type) {
    case Type::kDate:
      if (auto d = stored_date(text)) return Value::of_date(*d);
      if (auto d = Date::parse(text.substr(0, 10))) return Value::of_date(*d);
      break;
    case Type::kTime:
      if (auto t = Time::parse(text)) return Value::of_time(*t);
      break;
    default:
      if (auto dt = DateTime::parse(text)) return Value::of_datetime(*dt);
      break;
  }
  throw Error("'" + gbk_to_utf8_lossy(text) + "' is not a " + std::string(type_name(type)));
}

namespace {

// ---- SQLite: the session's native handle ----

// SOCI declares SQLite's interface inside this namespace.
using namespace sqlite_api;

class SqliteStatement final : public Statement {
 public:
  SqliteStatement(sqlite3* db, const std::string& utf8_sql, std::vector<Type> results)
      : db_(db), results_(std::move(results)) {
    if (sqlite3_prepare_v3(db_, utf8_sql.c_str(), static_cast<int>(utf8_sql.size()),
                           SQLITE_PREPARE_PERSISTENT, &st_, nullptr) != SQLITE_OK) {
      throw SqlError(sqlite3_errmsg(db_), sqlite3_extended_errcode(db_));
    }
  }
  ~SqliteStatement() override { sqlite3_finalize(st_); }

  void bind(std::span<const Value> values) override {
    sqlite3_reset(st_);
    for (std::size_t i = 0; i < values.size(); ++i) {
      const Value& v = values[i];
      const int at = static_cast<int>(i) + 1;
      int rc = SQLITE_OK;
      if (v.is_null()) {
        rc = sqlite3_bind_null(st_, at);
      } else {
        switch (v.type()) {
          case Type::kBoolean:
            rc = sqlite3_bind_int(st_, at, v.as_bool() ? 1 : 0);
            break;
          case Type::kInteger:
            rc = sqlite3_bind_int(st_, at, v.as_integer());
            break;
          case Type::kLong:
            rc = sqlite3_bind_int(st_, at, v.as_long());
            break;
          case Type::kDouble:
            rc = sqlite3_bind_double(st_, at, v.as_double());
            break;
          case Type::kString:
            rc = bind_text(at, gbk_to_utf8(v.as_string(), "a bound value"));
            break;
          case Type::kDecimal:
            rc = bind_text(at, v.as_decimal().to_string());
            break;
          case Type::kDate:
            rc = bind_text(at, v.as_date().iso());
            break;
          case Type::kTime:
            rc = bind_text(at, v.as_time().iso());
            break;
          case Type::kDateTime:
            rc = bind_text(at, v.as_datetime().iso());
            break;
          default:
            throw Error("an object cannot be bound to a statement");
        }
      }
      if (rc != SQLITE_OK) throw SqlError(sqlite3_errmsg(db_), rc);
    }
  }

  void execute() override {
    if (!results_.empty()) return;  // a query steps in fetch()
    const int rc = sqlite3_step(st_);
    sqlite3_reset(st_);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) fail(rc);
  }

  bool fetch() override {
    const int rc = sqlite3_step(st_);
    if (rc == SQLITE_ROW) return true;
    sqlite3_reset(st_);
    if (rc != SQLITE_DONE) fail(rc);
    return false;
  }

  void read_row(std::span<Value> out, Unreadable* bad) override {
    for (std::size_t i = 0; i < out.size(); ++i) {
      sqlite3_value* v = sqlite3_column_value(st_, static_cast<int>(i));
      if (bad == nullptr) {
        read_into(v, results_[i], out[i]);
        continue;
      }
      try {
        read_into(v, results_[i], out[i]);
      } catch (const std::exception& e) {
        out[i] = Value::null_of(results_[i]);
        bad->emplace_back(i, e.what());
      }
    }
  }

  // Texts, most of a row, are converted straight into the slot's storage.
  static void read_into(sqlite3_value* v, Type t, Value& out) {
    if (t == Type::kString && sqlite3_value_type(v) != SQLITE_NULL) {
      utf8_to_gbk(text(v), out.refill_string(), "a fetched text");
      return;
    }
    out = read(v, t);
  }

  // SQLite stores whatever it was given: a value is read only when it is one
  // of the column's type, never wrapped or taken as 0.
  static Value read(sqlite3_value* v, Type t) {
    const int stored = sqlite3_value_type(v);
    if (stored == SQLITE_NULL) return Value::null_of(t);
    switch (t) {
      case Type::kBoolean:
      case Type::kInteger:
      case Type::kLong:
        if (stored == SQLITE_INTEGER) return integral_in_range(sqlite3_value_int64(v), t);
        return integral_in_range(whole_number(v), t);
      case Type::kDouble:
        if (stored != SQLITE_INTEGER && stored != SQLITE_FLOAT)
          return Double(decimal_from_text(text(v)));
        return Value::of_double(sqlite3_value_double(v));
      case Type::kDecimal:
        if (stored == SQLITE_INTEGER)
          return Value::of_decimal(Decimal::from_int(sqlite3_value_int64(v)));
        if (stored == SQLITE_FLOAT) {
          const auto d = Decimal::from_double(sqlite3_value_double(v));
          if (!d)
            throw Error(std::to_string(sqlite3_value_double(v)) +
                        " is out of the range of decimal");
          return Value::of_decimal(*d);
        }
        return decimal_from_text(text(v));
      case Type::kString:
        return Value::of_string(utf8_to_gbk(text(v), "a fetched text"));
      default:
        return temporal_from_text(text(v), t);
    }
  }

  // A stored real or text that is a whole number ("12", 12.0); else fh::Error.
  static long long whole_number(sqlite3_value* v) {
    const Value d = decimal_from_text(text(v));
    const Decimal& x = d.as_decimal();
    if (x.round(0) != x) throw Error("'" + gbk_to_utf8_lossy(text(v)) + "' is not a whole number");
    const std::string digits = x.round(0).to_string();
    std::size_t used = 0;
    try {
      const long long n = std::stoll(digits, &used);
      if (used == digits.size()) return n;
    } catch (const std::exception&) {
    }
    throw Error("'" + gbk_to_utf8_lossy(text(v)) + "' is out of range");
  }

  long long affected_rows() override { return sqlite3_changes64(db_); }
  void reset() override { sqlite3_reset(st_); }

 private:
  int bind_text(int at, const std::string& s) {
    return sqlite3_bind_text(st_, at, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
  }
  static std::string_view text(sqlite3_value* v) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return {p, static_cast<std::size_t>(sqlite3_value_bytes(v))};
  }
  [[noreturn]] void fail(int rc) {
    const int code = sqlite3_extended_errcode(db_);
    throw SqlError(sqlite3_errmsg(db_), code != 0 ? code : rc);
  }

  sqlite3* db_;
  sqlite3_stmt* st_ = nullptr;
  std::vector<Type> results_;
};

// ---- PostgreSQL: SOCI's dynamic exchange ----

class SociStatement final : public Statement {
 public:
  SociStatement(soci::session& session, const std::string& sql, std::span<const Type> params,
                std::vector<Type> results)
      : st_(session), results_(std::move(results)) {
    params_.resize(params.size());
    cells_.resize(results_.size());
    for (std::size_t i = 0; i < params.size(); ++i) exchange_use(params_[i], params[i]);
    for (std::size_t i = 0; i < results_.size(); ++i) exchange_into(cells_[i], results_[i]);
    st_.alloc();
    st_.prepare(sql);
    st_.define_and_bind();
  }

  void bind(std::span<const Value> values) override {
    for (std::size_t i = 0; i < values.size(); ++i) {
      const Value& v = values[i];
      Cell& c = params_[i];
      c.ind = v.is_null() ? soci::i_null : soci::i_ok;
      if (v.is_null()) continue;
      switch (v.type()) {
        case Type::kBoolean:
          c.integer = v.as_bool() ? 1 : 0;
          break;
        case Type::kInteger:
          c.integer = v.as_integer();
          break;
        case Type::kLong:
          c.integer = v.as_long();
          break;
        case Type::kDouble:
          c.real = v.as_double();
          break;
        case Type::kDecimal:
          c.text = v.as_decimal().to_string();
          break;
        case Type::kString:
          c.text = gbk_to_utf8(v.as_string(), "a bound value");
          break;
        case Type::kDate:
          c.text = v.as_date().iso();
          break;
        case Type::kTime:
          c.text = v.as_time().iso();
          break;
        case Type::kDateTime:
          c.text = v.as_datetime().iso();
          break;
        default:
          throw Error("an object cannot be bound to a statement");
      }
    }
  }

  void execute() override { st_.execute(results_.empty()); }
  bool fetch() override { return st_.fetch(); }

  void read_row(std::span<Value> out, Unreadable* bad) override {
    for (std::size_t i = 0; i < out.size(); ++i) {
      if (bad == nullptr) {
        out[i] = read(cells_[i], results_[i]);
        continue;
      }
      try {
        out[i] = read(cells_[i], results_[i]);
      } catch (const std::exception& e) {
        out[i] = Value::null_of(results_[i]);
        bad->emplace_back(i, e.what());
      }
    }
  }

  long long affected_rows() override { return st_.get_affected_rows(); }

 private:
  struct Cell {
    std::string text;
    long long integer = 0;
    double real = 0;
    soci::indicator ind = soci::i_ok;
  };
  static Value read(const Cell& c, Type t) {
    if (c.ind == soci::i_null) return Value::null_of(t);
    switch (t) {
      case Type::kBoolean:
      case Type::kInteger:
      case Type::kLong:
        return integral_in_range(c.integer, t);
      case Type::kDouble:
        return Value::of_double(c.real);
      case Type::kDecimal:
        return decimal_from_text(c.text);
      case Type::kString:
        return Value::of_string(utf8_to_gbk(c.text, "a fetched text"));
      default:
        return temporal_from_text(c.text, t);
    }
  }
  void exchange_use(Cell& c, Type t) {
    switch (holder_for(t)) {
      case Holder::kInteger:
        st_.exchange(soci::use(c.integer, c.ind));
        break;
      case Holder::kReal:
        st_.exchange(soci::use(c.real, c.ind));
        break;
      case Holder::kText:
        st_.exchange(soci::use(c.text, c.ind));
        break;
    }
  }
  void exchange_into(Cell& c, Type t) {
    switch (holder_for(t)) {
      case Holder::kInteger:
        st_.exchange(soci::into(c.integer, c.ind));
        break;
      case Holder::kReal:
        st_.exchange(soci::into(c.real, c.ind));
        break;
      case Holder::kText:
        st_.exchange(soci::into(c.text, c.ind));
        break;
    }
  }

  soci::statement st_;
  std::vector<Type> results_;
  std::vector<Cell> params_;  // never resized after binding: SOCI holds their addresses
  std::vector<Cell> cells_;
};

}  // namespace

Statement& Connection::prepare(std::string_view gbk_sql, std::span<const Value> params,
                               std::span<const Type> result_types) {
  guard(DbCall::kPrepare);
  // Bound values of the text holder kinds share one statement.
  std::string signature;
  signature.reserve(params.size() + result_types.size() + 1);
  for (const Value& v : params) {
    signature.push_back(
        type_code(holder_for(v.type()) == Holder::kText ? Type::kString : v.type()));
  }
  signature.push_back('|');
  for (Type t : result_types) signature.push_back(type_code(t));

  auto by_text = cache_.find(gbk_sql);
  if (by_text != cache_.end()) {
    for (auto& [sig, st] : by_text->second) {
      if (sig == signature) return *st;
    }
  }
  if (cached_ >= kMaxCachedStatements) {
    cache_.clear();
    cached_ = 0;
    by_text = cache_.end();
  }
  const Placeholders ph = rewrite_placeholders(gbk_sql);
  if (ph.names.size() != params.size()) {
    throw Error("the statement has " + std::to_string(ph.names.size()) + " host variables but " +
                std::to_string(params.size()) + " values were given");
  }
  std::vector<Type> results(result_types.begin(), result_types.end());
  std::unique_ptr<Statement> st;
  if (backend_ == Backend::kSqlite) {
    auto* native = static_cast<soci::sqlite3_session_backend*>(session_.get_backend());
    st = std::make_unique<SqliteStatement>(native->conn_, to_db(ph.sql, "statement text"),
                                           std::move(results));
  } else {
    std::vector<Type> param_types;
    for (const Value& v : params) param_types.push_back(v.type());
    st = std::make_unique<SociStatement>(session_, to_db(ph.sql, "statement text"), param_types,
                                         std::move(results));
  }
  if (by_text == cache_.end())
    by_text = cache_.emplace(std::string(gbk_sql), decltype(by_text->second){}).first;
  ++cached_;
  return *by_text->second.emplace_back(std::move(signature), std::move(st)).second;
}

const std::vector<std::string>& Connection::host_variables(std::string_view gbk_sql) {
  if (auto it = names_.find(gbk_sql); it != names_.end()) return it->second;
  if (names_.size() >= kMaxCachedStatements) names_.clear();
  return names_.emplace(std::string(gbk_sql), rewrite_placeholders(gbk_sql).names).first->second;
}

}  // namespace fh::detail
