#include <io.h>

#include "platform/win32.h"

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

// A console counts as a terminal when it takes the escape sequences korvane
// writes (Windows 10 and later, once asked to).
bool IsTerminal(std::FILE* stream) {
  if (_isatty(_fileno(stream)) == 0) return false;
  HANDLE console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  if (!GetConsoleMode(console, &mode)) return false;
  return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
         SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

// The console keeps its own modes; only the screen and the cursor change.
struct FullScreen::Saved {};

FullScreen::FullScreen() {
  std::fputs("\x1b[?1049h\x1b[?25l\x1b[H\x1b[2J", stdout);
  std::fflush(stdout);
}

FullScreen::~FullScreen() {
  std::fputs("\x1b[?25h\x1b[?1049l", stdout);
  std::fflush(stdout);
}

InterruptCatcher::InterruptCatcher() {
  interrupted = 0;
  std::signal(SIGINT, OnInterrupt);
}

InterruptCatcher::~InterruptCatcher() {
  std::signal(SIGINT, SIG_DFL);
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
