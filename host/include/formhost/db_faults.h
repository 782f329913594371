// For tests only: makes the database calls of one transaction object fail on
// purpose, to check that every caller survives each failure (the loops of
// tests/db/fault_test.cpp). Every database call of a Transaction (connect,
// prepare, bind and execute, each fetch, begin, commit, rollback, savepoints,
// script statements) is counted; the planted one fails as the database would
// fail it. Without a plan the count costs one test of a null pointer.
#pragma once

#include "formhost/export.h"
#include "formhost/transaction.h"

namespace fh::testing {

enum class DbFault {
  kError,           // the statement fails (an I/O or internal error)
  kBusy,            // SQLITE_BUSY; a serialization failure (40001) on PostgreSQL
  kLostConnection,  // the call fails and every later one too, until connect()
};

// From now on the nth database call of `t` (1 = the next one) fails with
// `kind`; with `persistent` every call after it fails too. On PostgreSQL an
// error inside a transaction also aborts that transaction, as a real one does.
// n = 0 clears the plan. Restarts the count.
FH_API void fail_db_call(Transaction& t, long n, DbFault kind, bool persistent = false);
// The calls `t` made since fail_db_call, and whether the planted fault happened.
FH_API long db_calls(const Transaction& t);
FH_API bool db_fault_fired(const Transaction& t);
// Whether the connection of `t` was lost (it then needs connect() again).
FH_API bool connection_lost(const Transaction& t);

}  // namespace fh::testing
