// One database connection, with its prepared statements kept by statement
// text and types. Values cross here from GBK to the database's encoding and
// back. SQLite statements run on the native handle of the SOCI session (the
// per-row cost of SOCI's dynamic exchange is too high for retrieval);
// PostgreSQL statements run through SOCI. Throws SqlError, soci::soci_error or
// fh::Error; Transaction turns them into SQLCode.
//
// Every call that reaches the database is a method of Connection and passes
// guard() first: the one place where a lost connection refuses and where a
// test's fault plan (formhost/db_faults.h) fails the planted call.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "formhost/db_faults.h"
#include "formhost/errors.h"
#include "formhost/value.h"
#include "soci.h"

namespace fh::detail {

enum class Backend { kSqlite, kPostgres };

// s with its "%XX" escapes undone; nullopt when a '%' is not followed by two
// hex digits.
std::optional<std::string> percent_decoded(std::string_view s);

// A database error with the database's own code.
class SqlError : public Error {
 public:
  SqlError(const std::string& what, int code) : Error(what), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

// The connection is gone: every later call fails until the next connect.
class ConnectionLost : public SqlError {
 public:
  using SqlError::SqlError;
};

// The kinds of database call, as a fault plan counts them.
enum class DbCall { kConnect, kPrepare, kExecute, kFetch, kBegin, kCommit, kRollback, kStatement };

// A test's plan: which call fails and how (formhost/db_faults.h).
struct FaultPlan {
  long fail_at = 0;  // 1-based; 0 fails nothing
  testing::DbFault kind = testing::DbFault::kError;
  bool persistent = false;
  long calls = 0;
  bool fired = false;
  // Counts one call; true when it is to fail.
  bool hit() {
    ++calls;
    if (fail_at == 0 || calls < fail_at || (calls > fail_at && !persistent)) return false;
    fired = true;
    return true;
  }
};

// A prepared statement: bind values, execute, fetch rows, read them typed.
// Only Connection calls bind, execute and fetch (through its guard).
class Statement {
 public:
  virtual ~Statement() = default;
  // Puts values into the parameters, in the order the text names them.
  virtual void bind(std::span<const Value> values) = 0;
  // Runs the statement; a query then stands before its first row.
  virtual void execute() = 0;
  // Moves to the next row; false after the last.
  virtual bool fetch() = 0;
  // Reads the current row, each column as the type prepared for it. A value
  // that does not read as that type (out of its range, not a number, not a
  // date, text with no GBK form) throws fh::Error; with `bad` it is null
  // instead and (column, why) is added to `bad`.
  using Unreadable = std::vector<std::pair<std::size_t, std::string>>;
  virtual void read_row(std::span<Value> out, Unreadable* bad = nullptr) = 0;
  virtual long long affected_rows() = 0;
  // Ends a query early, so it holds no read snapshot.
  virtual void reset() {}

  // A row's worth of values a caller may read into before deciding where
  // they go (a single-row select must see that no second row follows).
  std::vector<Value> scratch;
};

class Connection {
 public:
  // Parses the connection string and connects. `faults` (may be null) is the
  // owner's fault plan; it must outlive the connection.
  static std::unique_ptr<Connection> open(std::string_view connection, FaultPlan* faults);
  ~Connection();

  Backend backend() const { return backend_; }
  // A database opened for viewing only (a SQLite file that cannot be written).
  bool read_only() const { return read_only_; }
  bool lost() const { return lost_; }
  // Whether the server still holds the connection (PostgreSQL after a
  // failure: a restarted server or a dropped link leaves it broken).
  bool alive();
  // Whether the database holds a transaction open on this connection.
  bool transaction_open();

  // The statement for this text and these types, prepared on first use. A
  // query names the types of its columns; other statements none.
  Statement& prepare(std::string_view gbk_sql, std::span<const Value> params,
                     std::span<const Type> result_types);
  // Binds the values and runs the statement.
  void execute(Statement& st, std::span<const Value> values);
  // The next row of a query; false after the last.
  bool fetch(Statement& st);
  void begin();
  // On PostgreSQL a transaction that an error aborted is rolled back and
  // the commit fails, where the server would answer success.
  void commit();
  void rollback();
  // A statement without parameters or result, in the database's encoding.
  void run(const std::string& sql);
  // Gives the connection up: what was open is rolled back, and every later
  // call fails as lost until the owner connects again.
  void lose();
  // The host variables of a statement text in order of appearance.
  const std::vector<std::string>& host_variables(std::string_view gbk_sql);

  std::string to_db(std::string_view gbk, std::string_view source) const;
  std::string from_db(std::string_view text, std::string_view source) const;

 private:
  friend struct FaultAccess;  // attaches and clears a test's plan
  explicit Connection(Backend b, FaultPlan* faults) : backend_(b), faults_(faults) {}
  void guard(DbCall call) {
    if (lost_ || faults_ != nullptr) [[unlikely]]
      check(call);
  }
  void check(DbCall call);
  static void check_connect(FaultPlan* faults, Backend b);
  [[noreturn]] void inject(testing::DbFault kind, DbCall call);

  Backend backend_;
  FaultPlan* faults_;
  bool lost_ = false;
  bool read_only_ = false;
  soci::session session_;
  // Looked up by the text as given, without copying it into a string.
  struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  template <typename T>
  using ByText = std::unordered_map<std::string, T, TextHash, std::equal_to<>>;
  // By statement text, then by the types bound and read ("lL|sd").
  ByText<std::vector<std::pair<std::string, std::unique_ptr<Statement>>>> cache_;
  std::size_t cached_ = 0;
  ByText<std::vector<std::string>> names_;
};

// Converting one fetched column to a value of its prepared type.
Value integral_in_range(long long n, Type type);  // fh::Error outside the type's range
Value decimal_from_text(std::string_view text);
Value temporal_from_text(std::string_view text, Type type);

}  // namespace fh::detail
