#include "zrrt/registration.h"

#include <cstdlib>
#include <exception>

#include "formhost/functions.h"
#include "zrrt/global_function.h"
#include "zrrt/script.h"

namespace zr {
namespace {

// Step 4: the result an event answers, in the type it declares.
fh::Value typed_result(const Answer& answer, fh_result_type type, fh::Context& ctx) {
  fh::Value v;
  if (answer.returned()) {
    v = answer.value();
  } else {
    // No return statement: the message object's returnvalue when it is valid, else 0.
    const fh::ObjectRef& msg = ctx.message();
    v = fh::is_valid(msg) ? msg->get("returnvalue") : fh::Value::of_long(0);
  }
  return type == FH_RESULT_INTEGER ? fh::Integer(v) : fh::Long(v);
}

// A trace that cannot be written must not take the host down with it: the
// script's answer (0) says enough.
template <typename F>
void trace_quietly(F&& write) noexcept {
  try {
    write();
  } catch (...) {
  }
}

void trace_failure(fh::Context& ctx, const Abandon& a) {
  if (a.site.empty()) return;
  trace_quietly([&] {
    ctx.trace({fh::kTraceScriptFailure, a.status,
               "*** WE HAVE A PROBLEM HERE. Error = " + a.site + " ***"});
  });
}

// A broken precondition is the program's fault, never the operator's: it is
// traced whatever the switch says, and stops a debug build on the spot.
void trace_logic_error(fh::Context& ctx, const ScriptInfo& info, const std::exception& e) {
  trace_quietly([&] {
    ctx.trace_always({fh::kTraceLogicError, FH_STATUS_FAILED,
                      "logic error in the script at " + site_id(info.site) + " (" +
                          info.site.file_name() + ":" + std::to_string(info.site.line()) +
                          "): " + e.what()});
  });
#ifndef NDEBUG
  std::abort();
#endif
}

}  // namespace

int run_script(fh_context* c, fh_call* call, const ScriptInfo& info) noexcept {
  if (c == nullptr || call == nullptr || call->self == nullptr) return 0;
  fh::Context& ctx = fh::Context::from_c(c);
  const fh::ClassGroup* group = ctx.registry().group_by_index(info.index_cache->load());
  if (group == nullptr) return 0;  // a script of a group this host never registered

  // Step 1; step 5 on every way out.
  fh::Frame frame;
  frame.self = call->self;
  frame.slot = info.slot;
  ctx.enter(frame, group->by_number(info.class_number));
  struct Restore {
    fh::Context& ctx;
    fh::Frame& frame;
    ~Restore() { ctx.leave(frame); }
  } restore{ctx, frame};

  Script s(ctx, *call);
  try {
    // Step 2: the ancestor's script first; none counts as success.
    if (info.mode == kExtends) {
      const fh::ClassDef* ancestor = group->by_number(info.ancestor_number);
      if (ancestor == nullptr) return 0;
      if (const fh::ScriptRef script = ancestor->find_script(info.slot)) {
        fh::EventResult r = ctx.run(script.fn, *call->self, call->args);
        if (r.status != FH_STATUS_OK) return 0;
        s.ancestor_result_ = std::move(r.result);
      }
    }
    // Steps 3 and 4.
    const Answer answer = info.body(s);
    ctx.return_slot() =
        info.result == FH_RESULT_NONE ? fh::Value() : typed_result(answer, info.result, ctx);
    return 1;
  } catch (const Abandon& a) {
    trace_failure(ctx, a);
  } catch (const fh::RuntimeError&) {
    // Raised outside a statement: nothing smaller than the script to skip.
  } catch (const fh::HostFailure& f) {
    // A failure no statement caught carries the script's own site.
    trace_failure(ctx, Abandon{f.status(), site_id(info.site)});
  } catch (const std::logic_error& e) {
    trace_logic_error(ctx, info, e);
  } catch (...) {
    trace_failure(ctx, Abandon{FH_STATUS_FAILED, site_id(info.site)});
  }
  return 0;
}

int run_function(fh_context* c, fh_call* call, FunctionBody body) noexcept {
  if (c == nullptr || call == nullptr || body == nullptr) return 0;
  fh::Context& ctx = fh::Context::from_c(c);
  try {
    ctx.return_slot() = body(call->args);
    return 1;
  } catch (const std::logic_error& e) {
    trace_quietly([&] {
      ctx.trace_always({fh::kTraceLogicError, FH_STATUS_FAILED,
                        std::string("logic error in a global function: ") + e.what()});
    });
  } catch (...) {
    // The caller's statement fails and traces with its own site.
  }
  return 0;
}

int register_window(fh_host* host, const fh_vtable_info** out, int abi, const fh_vtable_info& info,
                    std::atomic<std::int32_t>& index_cache) noexcept {
  if (host == nullptr || out == nullptr || abi != FH_ABI_VERSION) return FH_STATUS_FAILED;
  fh_announce(host, info.window);
  *out = &info;
  std::int32_t index = index_cache.load();
  if (index == -1) {
    index = fh_class_index(host, info.window);
    if (index < 0) return FH_STATUS_FAILED;
    index_cache.store(index);
  }
  return fh_register_group(host, &info, index);
}

Answer generated_nothing(Script&) { return {}; }

Answer generated_list_destroy(Script& s) {
  const fh::Value menu = s.self().get("menuid");
  if (fh::is_valid(menu)) menu.as_object()->destroy();
  return {};
}

}  // namespace zr
