// The browser front end: an HTTP server (cpp-httplib) that serves the page
// compiled into the binary and one session per signed-in browser tab, each
// on its own thread. The page posts actions and reads the session's view
// (formhost/view.h), the only read model; a stream of server-sent events per
// tab tells it when the view changed.
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace app::web {

struct ServerOptions {
  std::vector<std::string> modules;  // the library list, in order
  // The framework's events behind insert, delete, save, Enter and drag.
  std::map<std::string, std::string> action_events;
  std::string db;  // connection of every session and of the sign-in
  std::string host = "127.0.0.1";
  int port = 8016;  // 0: any free port
  std::string tls_cert, tls_key;
  // A signed-in browser that sends nothing for this long is signed out.
  std::chrono::seconds idle{30 * 60};
  // How long a failed sign-in answer waits. The name is then locked for
  // twice that, doubling with each further failure (at most a minute); an
  // address the same after five failures.
  std::chrono::milliseconds failed_signin_delay{1000};
  std::size_t max_tabs = 64;               // sessions at once, over all operators
  std::size_t max_body = 64 * 1024;        // bytes of a request body
  std::size_t max_text = 4000;             // bytes of a typed text
  std::chrono::seconds sse_keepalive{15};  // a comment line on a quiet stream
  // How often a stream looks at a running action's rows read.
  std::chrono::milliseconds progress_every{250};
};

class Server {
 public:
  // Loads the modules and connects the database (sign-in). Throws fh::Error
  // with a one-line reason.
  explicit Server(ServerOptions options);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Binds the address; answers the port (the one chosen when it was 0).
  // Throws fh::Error when the address cannot be bound.
  int bind();
  // Serves until stop() (from any thread); ends every session at the end.
  void run();
  void stop();
  // Whether the address is a loopback one (no warning without TLS).
  static bool is_loopback(const std::string& host);

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace app::web
