// One database connection through SOCI, with its prepared statements kept by
// statement text and types. Values cross here from GBK to the database's
// encoding and back. Throws soci::soci_error or fh::Error; Transaction turns
// them into SQLCode.
#pragma once

#include "soci.h"

#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formhost/value.h"

namespace fh::detail {

enum class Backend { kSqlite, kPostgres };

// A bound value or a fetched column: one holder of the C++ type SOCI exchanges.
struct Cell {
  std::string text;
  long long integer = 0;
  double real = 0;
  soci::indicator ind = soci::i_ok;
};

struct PreparedStatement {
  std::unique_ptr<soci::statement> st;
  std::vector<std::string> names;  // host variables in order of appearance
  std::vector<Type> param_types;
  std::vector<Type> result_types;
  std::vector<Cell> params;
  std::vector<Cell> results;
};

class Connection {
 public:
  // Parses the connection string and connects.
  static std::unique_ptr<Connection> open(std::string_view connection);

  Backend backend() const { return backend_; }
  soci::session& session() { return session_; }

  // The statement for this text and these types, prepared on first use.
  PreparedStatement& prepare(std::string_view gbk_sql, std::span<const Type> param_types,
                             std::span<const Type> result_types);
  // The host variables of a statement text in order of appearance.
  const std::vector<std::string>& host_variables(std::string_view gbk_sql);
  // Puts values into the statement's parameter holders.
  void bind(PreparedStatement& ps, std::span<const Value* const> values);
  // Reads the fetched row out of the result holders.
  void read_row(const PreparedStatement& ps, std::span<Value> out) const;

  std::string to_db(std::string_view gbk, std::string_view source) const;
  std::string from_db(std::string_view text, std::string_view source) const;

 private:
  explicit Connection(Backend b) : backend_(b) {}
  Backend backend_;
  soci::session session_;
  std::map<std::string, std::unique_ptr<PreparedStatement>, std::less<>> cache_;
  std::map<std::string, std::vector<std::string>, std::less<>> names_;
};

}  // namespace fh::detail
