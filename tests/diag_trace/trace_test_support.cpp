#include "tests/diag_trace/trace_test_support.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace korvane::testing {

namespace {

size_t LastSeparator(const OleString& path) {
  return path.find_last_of(OLESTR("\\/"));
}

}  // namespace

CurrentDirectory::CurrentDirectory(const OleString& folder) : previous_(CurrentDirectoryPath()) {
  if (!SetCurrentDirectoryW(folder.c_str()))
    throw std::runtime_error("SetCurrentDirectoryW failed");
}

CurrentDirectory::~CurrentDirectory() {
  SetCurrentDirectoryW(previous_.c_str());
}

OleString CurrentDirectoryPath() {
  OLECHAR buffer[MAX_PATH];
  DWORD n = GetCurrentDirectoryW(MAX_PATH, buffer);
  if (n == 0 || n >= MAX_PATH) throw std::runtime_error("GetCurrentDirectoryW failed");
  return OleString(buffer, n);
}

std::string ReadTraceText(const OleString& path) {
  std::string text = ReadWholeFile(path);
  text.resize(std::min(text.find('\0'), text.size()));
  return text;
}

bool FileExists(const OleString& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

OleString FileNamePart(const OleString& path) {
  size_t slash = LastSeparator(path);
  return slash == OleString::npos ? path : path.substr(slash + 1);
}

OleString FolderPart(const OleString& path) {
  size_t slash = LastSeparator(path);
  return slash == OleString::npos ? OleString() : path.substr(0, slash);
}

}  // namespace korvane::testing
