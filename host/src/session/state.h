// What a session keeps besides its context and transaction, and the steps its
// parts share. Internal to the host: the queue's threading stays out of the
// public header.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "formhost/session.h"

namespace fh {

struct SessionState {
  SessionState(Session& s, SessionOptions o) : session(s), options(std::move(o)) {}

  Session& session;
  SessionOptions options;
  std::vector<ObjectRef> windows;
  std::vector<Object*> modal;  // response windows, innermost last
  std::weak_ptr<Object> focus;
  std::optional<MessageBoxRequest> box;
  std::optional<int> box_answer;

  // Events scripts posted, run when the outermost script is done.
  struct Posted {
    std::weak_ptr<Object> obj;
    std::string event;
    std::vector<Value> args;
  };
  std::deque<Posted> posted;

  // The action queue: post() comes from any thread, the rest runs on the
  // session's thread. The mutex guards actions, idle, stopping and refusals.
  std::mutex mutex;
  std::condition_variable arrived;
  std::condition_variable idle_changed;
  std::deque<Action> actions;
  bool idle = false;
  bool stopping = false;
  std::vector<std::string> refusals;
  // Rows the running action's retrievals have read (any thread may read it).
  std::atomic<long> rows_read{0};

  void add_refusal(std::string reason) {
    std::lock_guard lock(mutex);
    refusals.push_back(std::move(reason));
  }
};

// Each control and the controls inside it, in creation order.
void each_control(Object& obj, const std::function<void(Object&)>& fn);
// The window's menu, when it has a valid one.
Object* menu_of(const Object& window);

// The queue (queue.cpp): the next action, waiting for one unless
// headless or stopping; false when there is none.
bool next_action(SessionState& st, Action& out);
// Runs the posted events once no script is running, or in a modal loop.
void run_posted(SessionState& st, bool in_modal_loop = false);
// One action, then the posted events and, when asked, the data-window check;
// what cannot be done becomes a refusal (actions.cpp).
void carry_out(SessionState& st, const Action& a);

}  // namespace fh
