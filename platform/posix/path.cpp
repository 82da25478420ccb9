// The current folder, full path names and the temporary folder.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/posix/detail/last_error.h"
#include "platform/posix/detail/paths.h"
#include "platform/posix/detail/utf.h"

using korvane::platform::CopyToWideBuffer;
using korvane::platform::Utf8Of;
using korvane::platform::Utf8ToUtf16;

namespace {

std::string CurrentDirectory() {
  char buffer[PATH_MAX];
  return ::getcwd(buffer, sizeof(buffer)) != nullptr ? std::string(buffer) : std::string("/");
}

// Joins path to the current folder when relative and resolves "." and "..".
std::string FullPath(const std::string& path) {
  const std::string absolute = path[0] == '/' ? path : CurrentDirectory() + "/" + path;
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= absolute.size()) {
    std::size_t end = absolute.find('/', start);
    if (end == std::string::npos) end = absolute.size();
    const std::string part = absolute.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string result;
  for (const std::string& part : parts) result += "/" + part;
  const bool endsWithSlash =
      absolute.back() == '/' || absolute.ends_with("/.") || absolute.ends_with("/..");
  if (result.empty() || endsWithSlash) result += "/";
  return result;
}

}  // namespace

extern "C" DWORD GetCurrentDirectoryW(DWORD nBufferLength, LPWSTR lpBuffer) {
  return CopyToWideBuffer(Utf8ToUtf16(CurrentDirectory()), lpBuffer, nBufferLength);
}

extern "C" BOOL SetCurrentDirectoryW(LPCWSTR lpPathName) {
  const std::string path = Utf8Of(lpPathName);
  if (::chdir(path.c_str()) != 0) {
    SetLastError(korvane::platform::Win32ErrorForPath(path, errno));
    return FALSE;
  }
  return TRUE;
}

extern "C" DWORD GetFullPathNameW(LPCWSTR lpFileName, DWORD nBufferLength, LPWSTR lpBuffer,
                                  LPWSTR* lpFilePart) {
  const std::string name = Utf8Of(lpFileName);
  if (name.empty()) {
    SetLastError(ERROR_INVALID_NAME);
    return 0;
  }
  const std::u16string full = Utf8ToUtf16(FullPath(name));
  const DWORD result = CopyToWideBuffer(full, lpBuffer, nBufferLength);
  if (lpFilePart != nullptr && result < nBufferLength) {
    const std::size_t slash = full.rfind(u'/');
    *lpFilePart = slash + 1 < full.size() ? lpBuffer + slash + 1 : nullptr;
  }
  return result;
}

extern "C" DWORD GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer) {
  const char* variable = std::getenv("TMPDIR");
  std::string folder = variable != nullptr && variable[0] != '\0' ? variable : "/tmp";
  if (folder.back() != '/') folder += '/';
  return CopyToWideBuffer(Utf8ToUtf16(folder), lpBuffer, nBufferLength);
}
