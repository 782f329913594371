// What every command that runs windows sets up: the modules of the library
// list, the data-window objects their containers carry, and a session on its
// own thread with the database connected.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "formhost/classes.h"
#include "formhost/datawindow.h"
#include "formhost/session.h"

namespace app {

// The framework's events behind the user's insert, delete, save, Enter and drag.
std::map<std::string, std::string> framework_action_events();

struct WorkspaceOptions {
  std::vector<std::string> modules;
  std::string db;
  bool trace = false;
  // Check every data window after each action (scenarios).
  bool check_invariants = false;
};

class Workspace {
 public:
  // Loads the modules and their objects and connects the database. Throws
  // fh::Error with a one-line reason.
  explicit Workspace(const WorkspaceOptions& options);
  ~Workspace();

  fh::Session& session() { return *session_; }
  // Posts one action and waits until the session has carried it out (and
  // whatever it opened waits for the next action). Answers the refusals.
  std::vector<std::string> act(fh::Action action);

 private:
  fh::ClassRegistry registry_;
  std::unique_ptr<fh::Session> session_;
  std::thread thread_;
};

}  // namespace app
