// One session's script context: call depth, frame chain, current class,
// return slot, the global message object, error policy and trace switch.
// Used from the session's thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "formhost/abi.h"
#include "formhost/classes.h"
#include "formhost/clock.h"
#include "formhost/export.h"
#include "formhost/object.h"
#include "formhost/trace.h"
#include "formhost/value.h"

// What a script entry receives besides the context.
struct fh_call {
  fh::Object* self;  // null for a global function
  std::span<const fh::Value> args;
};

namespace fh {

class Session;

// What happens when a statement raises a runtime error (null object...).
enum class ErrorPolicy : std::uint8_t {
  kAbandon,   // the script is abandoned and answers 0
  kContinue,  // exactly the failing statement is skipped
};

struct Frame {
  Frame* prev = nullptr;
  Object* self = nullptr;
  const ClassDef* cls = nullptr;
  std::uint16_t slot = 0;
  const ClassDef* saved_class = nullptr;  // the context's class before this frame
};

// The outcome of raising an event: the host's status and the event's result.
struct EventResult {
  std::int32_t status = FH_STATUS_FAILED;  // 1, FH_STATUS_NO_SCRIPT or negative
  Value result;
};

class FH_API Context {
 public:
  // The registry outlives the context. Without a sink, trace records go to stderr.
  explicit Context(ClassRegistry& registry, std::shared_ptr<TraceSink> sink = nullptr);
  ~Context();
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  ClassRegistry& registry() { return registry_; }
  // The session this context belongs to; null for a bare context (tests).
  Session* session() const { return session_; }
  void set_session(Session* s) { session_ = s; }
  fh_context* as_c() { return reinterpret_cast<fh_context*>(this); }
  static Context& from_c(fh_context* c) { return *reinterpret_cast<Context*>(c); }

  // Raises an event by name or slot on an object and runs the most derived
  // script. Status 1: ran to its end; FH_STATUS_NO_SCRIPT: the event exists
  // but nothing scripts it (result null); -1: no such event; -2: the script
  // was abandoned. Never throws for a script's failure.
  EventResult trigger(Object& obj, std::string_view event, std::span<const Value> args = {});
  EventResult trigger(Object& obj, std::uint16_t slot, std::span<const Value> args = {});
  // Runs one script entry on an object (the ancestor call of the wrapper uses it too).
  EventResult run(fh_script_fn fn, Object& obj, std::span<const Value> args);

  // Calls a global function by name. Status 1: it ran, with its result;
  // -1: no module defines it; -2: the function failed. Never throws.
  EventResult call_function(std::string_view name, std::span<const Value> args);

  // Script wrapper bookkeeping (steps 1 and 5 of running a script).
  int call_depth() const { return depth_; }
  const Frame* frame() const { return frame_; }
  const ClassDef* current_class() const { return current_; }
  // Links the frame, saves the current class in it and makes cls current.
  void enter(Frame& frame, const ClassDef* cls);
  // Undoes enter(); frames leave in the reverse order of entering.
  void leave(Frame& frame);
  Value& return_slot() { return return_slot_; }

  // The global message object (returnvalue, stringparm, powerobjectparm...).
  // Scripts may destroy it; message() is then not valid.
  const ObjectRef& message() const { return message_; }
  void reset_message();
  // The global transaction object scripts name sqlca: their reference to
  // the session's connection (the Transaction itself lives in the session).
  const ObjectRef& sqlca() const { return sqlca_; }

  ErrorPolicy error_policy() const { return policy_; }
  void set_error_policy(ErrorPolicy p) { policy_ = p; }

  bool trace_on() const { return trace_on_; }
  void set_trace(bool on) { trace_on_ = on; }
  void set_trace_sink(std::shared_ptr<TraceSink> sink);
  void trace(const TraceRecord& record);  // writes only when the switch is on
  // Writes whatever the switch says: programming errors must never pass unseen.
  void trace_always(const TraceRecord& record);

  const Clock& clock() const { return *clock_; }
  void set_clock(std::shared_ptr<const Clock> clock) { clock_ = std::move(clock); }

 private:
  ClassRegistry& registry_;
  Session* session_ = nullptr;
  int depth_ = 0;
  Frame* frame_ = nullptr;
  const ClassDef* current_ = nullptr;
  Value return_slot_;
  ObjectRef message_;
  ObjectRef sqlca_;
  ErrorPolicy policy_ = ErrorPolicy::kAbandon;
  bool trace_on_ = false;
  std::shared_ptr<TraceSink> sink_;
  std::shared_ptr<const Clock> clock_;
};

inline constexpr std::int32_t kStatusAbandoned = -2;

}  // namespace fh
