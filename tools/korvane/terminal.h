// The terminal as `korvane watch` uses it: whether output goes to one, a full
// screen it takes over and gives back, and Ctrl-C as a request to stop.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>

namespace korvane::cli {

bool IsTerminal(std::FILE* stream);

struct TerminalSize {
  int columns;
  int rows;
};
// The size of the terminal a stream writes to; nothing when it is none.
std::optional<TerminalSize> SizeOf(std::FILE* stream);

// While it lives: the alternate screen, a hidden cursor and no echo of keys
// typed; all restored as they were when it ends, also after Ctrl-C.
class FullScreen {
 public:
  FullScreen();
  ~FullScreen();
  FullScreen(const FullScreen&) = delete;
  FullScreen& operator=(const FullScreen&) = delete;

 private:
  struct Saved;
  std::unique_ptr<Saved> saved_;
};

// Ctrl-C (SIGINT, and SIGTERM) sets a flag instead of ending the process, for as long as
// this lives.
class InterruptCatcher {
 public:
  InterruptCatcher();
  ~InterruptCatcher();
  InterruptCatcher(const InterruptCatcher&) = delete;
  InterruptCatcher& operator=(const InterruptCatcher&) = delete;
  bool Interrupted() const;
  // Waits up to `seconds`, returning early when interrupted.
  void Wait(double seconds) const;
};

}  // namespace korvane::cli
