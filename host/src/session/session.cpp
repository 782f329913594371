// The session's core: construction, posted events, message boxes, refusals
// and the data-window check.
#include "formhost/session.h"

#include "formhost/object.h"
#include "formhost/text.h"
#include "session/state.h"

namespace fh {
namespace {

constexpr const char* kIcons[] = {"information", "stopsign", "exclamation", "question", "none"};

const std::vector<std::vector<std::string>>& button_sets() {
  static const std::vector<std::vector<std::string>> sets = {
      {"OK"},        {"OK", "Cancel"},   {"Abort", "Retry", "Ignore"}, {"Yes", "No", "Cancel"},
      {"Yes", "No"}, {"Retry", "Cancel"}};
  return sets;
}

void unsound_controls(const Object& obj, const std::string& window,
                      std::vector<std::string>& faults) {
  for (const ObjectRef& c : obj.controls()) {
    if (const DataWindow* dw = c->datawindow()) {
      for (const std::string& f : dw->check_invariants()) {
        faults.push_back(window + "." + c->name() + ": " + f);
      }
    }
    unsound_controls(*c, window, faults);
  }
}

}  // namespace

const char* icon_name(int icon) { return icon >= 0 && icon < 5 ? kIcons[icon] : nullptr; }

std::vector<std::string> button_labels(int buttons) {
  const auto& sets = button_sets();
  return buttons >= 0 && buttons < static_cast<int>(sets.size())
             ? sets[static_cast<std::size_t>(buttons)]
             : std::vector<std::string>{};
}

void each_control(Object& obj, const std::function<void(Object&)>& fn) {
  for (const ObjectRef& c : obj.controls()) {
    fn(*c);
    each_control(*c, fn);
  }
}

Object* menu_of(const Object& window) {
  const Value m = window.get("menuid");
  return is_valid(m) ? m.as_object().get() : nullptr;
}

Session::Session(ClassRegistry& registry, SessionOptions options)
    : registry_(registry), state_(std::make_unique<SessionState>(*this, std::move(options))) {
  SessionOptions& o = state_->options;
  if (o.library == nullptr) o.library = &registry_.dataobjects();
  ctx_ = std::make_unique<Context>(registry_, o.trace_sink);
  ctx_->set_session(this);
  ctx_->set_error_policy(o.error_policy);
  ctx_->set_trace(o.trace);
  if (o.clock) ctx_->set_clock(o.clock);
}

Session::~Session() {
  // Windows go without their scripts: the session is ending.
  for (const ObjectRef& w : state_->windows) w->destroy();
}

const DataObjectLibrary* Session::library() const { return state_->options.library; }

const std::optional<MessageBoxRequest>& Session::pending_message_box() const { return state_->box; }

void Session::post_event(Object& obj, std::string_view event, std::vector<Value> args) {
  state_->posted.push_back({obj.weak_from_this(), std::string(event), std::move(args)});
}

void run_posted(SessionState& st, bool in_modal_loop) {
  // Only the outermost script's end runs posted events, as the platform does,
  // or a modal loop.
  Context& ctx = st.session.context();
  if (ctx.call_depth() > 0 && !in_modal_loop) return;
  while (!st.posted.empty()) {
    SessionState::Posted p = std::move(st.posted.front());
    st.posted.pop_front();
    if (ObjectRef o = p.obj.lock(); o && !o->destroyed()) ctx.trigger(*o, p.event, p.args);
  }
}

int Session::message_box(const MessageBoxRequest& request) {
  SessionState& st = *state_;
  if (st.box) return -1;  // a box is already up: the platform's boxes do not stack
  if (button_labels(request.buttons).empty()) return -1;
  st.box = request;
  st.box_answer.reset();
  while (!st.box_answer) {
    Action a;
    if (!next_action(st, a)) {
      st.add_refusal("message box '" + gbk_to_utf8_lossy(request.text) +
                     "' waits for an answer and none is queued");
      st.box.reset();
      return -1;
    }
    carry_out(st, a);
  }
  st.box.reset();
  return *st.box_answer;
}

void Session::refuse(std::string reason) { state_->add_refusal(std::move(reason)); }

std::vector<std::string> Session::unsound_datawindows() const {
  std::vector<std::string> faults;
  for (const ObjectRef& w : state_->windows) unsound_controls(*w, w->cls().name(), faults);
  return faults;
}

}  // namespace fh
