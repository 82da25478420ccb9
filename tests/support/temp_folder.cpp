#include "tests/support/temp_folder.h"

#include <atomic>
#include <fstream>
#include <stdexcept>

#include "tests/support/text.h"

namespace korvane::testing {
namespace {

std::atomic<int> folderCount{0};
constexpr int kAttempts = 1000;

OleString FullPath(const OleString& path) {
  OLECHAR buffer[MAX_PATH];
  const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, buffer, nullptr);
  if (n == 0 || n >= MAX_PATH) throw std::runtime_error("GetFullPathNameW failed");
  return OleString(buffer, n);
}

}  // namespace

TempFolder::TempFolder() {
  OLECHAR buffer[MAX_PATH];
  const DWORD n = GetTempPathW(MAX_PATH, buffer);
  if (n == 0 || n >= MAX_PATH) throw std::runtime_error("GetTempPathW failed");
  // The temporary folder ends with the system's separator.
  separator_ = buffer[n - 1];
  // A folder of that name may be left from an earlier process with the same id (Wine reuses
  // ids from run to run, and a file a test left open can keep its folder): the next number.
  DWORD error = ERROR_ALREADY_EXISTS;
  for (int attempt = 0; attempt < kAttempts && error == ERROR_ALREADY_EXISTS; ++attempt) {
    const std::string name = "korvane_test_" + std::to_string(GetCurrentProcessId()) + "_" +
                             std::to_string(folderCount++);
    path_ = FullPath(OleString(buffer, n) + Wide(name));
    if (CreateDirectoryW(path_.c_str(), nullptr)) return;
    error = GetLastError();
  }
  throw std::runtime_error("CreateDirectoryW failed for " + Narrow(path_) + ": error " +
                           std::to_string(error));
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(fsPath(), ignored);
}

OleString TempFolder::File(std::string_view name) const {
  OleString path = path_ + separator_;
  for (OLECHAR c : Wide(name)) path += c == OLESTR('/') ? separator_ : c;
  return path;
}

std::filesystem::path TempFolder::Write(std::string_view name, std::string_view text) const {
  const std::filesystem::path file(File(name));
  std::ofstream(file, std::ios::binary) << text;
  return file;
}

}  // namespace korvane::testing
