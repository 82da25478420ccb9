#include <io.h>

#include "platform/win32.h"

#include "tools/korvane/terminal.h"

namespace korvane::cli {

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

std::optional<TerminalSize> SizeOf(std::FILE* stream) {
  HANDLE console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!GetConsoleScreenBufferInfo(console, &info)) return std::nullopt;
  return TerminalSize{info.srWindow.Right - info.srWindow.Left + 1,
                      info.srWindow.Bottom - info.srWindow.Top + 1};
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

}  // namespace korvane::cli
