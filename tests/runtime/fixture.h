// A registry with the test framework and test library loaded, and a context.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "formhost/context.h"
#include "formhost/session.h"

namespace zrtest {

// Keeps every trace record for the test to look at.
class RecordingSink : public fh::TraceSink {
 public:
  void write(const fh::TraceRecord& r) override { records.push_back(r); }
  std::vector<fh::TraceRecord> records;
};

// Options for a session in a test: every action is followed by the check of
// the data windows' buffers.
inline fh::SessionOptions checked_options() {
  fh::SessionOptions o;
  o.check_invariants = true;
  return o;
}

class ModuleTest : public ::testing::Test {
 protected:
  ModuleTest() {
    registry.add_module(ZR_TEST_MODULE);
    registry.add_module(ZR_TEST_FRAME_MODULE);
  }

  fh::ObjectRef open(const char* window) { return fh::instantiate(registry.load(window)); }

  static std::string log_of(const fh::ObjectRef& w) {
    const fh::Value v = w->get("log");
    return v.is_null() ? "" : v.as_string();
  }

  fh::ClassRegistry registry;
  std::shared_ptr<RecordingSink> sink = std::make_shared<RecordingSink>();
  fh::Context ctx{registry, sink};
};

}  // namespace zrtest
