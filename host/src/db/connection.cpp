#include "connection.h"


#include <cstdlib>

#include "formhost/errors.h"
#include "formhost/text.h"
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

// "postgresql://user:pw@host:port/db?k=v" -> libpq keywords.
std::string postgres_parameters(std::string_view url) {
  std::string_view rest = url.substr(url.find("://") + 3);
  std::string user, password, host = "127.0.0.1", port = "5432", db;
  if (const auto at = rest.rfind('@'); at != std::string_view::npos) {
    std::string_view cred = rest.substr(0, at);
    rest.remove_prefix(at + 1);
    const auto colon = cred.find(':');
    user = cred.substr(0, colon);
    if (colon != std::string_view::npos) password = cred.substr(colon + 1);
  }
  std::string_view params;
  if (const auto q = rest.find('?'); q != std::string_view::npos) {
    params = rest.substr(q + 1);
    rest = rest.substr(0, q);
  }
  const auto slash = rest.find('/');
  if (slash == std::string_view::npos || slash + 1 == rest.size()) {
    throw Error("connection '" + std::string(url) + "': no database name after the host");
  }
  db = rest.substr(slash + 1);
  std::string_view hostport = rest.substr(0, slash);
  if (const auto colon = hostport.rfind(':'); colon != std::string_view::npos) {
    port = hostport.substr(colon + 1);
    hostport = hostport.substr(0, colon);
  }
  if (!hostport.empty()) host = hostport;
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
    const auto eq = kv.find('=');
    if (eq != std::string_view::npos) {
      out += " " + std::string(kv.substr(0, eq)) + "=" + quote(std::string(kv.substr(eq + 1)));
    }
    params = amp == std::string_view::npos ? std::string_view() : params.substr(amp + 1);
  }
  return out;
}

}  // namespace

std::unique_ptr<Connection> Connection::open(std::string_view connection) {
  if (connection.starts_with("sqlite:")) {
    const std::string path(connection.substr(7));
    if (path.empty()) throw Error("connection 'sqlite:' names no file");
    std::unique_ptr<Connection> c(new Connection(Backend::kSqlite));
    std::string quoted = "\"";
    for (char ch : path) {
      if (ch == '"') throw Error("connection '" + std::string(connection) + "': a quote in the path");
      quoted.push_back(ch);
    }
    quoted += "\"";
    c->session_.open(soci::sqlite3,
                     "db=" + quoted + " timeout=" + std::to_string(kBusyTimeoutSeconds));
    c->session_ << "PRAGMA journal_mode=WAL";
    c->session_ << "PRAGMA synchronous=NORMAL";
    return c;
  }
  if (connection.starts_with("postgresql://") || connection.starts_with("postgres://")) {
    std::unique_ptr<Connection> c(new Connection(Backend::kPostgres));
    c->session_.open(soci::postgresql, postgres_parameters(connection));
    // The server converts between its encoding and the host's GBK.
    c->session_ << "SET client_encoding TO 'GBK'";
    return c;
  }
  throw Error("connection '" + std::string(connection) +
              "': expected sqlite:PATH or postgresql://USER@HOST:PORT/DB");
}

std::string Connection::to_db(std::string_view gbk, std::string_view source) const {
  return backend_ == Backend::kSqlite ? gbk_to_utf8(gbk, source) : std::string(gbk);
}

std::string Connection::from_db(std::string_view text, std::string_view source) const {
  return backend_ == Backend::kSqlite ? utf8_to_gbk(text, source) : std::string(text);
}

PreparedStatement& Connection::prepare(std::string_view gbk_sql, std::span<const Type> param_types,
                                       std::span<const Type> result_types) {
  std::string key;
  key.reserve(gbk_sql.size() + param_types.size() + result_types.size() + 2);
  for (Type t : param_types) key.push_back(type_code(holder_for(t) == Holder::kText ? Type::kString : t));
  key.push_back('|');
  for (Type t : result_types) key.push_back(type_code(t));
  key.push_back('|');
  key.append(gbk_sql);
  if (auto it = cache_.find(key); it != cache_.end()) return *it->second;
  if (cache_.size() >= kMaxCachedStatements) cache_.clear();

  const Placeholders ph = rewrite_placeholders(gbk_sql);
  if (ph.names.size() != param_types.size()) {
    throw Error("the statement has " + std::to_string(ph.names.size()) + " host variables but " +
                std::to_string(param_types.size()) + " values were given");
  }
  auto ps = std::make_unique<PreparedStatement>();
  ps->names = ph.names;
  ps->param_types.assign(param_types.begin(), param_types.end());
  ps->result_types.assign(result_types.begin(), result_types.end());
  ps->params.resize(param_types.size());
  ps->results.resize(result_types.size());
  ps->st = std::make_unique<soci::statement>(session_);
  for (std::size_t i = 0; i < param_types.size(); ++i) {
    Cell& c = ps->params[i];
    switch (holder_for(param_types[i])) {
      case Holder::kInteger: ps->st->exchange(soci::use(c.integer, c.ind)); break;
      case Holder::kReal: ps->st->exchange(soci::use(c.real, c.ind)); break;
      case Holder::kText: ps->st->exchange(soci::use(c.text, c.ind)); break;
    }
  }
  for (std::size_t i = 0; i < result_types.size(); ++i) {
    Cell& c = ps->results[i];
    switch (holder_for(result_types[i])) {
      case Holder::kInteger: ps->st->exchange(soci::into(c.integer, c.ind)); break;
      case Holder::kReal: ps->st->exchange(soci::into(c.real, c.ind)); break;
      case Holder::kText: ps->st->exchange(soci::into(c.text, c.ind)); break;
    }
  }
  ps->st->alloc();
  ps->st->prepare(to_db(ph.sql, "statement text"));
  ps->st->define_and_bind();
  return *cache_.emplace(std::move(key), std::move(ps)).first->second;
}

