#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "tools/korvane/terminal.h"

namespace korvane::cli {

bool IsTerminal(std::FILE* stream) {
  return isatty(fileno(stream)) != 0;
}

std::optional<TerminalSize> SizeOf(std::FILE* stream) {
  winsize size{};
  if (ioctl(fileno(stream), TIOCGWINSZ, &size) != 0 || size.ws_col == 0 || size.ws_row == 0)
    return std::nullopt;
  return TerminalSize{size.ws_col, size.ws_row};
}

struct FullScreen::Saved {
  bool haveModes = false;
  termios modes{};
};

FullScreen::FullScreen() : saved_(std::make_unique<Saved>()) {
  if (tcgetattr(STDIN_FILENO, &saved_->modes) == 0) {
    saved_->haveModes = true;
    termios quiet = saved_->modes;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON);
    tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
  }
  std::fputs("\x1b[?1049h\x1b[?25l\x1b[H\x1b[2J", stdout);
  std::fflush(stdout);
}

FullScreen::~FullScreen() {
  std::fputs("\x1b[?25h\x1b[?1049l", stdout);
  std::fflush(stdout);
  if (saved_->haveModes) tcsetattr(STDIN_FILENO, TCSANOW, &saved_->modes);
}

}  // namespace korvane::cli
