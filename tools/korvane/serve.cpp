// `korvane serve`: a Prometheus exporter for the chassis of one controller.
// GET /metrics (the text exposition), /status.json (the `status --json`
// document of each chassis) and / (a health page for a person at the bench).
// A scrape reads each chassis unless its last reading is more recent than the
// minimum interval; a chassis that cannot be read is reported, never an error
// for the whole page.

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>
#include <vector>

#include "tools/korvane/exit_codes.h"
#include "tools/korvane/exporter_commands.h"
#include "tools/korvane/health_page.h"
#include "tools/korvane/prometheus.h"
#include "tools/korvane/terminal.h"

namespace korvane::cli {
namespace {

constexpr const char* kExpositionType = "text/plain; version=0.0.4; charset=utf-8";

struct Endpoint {
  std::string host;
  int port = 0;
};

// "HOST:PORT", "[IPv6]:PORT"; nullopt when it is neither.
std::optional<Endpoint> ParseListen(const std::string& text) {
  const auto colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) return std::nullopt;
  std::string host = text.substr(0, colon);
  if (host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  const std::string port = text.substr(colon + 1);
  if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const int number = std::stoi(port);
  if (number > 65535) return std::nullopt;
  return Endpoint{host, number};
}

class Exporter {
 public:
  explicit Exporter(const ServeSettings& settings) {
    const auto interval = std::chrono::duration_cast<ChassisMonitor::Clock::duration>(
        std::chrono::duration<double>(settings.minIntervalSeconds));
    for (size_t i = 0; i < settings.chassis.size(); ++i) {
      const std::string name = i < settings.names.size() ? settings.names[i] : "";
      monitors_.push_back(std::make_unique<ChassisMonitor>(settings.chassis[i], name, interval));
    }
  }

  std::vector<ChassisSample> Samples() {
    std::vector<ChassisSample> samples;
    for (const auto& monitor : monitors_) samples.push_back(monitor->Current());
    return samples;
  }

 private:
  std::vector<std::unique_ptr<ChassisMonitor>> monitors_;
};

std::string StatusDocuments(const std::vector<ChassisSample>& samples) {
  using nlohmann::json;
  json chassis = json::array();
  for (const auto& sample : samples) {
    json entry = {{"name", sample.label},
                  {"resource", sample.resource},
                  {"up", sample.report.has_value()},
                  {"reading_time", sample.readingTime},
                  {"status", nullptr}};
    if (sample.report) {
      std::ostringstream document;
      WriteJson(document, *sample.report);
      entry["status"] = json::parse(document.str());
    } else {
      entry["error"] = sample.error;
    }
    chassis.push_back(std::move(entry));
  }
  return json{{"exporter", std::string("korvane ") + KORVANE_VERSION}, {"chassis", chassis}}.dump(
             2) +
         "\n";
}

void Routes(httplib::Server& server, Exporter& exporter, double refreshSeconds) {
  server.Get("/metrics", [&](const httplib::Request&, httplib::Response& response) {
    std::ostringstream text;
    WriteExposition(text, exporter.Samples());
    response.set_content(text.str(), kExpositionType);
  });
  server.Get("/status.json", [&](const httplib::Request&, httplib::Response& response) {
    response.set_content(StatusDocuments(exporter.Samples()), "application/json");
  });
  server.Get("/", [&, refreshSeconds](const httplib::Request&, httplib::Response& response) {
    std::ostringstream page;
    WriteHealthPage(page, exporter.Samples(), refreshSeconds);
    response.set_content(page.str(), "text/html; charset=utf-8");
  });
  // Everything else is refused with a short text; only GET (and HEAD) is served.
  const auto refuse = [](const httplib::Request&, httplib::Response& response) {
    response.status = 405;
    response.set_header("Allow", "GET, HEAD");
    response.set_content("korvane serve answers only GET and HEAD\n", "text/plain");
  };
  server.Post(".*", refuse);
  server.Put(".*", refuse);
  server.Patch(".*", refuse);
  server.Delete(".*", refuse);
  server.Options(".*", refuse);
  server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
    if (response.status == 404)
      response.set_content("Not found; try /metrics, /status.json or /\n", "text/plain");
  });
}

}  // namespace

int Serve(const ServeSettings& settings) {
  const auto endpoint = ParseListen(settings.listen);
  if (!endpoint) {
    std::fprintf(stderr, "korvane: --listen '%s' is not HOST:PORT (for example 127.0.0.1:9730)\n",
                 settings.listen.c_str());
    return kExitUsage;
  }
  Exporter exporter(settings);
  httplib::Server server;
  const int threads = settings.threads;
  server.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
  // Requests stay small: a body is refused beyond 1 KiB (the library bounds the
  // request line and headers to 8 KiB each), and a client that stalls is dropped.
  server.set_payload_max_length(1024);
  server.set_read_timeout(5);
  server.set_write_timeout(5);
  server.set_keep_alive_timeout(5);
  // SO_REUSEADDR only, so that a restart finds its port free; not the
  // library's SO_REUSEPORT, with which a second exporter would share the port.
  // TCP_NODELAY (inherited by the accepted connections): the library writes
  // headers and body apart, which would otherwise wait for the client's
  // delayed acknowledgement on every scrape of a kept-alive connection.
  server.set_socket_options([](socket_t socket) {
    int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&yes), sizeof yes);
    setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&yes), sizeof yes);
  });
  Routes(server, exporter, std::max(settings.minIntervalSeconds, 5.0));

  const int port =
      endpoint->port == 0
          ? server.bind_to_any_port(endpoint->host)
          : (server.bind_to_port(endpoint->host, endpoint->port) ? endpoint->port : -1);
  if (port < 0) {
    std::fprintf(stderr,
                 "korvane: cannot listen on %s (in use, or no such address here); choose another "
                 "with --listen\n",
                 settings.listen.c_str());
    return kExitUsage;
  }
  const InterruptCatcher interrupt;
  std::atomic<bool> ended = false;
  std::thread listener([&] {
    server.listen_after_bind();
    ended = true;
  });
  std::fprintf(stderr,
               "korvane: serving %zu chassis on http://%s:%d/ (/metrics, /status.json); "
               "Ctrl-C or SIGTERM stops\n",
               settings.chassis.size(), endpoint->host.c_str(), port);
  while (!interrupt.Interrupted() && !ended) interrupt.Wait(0.2);
  server.stop();
  listener.join();
  std::fprintf(stderr, "korvane: stopped\n");
  return kExitOk;
}

}  // namespace korvane::cli
