// The databases the engine tests run against: SQLite in a temporary file
// always, and PostgreSQL when ZR016_TEST_PG holds a connection string.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "formhost/transaction.h"

namespace zrtest {

// Both are always listed, so ctest knows the PostgreSQL cases; they skip
// themselves when no server is configured.
inline std::vector<std::string> backends() { return {"sqlite", "postgresql"}; }

inline std::string backend_name(const ::testing::TestParamInfo<std::string>& info) {
  return info.param;
}

// A fresh database for each test: a new SQLite file, or a clean schema
// on the PostgreSQL server.
class DbTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    if (GetParam() == "sqlite") {
      path_ = ::testing::TempDir() + "zrtest_" + std::to_string(::getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".db";
      for (char& c : path_) {
        if (c == '/' && &c > path_.data() + ::testing::TempDir().size()) c = '_';
      }
      remove_files();
      conn_ = "sqlite:" + path_;
    } else {
      const char* pg = std::getenv("ZR016_TEST_PG");
      if (pg == nullptr || *pg == '\0') GTEST_SKIP() << "ZR016_TEST_PG is not set";
      conn_ = pg;
    }
    ASSERT_EQ(db.connect(conn_), 0) << db.sqlerrtext();
    if (GetParam() == "postgresql") {
      // ctest runs tests side by side: each process gets a schema of its own.
      schema_ = "zrtest_" + std::to_string(::getpid());
      ASSERT_EQ(db.execute("drop schema if exists " + schema_ + " cascade"), 0) << db.sqlerrtext();
      ASSERT_EQ(db.execute("create schema " + schema_), 0) << db.sqlerrtext();
      ASSERT_EQ(db.commit(), 0);
      // The schema in the connection string, so that a reconnection keeps it.
      conn_ += std::string(conn_.find('?') == std::string::npos ? "?" : "&") +
               "options=-csearch_path=" + schema_;
      ASSERT_EQ(db.connect(conn_), 0) << db.sqlerrtext();
    }
  }
  void TearDown() override {
    if (!schema_.empty()) {
      db.rollback();
      db.execute("drop schema if exists " + schema_ + " cascade");
      db.commit();
    }
    db.disconnect();
    if (!path_.empty()) remove_files();
  }
  // A second connection to the same database.
  void connect_other(fh::Transaction& other) {
    ASSERT_EQ(other.connect(conn_), 0) << other.sqlerrtext();
  }
  void remove_files() {
    for (const char* suffix : {"", "-wal", "-shm"}) std::remove((path_ + suffix).c_str());
  }

  fh::Transaction db;
  std::string conn_;
  std::string path_;
  std::string schema_;
};

}  // namespace zrtest
