// Ctrl-C as a request to stop, the same on every system: the C runtime's
// signal handling, which Windows consoles also deliver SIGINT through.
#include <chrono>
#include <csignal>
#include <thread>

#include "tools/korvane/terminal.h"

namespace korvane::cli {
namespace {

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
  interrupted = 1;
}

}  // namespace

InterruptCatcher::InterruptCatcher() {
  interrupted = 0;
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
}

InterruptCatcher::~InterruptCatcher() {
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
}

bool InterruptCatcher::Interrupted() const {
  return interrupted != 0;
}

void InterruptCatcher::Wait(double seconds) const {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!Interrupted() && std::chrono::steady_clock::now() < end)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

}  // namespace korvane::cli
