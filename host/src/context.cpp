#include "formhost/context.h"

namespace fh {

Context::Context(ClassRegistry& registry, std::shared_ptr<TraceSink> sink)
    : registry_(registry),
      sink_(sink ? std::move(sink) : std::make_shared<StreamTraceSink>(stderr)),
      clock_(std::make_shared<SystemClock>()) {
  reset_message();
  sqlca_ = instantiate(registry_.load("transaction"), "sqlca");
}

Context::~Context() = default;

void Context::reset_message() {
  message_ = instantiate(registry_.load("message"));
  message_->set("returnvalue", Value::of_long(0));
  message_->set("stringparm", Value::of_string(""));
  message_->set("doubleparm", Value::of_double(0));
  message_->set("powerobjectparm", Value::null_of(Type::kObject));
}

EventResult Context::trigger(Object& obj, std::string_view event, std::span<const Value> args) {
  const EventDecl* decl = obj.cls().find_event(event);
  if (decl == nullptr) return {FH_STATUS_FAILED, Value()};
  return trigger(obj, decl->slot, args);
}

EventResult Context::trigger(Object& obj, std::uint16_t slot, std::span<const Value> args) {
  if (obj.destroyed() || obj.cls().find_event(slot) == nullptr) return {FH_STATUS_FAILED, Value()};
  const ScriptRef script = obj.cls().find_script(slot);
  if (!script) return {FH_STATUS_NO_SCRIPT, Value()};
  return run(script.fn, obj, args);
}

EventResult Context::run(fh_script_fn fn, Object& obj, std::span<const Value> args) {
  fh_call call{&obj, args};
  return_slot_ = Value();
  const int ran = fn(as_c(), &call);
  if (ran != 1) return {kStatusAbandoned, Value()};
  return {FH_STATUS_OK, return_slot_};
}

EventResult Context::call_function(std::string_view name, std::span<const Value> args) {
  const fh_script_fn fn = registry_.function(name);
  if (fn == nullptr) return {FH_STATUS_FAILED, Value()};
  fh_call call{nullptr, args};
  return_slot_ = Value();
  if (fn(as_c(), &call) != 1) return {kStatusAbandoned, Value()};
  return {FH_STATUS_OK, return_slot_};
}

void Context::enter(Frame& frame, const ClassDef* cls) {
  frame.prev = frame_;
  frame.saved_class = current_;
  frame.cls = cls;
  frame_ = &frame;
  current_ = cls;
  ++depth_;
}

void Context::leave(Frame& frame) {
  frame_ = frame.prev;
  current_ = frame.saved_class;
  --depth_;
}

void Context::set_trace_sink(std::shared_ptr<TraceSink> sink) {
  sink_ = sink ? std::move(sink) : std::make_shared<StreamTraceSink>(stderr);
}

void Context::trace(const TraceRecord& record) {
  if (trace_on_) sink_->write(record);
}

void Context::trace_always(const TraceRecord& record) { sink_->write(record); }

}  // namespace fh
