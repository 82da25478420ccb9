// Files and folders by name: attributes, deletion, folder creation/removal.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/posix/detail/last_error.h"
#include "platform/posix/detail/paths.h"
#include "platform/posix/detail/utf.h"

using korvane::platform::Utf8Of;
using korvane::platform::Win32ErrorForPath;

namespace {

BOOL FailForPath(const std::string& path, int error) {
  SetLastError(Win32ErrorForPath(path, error));
  return FALSE;
}

}  // namespace

extern "C" DWORD GetFileAttributesW(LPCWSTR lpFileName) {
  const std::string path = Utf8Of(lpFileName);
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0) {
    SetLastError(path.empty() ? ERROR_PATH_NOT_FOUND : Win32ErrorForPath(path, errno));
    return INVALID_FILE_ATTRIBUTES;
  }
  if (S_ISDIR(info.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
  const bool writable = (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
  return writable ? FILE_ATTRIBUTE_ARCHIVE : FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE;
}

// Removes a file; a folder is refused with ERROR_ACCESS_DENIED.
extern "C" BOOL DeleteFileW(LPCWSTR lpFileName) {
  const std::string path = Utf8Of(lpFileName);
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return FailForPath(path, errno);
  if (S_ISDIR(info.st_mode)) return FailForPath(path, EISDIR);
  if (::unlink(path.c_str()) != 0) return FailForPath(path, errno);
  return TRUE;
}

extern "C" BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES) {
  const std::string path = Utf8Of(lpPathName);
  if (::mkdir(path.c_str(), 0777) != 0) return FailForPath(path, errno);
  return TRUE;
}

extern "C" BOOL RemoveDirectoryW(LPCWSTR lpPathName) {
  const std::string path = Utf8Of(lpPathName);
  if (::rmdir(path.c_str()) != 0) return FailForPath(path, errno);
  return TRUE;
}
