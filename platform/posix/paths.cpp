// Path helpers shared by the file, path and module functions.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/posix/detail/last_error.h"
#include "platform/posix/detail/paths.h"

namespace korvane::platform {

std::string ExecutablePath() {
  char buffer[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

std::string ExecutableDirectory() {
  const std::string path = ExecutablePath();
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

DWORD CopyToWideBuffer(const std::u16string& text, LPWSTR buffer, DWORD capacity) {
  const auto needed = static_cast<DWORD>(text.size() + 1);
  if (buffer == nullptr || capacity < needed) return needed;
  std::memcpy(buffer, text.c_str(), needed * sizeof(WCHAR));
  return needed - 1;
}

DWORD Win32ErrorForPath(const std::string& path, int error) {
  if (error != ENOENT) return Win32ErrorFromErrno(error);
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos || slash == 0) return ERROR_FILE_NOT_FOUND;
  struct stat folder {};
  const std::string parent = path.substr(0, slash);
  const bool parentIsFolder = ::stat(parent.c_str(), &folder) == 0 && S_ISDIR(folder.st_mode);
  return parentIsFolder ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

}  // namespace korvane::platform
