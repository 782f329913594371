#include "workspace.h"

#include <filesystem>

#include "commands.h"
#include "formhost/errors.h"
#include "formhost/schema.h"
#include "formhost/text.h"
#include "view_text.h"

namespace app {

std::map<std::string, std::string> framework_action_events() {
  return {{"insert", "pfc_insertrow"},
          {"delete", "pfc_deleterow"},
          {"save", "ue_save"},
          {"enter", "e_enter"},
          {"drag", "of_setposition"}};
}

Workspace::Workspace(const WorkspaceOptions& options) {
  for (const std::string& path : library_list(options.modules)) registry_.add_module(path);
  if (options.db.starts_with("sqlite:") && !std::filesystem::exists(options.db.substr(7))) {
    throw fh::Error("database " + options.db.substr(7) +
                    " does not exist; create it with: formhost init-db --demo");
  }
  fh::SessionOptions o;
  o.headless = false;
  o.trace = options.trace;
  // Traced texts come from values and scripts: escaped like the view.
  o.trace_sink = std::make_shared<TerminalTraceSink>(stderr);
  o.check_invariants = options.check_invariants;
  o.action_events = framework_action_events();
  session_ = std::make_unique<fh::Session>(registry_, std::move(o));
  if (session_->sqlca().connect(options.db) != 0) {
    throw fh::Error(fh::gbk_to_utf8_lossy(session_->sqlca().sqlerrtext()));
  }
  // Nothing works on a database of another schema version.
  for (const auto& module : registry_.modules()) {
    if (const fh_schema_info* schema = module->schema())
      fh::check_schema(session_->sqlca(), *schema);
  }
  thread_ = std::thread([this] { session_->serve(); });
  session_->wait_idle();
}

Workspace::~Workspace() {
  session_->stop();
  thread_.join();
}

std::vector<std::string> Workspace::act(fh::Action action) {
  session_->post(std::move(action));
  session_->wait_idle();
  return session_->take_refusals();
}

}  // namespace app
