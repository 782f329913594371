// The action queue between front ends (any thread) and the session's thread.
#include <utility>

#include "formhost/session.h"
#include "session/progress.h"
#include "session/state.h"

namespace fh {

thread_local std::atomic<long>* rows_read_here = nullptr;

long Session::rows_read() const { return state_->rows_read.load(std::memory_order_relaxed); }

void Session::post(Action action) {
  {
    std::lock_guard lock(state_->mutex);
    state_->actions.push_back(std::move(action));
  }
  state_->arrived.notify_one();
}

bool next_action(SessionState& st, Action& out) {
  std::unique_lock lock(st.mutex);
  if (st.actions.empty()) {
    if (st.options.headless || st.stopping) return false;
    st.idle = true;
    st.idle_changed.notify_all();
    st.arrived.wait(lock, [&] { return !st.actions.empty() || st.stopping; });
    st.idle = false;
    if (st.actions.empty()) return false;
  }
  out = std::move(st.actions.front());
  st.actions.pop_front();
  st.rows_read.store(0, std::memory_order_relaxed);
  rows_read_here = &st.rows_read;
  return true;
}

void Session::serve() {
  Action a;
  while (next_action(*state_, a)) carry_out(*state_, a);
}

void Session::stop() {
  {
    std::lock_guard lock(state_->mutex);
    state_->stopping = true;
  }
  state_->arrived.notify_all();
  state_->idle_changed.notify_all();
}

void Session::wait_idle() {
  SessionState& st = *state_;
  std::unique_lock lock(st.mutex);
  st.idle_changed.wait(lock, [&] { return (st.idle && st.actions.empty()) || st.stopping; });
}

std::vector<std::string> Session::take_refusals() {
  std::lock_guard lock(state_->mutex);
  return std::exchange(state_->refusals, {});
}

std::vector<std::string> Session::run_pending() {
  Action a;
  while (next_action(*state_, a)) carry_out(*state_, a);
  run_posted(*state_);
  return take_refusals();
}

}  // namespace fh
