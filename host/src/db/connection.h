// One database connection, with its prepared statements kept by statement
// text and types. Values cross here from GBK to the database's encoding and
// back. SQLite statements run on the native handle of the SOCI session (the
// per-row cost of SOCI's dynamic exchange is too high for retrieval);
// PostgreSQL statements run through SOCI. Throws SqlError, soci::soci_error or
// fh::Error; Transaction turns them into SQLCode.
#pragma once

#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formhost/errors.h"
#include "formhost/value.h"
#include "soci.h"

namespace fh::detail {

enum class Backend { kSqlite, kPostgres };

// A database error with the database's own code.
class SqlError : public Error {
 public:
  SqlError(const std::string& what, int code) : Error(what), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

// A prepared statement: bind values, execute, fetch rows, read them typed.
class Statement {
 public:
  virtual ~Statement() = default;
  // Puts values into the parameters, in the order the text names them.
  virtual void bind(std::span<const Value> values) = 0;
  // Runs the statement; a query then stands before its first row.
  virtual void execute() = 0;
  // Moves to the next row; false after the last.
  virtual bool fetch() = 0;
  // Reads the current row, each column as the type prepared for it.
  virtual void read_row(std::span<Value> out) = 0;
  virtual long long affected_rows() = 0;
};

class Connection {
 public:
  // Parses the connection string and connects.
  static std::unique_ptr<Connection> open(std::string_view connection);
  ~Connection();

  Backend backend() const { return backend_; }
  soci::session& session() { return session_; }

  // The statement for this text and these types, prepared on first use. A
  // query names the types of its columns; other statements none.
  Statement& prepare(std::string_view gbk_sql, std::span<const Value> params,
                     std::span<const Type> result_types);
  // The host variables of a statement text in order of appearance.
  const std::vector<std::string>& host_variables(std::string_view gbk_sql);

  std::string to_db(std::string_view gbk, std::string_view source) const;
  std::string from_db(std::string_view text, std::string_view source) const;

 private:
  explicit Connection(Backend b) : backend_(b) {}
  Backend backend_;
  soci::session session_;
  // By statement text, then by the types bound and read ("lL|sd").
  std::map<std::string, std::vector<std::pair<std::string, std::unique_ptr<Statement>>>, std::less<>>
      cache_;
  std::size_t cached_ = 0;
  std::map<std::string, std::vector<std::string>, std::less<>> names_;
};

// Converting one fetched column to a value of its prepared type.
Value decimal_from_text(std::string_view text);
Value temporal_from_text(std::string_view text, Type type);

}  // namespace fh::detail