const std::vector<std::string>& Connection::host_variables(std::string_view gbk_sql) {
  if (auto it = names_.find(gbk_sql); it != names_.end()) return it->second;
  if (names_.size() >= kMaxCachedStatements) names_.clear();
  return names_.emplace(std::string(gbk_sql), rewrite_placeholders(gbk_sql).names).first->second;
}

void Connection::bind(PreparedStatement& ps, std::span<const Value* const> values) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    const Value& v = *values[i];
    Cell& c = ps.params[i];
    c.ind = v.is_null() ? soci::i_null : soci::i_ok;
    if (v.is_null()) continue;
    switch (v.type()) {
      case Type::kBoolean: c.integer = v.as_bool() ? 1 : 0; break;
      case Type::kInteger: c.integer = v.as_integer(); break;
      case Type::kLong: c.integer = v.as_long(); break;
      case Type::kDouble: c.real = v.as_double(); break;
      case Type::kDecimal: c.text = v.as_decimal().to_string(); break;
      case Type::kString: c.text = to_db(v.as_string(), "the value of :" + ps.names[i]); break;
      case Type::kDate: c.text = v.as_date().iso(); break;
      case Type::kTime: c.text = v.as_time().iso(); break;
      case Type::kDateTime: c.text = v.as_datetime().iso(); break;
      case Type::kAny:
      case Type::kObject:
        throw Error("host variable :" + ps.names[i] + " holds an object, not a value");
    }
  }
}

void Connection::read_row(const PreparedStatement& ps, std::span<Value> out) const {
  for (std::size_t i = 0; i < out.size(); ++i) {
    const Cell& c = ps.results[i];
    const Type t = ps.result_types[i];
    if (c.ind == soci::i_null) {
      out[i] = Value::null_of(t);
      continue;
    }
    auto bad = [&](const char* what) {
      return Error("column " + std::to_string(i + 1) + ": '" + gbk_to_utf8_lossy(c.text) +
                   "' is not " + what);
    };
    switch (t) {
      case Type::kBoolean: out[i] = Value::of_bool(c.integer != 0); break;
      case Type::kInteger: out[i] = Value::of_integer(static_cast<std::int16_t>(c.integer)); break;
      case Type::kLong: out[i] = Value::of_long(static_cast<std::int32_t>(c.integer)); break;
      case Type::kDouble: out[i] = Value::of_double(c.real); break;
      case Type::kDecimal: {
        // PostgreSQL's numeric arrives exact; SQLite's REAL as 15 significant digits,
        // sometimes with an exponent.
        std::optional<Decimal> d = Decimal::parse(c.text);
        if (!d) {
          char* end = nullptr;
          const double x = std::strtod(c.text.c_str(), &end);
          if (end != c.text.c_str() && *end == '\0') d = Decimal::from_double(x);
        }
        if (!d) throw bad("a number");
        out[i] = Value::of_decimal(*d);
        break;
      }
      case Type::kDate: {
        const auto d = Date::parse(std::string_view(c.text).substr(0, 10));
        if (!d) throw bad("a date");
        out[i] = Value::of_date(*d);
        break;
      }
      case Type::kTime: {
        const auto tm = Time::parse(c.text);
        if (!tm) throw bad("a time");
        out[i] = Value::of_time(*tm);
        break;
      }
      case Type::kDateTime: {
        const auto dt = DateTime::parse(c.text);
        if (!dt) throw bad("a date and time");
        out[i] = Value::of_datetime(*dt);
        break;
      }
      default:
        out[i] = Value::of_string(from_db(c.text, "column " + std::to_string(i + 1)));
        break;
    }
  }
}

}  // namespace fh::detail
