// What the fault-injection loops share: the kinds of failure they plant and a
// picture of a data window's buffers to compare before and after.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formhost/datawindow.h"
#include "formhost/db_faults.h"
#include "formhost/transaction.h"

namespace zrtest {

struct FaultKind {
  fh::testing::DbFault kind;
  bool persistent;  // every call after the planted one fails too
  const char* name;
};

// Each loop runs once per kind: a transient error, a busy database, a lost
// connection, and an error that does not go away (so the rollback after the
// failure fails too).
inline const std::vector<FaultKind>& fault_kinds() {
  static const std::vector<FaultKind> kinds = {
      {fh::testing::DbFault::kError, false, "error"},
      {fh::testing::DbFault::kBusy, false, "busy"},
      {fh::testing::DbFault::kLostConnection, false, "lost connection"},
      {fh::testing::DbFault::kError, true, "persistent error"},
  };
  return kinds;
}

// A loop that has not ended after this many calls never will.
constexpr long kMaxFaultCalls = 400;

// Every row of every buffer: status, current and original values, changed
// items; then the current row and the modified count.
inline std::string snapshot(const fh::DataWindow& dw) {
  std::string out;
  const auto& columns = dw.object().columns();
  const struct {
    fh::DwBuffer buffer;
    long rows;
    const char* name;
  } buffers[] = {{fh::DwBuffer::kPrimary, dw.row_count(), "primary"},
                 {fh::DwBuffer::kFilter, dw.filtered_count(), "filter"},
                 {fh::DwBuffer::kDelete, dw.deleted_count(), "delete"}};
  for (const auto& b : buffers) {
    for (long r = 1; r <= b.rows; ++r) {
      out += std::string(b.name) + " " + std::to_string(r) + " status " +
             std::to_string(static_cast<int>(dw.row_status(r, b.buffer))) + ":";
      for (const fh::DwColumn& c : columns) {
        out += " " + fh::describe(dw.get_item(r, c.name, b.buffer)) + "/" +
               fh::describe(dw.get_item(r, c.name, b.buffer, true));
        if (b.buffer == fh::DwBuffer::kPrimary && dw.item_modified(r, c.name)) out += "*";
      }
      out += "\n";
    }
  }
  return out + "current " + std::to_string(dw.get_row()) + ", modified " +
         std::to_string(dw.modified_count()) + "\n";
}

// A value read as text, "null" for a null.
inline std::string text(const fh::Value& v) { return v.is_null() ? "null" : v.as_string(); }

inline std::string invariant_faults(const fh::DataWindow& dw) {
  std::string out;
  for (const std::string& f : dw.check_invariants()) out += f + "; ";
  return out;
}

}  // namespace zrtest
