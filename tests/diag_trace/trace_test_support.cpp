#include "tests/diag_trace/trace_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

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
  EXPECT_EQ(text.find('\0'), std::string::npos) << "a zero byte in the trace";
  return text;
}

std::string CompleteCutTrace(std::string text) {
  for (std::string_view end : {"</TraceRecords>\r\n", "<TraceRecords/>\r\n"}) {
    if (text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0) {
      return text;  // complete
    }
  }
  constexpr std::string_view kRootStart = "<TraceRecords";
  if (text.size() >= kRootStart.size() &&
      text.compare(text.size() - kRootStart.size(), kRootStart.size(), kRootStart) == 0) {
    text += ">\r\n";
  }
  const size_t lastStart = text.rfind("\t<Method ");
  const size_t lastEnd = text.rfind("\t</Method>");
  if (lastStart != std::string::npos && (lastEnd == std::string::npos || lastEnd < lastStart)) {
    text += "\t</Method>\r\n";
  }
  return text + "</TraceRecords>\r\n";
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
