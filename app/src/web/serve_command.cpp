// formhost serve: the browser front end on a database.
#include <csignal>
#include <cstdio>
#include <memory>
#include <thread>

#include "commands.h"
#include "formhost/errors.h"
#include "web/server.h"
#include "web/web_commands.h"
#include "workspace.h"

namespace app::web {
namespace {

struct Options {
  std::vector<std::string> modules;
  std::string db = kDefaultDatabase;
  std::string listen = "127.0.0.1:8016";
  std::string tls_cert, tls_key;
  long idle_minutes = 30;
};

void split_listen(const std::string& listen, ServerOptions& o) {
  const auto colon = listen.rfind(':');
  if (colon == std::string::npos) throw fh::Error("--listen expects ADDRESS:PORT, not " + listen);
  o.host = listen.substr(0, colon);
  if (o.host.size() > 2 && o.host.front() == '[' && o.host.back() == ']') {
    o.host = o.host.substr(1, o.host.size() - 2);
  }
  try {
    std::size_t used = 0;
    o.port = std::stoi(listen.substr(colon + 1), &used);
    if (used != listen.size() - colon - 1 || o.port < 0 || o.port > 65535) throw 0;
  } catch (...) {
    throw fh::Error("--listen: the port of " + listen + " is no number from 0 to 65535");
  }
}

void serve(const Options& o) {
  ServerOptions so;
  so.modules = library_list(o.modules);
  so.action_events = framework_action_events();
  so.db = o.db;
  split_listen(o.listen, so);
  so.tls_cert = o.tls_cert;
  so.tls_key = o.tls_key;
  so.idle = std::chrono::minutes(o.idle_minutes);
  const bool tls = !o.tls_cert.empty();
  if (!tls && !Server::is_loopback(so.host)) {
    std::fprintf(stderr,
                 "formhost: warning: listening on %s without TLS: passwords and data cross the "
                 "network readable; give --tls-cert and --tls-key\n",
                 so.host.c_str());
  }
  // Ctrl+C and kill end the server cleanly: the signals are blocked before
  // any thread starts (threads inherit the mask) and taken by one of their own.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  Server server(so);
  const int port = server.bind();
  std::thread waiter([&] {
    int got = 0;
    sigwait(&signals, &got);
    server.stop();
  });
  const std::string host = so.host.find(':') != std::string::npos ? "[" + so.host + "]" : so.host;
  std::printf("formhost serve: %s://%s:%d/ on %s (Ctrl+C ends it)\n", tls ? "https" : "http",
              host.c_str(), port, o.db.c_str());
  std::fflush(stdout);
  server.run();
  // The waiter may still wait for a signal when the server stopped otherwise.
  pthread_kill(waiter.native_handle(), SIGTERM);
  waiter.join();
}

}  // namespace

void add_serve_command(CLI::App& cli) {
  auto* cmd = cli.add_subcommand("serve", "Serve the windows to web browsers, operators signed in");
  auto o = std::make_shared<Options>();
  cmd->add_option("--db", o->db, "Connection: sqlite:PATH or postgresql://USER@HOST:PORT/DB")
      ->capture_default_str();
  cmd->add_option("--listen", o->listen, "ADDRESS:PORT to listen on")->capture_default_str();
  cmd->add_option("--tls-cert", o->tls_cert, "PEM certificate: serve HTTPS")
      ->check(CLI::ExistingFile);
  cmd->add_option("--tls-key", o->tls_key, "PEM private key of the certificate")
      ->check(CLI::ExistingFile);
  cmd->add_option("--idle-minutes", o->idle_minutes, "Sign out after this long without activity")
      ->capture_default_str()
      ->check(CLI::Range(1, 24 * 60));
  cmd->add_option("--module", o->modules, "A module of the library list (repeatable)")
      ->check(CLI::ExistingFile);
  cmd->footer(
      "Operators sign in with the accounts of `formhost user add`; init-db --demo makes "
      "the demo operator.");
  cmd->callback([o] { serve(*o); });
}

}  // namespace app::web
