// Exceptions used inside the host and the modules. None of them crosses an
// exported C entry: the script wrapper and the host's C functions catch them.
#pragma once

#include <cstdint>
#include <source_location>
#include <stdexcept>
#include <string>

namespace fh {

// The runtime error numbers that scripts can raise.
enum class RuntimeCode : int {
  kDivideByZero = 20501,     // decimal division with a zero divisor
  kNullObject = 20502,       // a statement needed an object and the reference is null
  kDecimalOverflow = 20503,  // a decimal result beyond the decimal range (about 10^6144)
  kNoParent = 20543,         // a control addressed its parent window and has none
};

// A runtime error of a script statement. The session's error policy decides
// whether the statement is skipped or the script abandoned.
class RuntimeError : public std::runtime_error {
 public:
  RuntimeError(RuntimeCode code, const std::string& what) : std::runtime_error(what), code_(code) {}
  RuntimeCode code() const { return code_; }

 private:
  RuntimeCode code_;
};

// A host operation answered a negative status. It abandons the running script.
class HostFailure : public std::runtime_error {
 public:
  HostFailure(std::int32_t status, const std::string& what)
      : std::runtime_error(what), status_(status) {}
  std::int32_t status() const { return status_; }

 private:
  std::int32_t status_;
};

// Bad input at an edge of the host: a text that is not valid in its encoding,
// a module that cannot be loaded, a class that does not exist. The message
// names the source.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A broken precondition of the program (never of the operator's input):
// std::logic_error naming the file, line and condition. Scripts trace it
// always, and a debug build stops there.
[[noreturn]] inline void broken_precondition(
    const char* condition, const std::string& what,
    std::source_location where = std::source_location::current()) {
  throw std::logic_error(std::string(where.file_name()) + ":" + std::to_string(where.line()) +
                         ": " + what + " (expected " + condition + ")");
}

}  // namespace fh

// The one assertion for preconditions: FH_EXPECTS(row >= 1, "a row number").
#define FH_EXPECTS(condition, what) \
  ((condition) ? void() : ::fh::broken_precondition(#condition, what))
