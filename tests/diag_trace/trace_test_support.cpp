#include "tests/diag_trace/trace_test_support.h"

#include <atomic>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace korvane::testing {

namespace {

std::atomic<int> folderCount{0};

OleString FullPath(const OleString& path) {
  OLECHAR buffer[MAX_PATH];
  DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, buffer, nullptr);
  if (n == 0 || n >= MAX_PATH) throw std::runtime_error("GetFullPathNameW failed");
  return OleString(buffer, n);
}

size_t LastSeparator(const OleString& path) {
  return path.find_last_of(OLESTR("\\/"));
}

}  // namespace

OleString Wide(const char* ascii) {
  return AnsiToOle(ascii);
}
std::string Narrow(const OleString& text) {
  return OleToAnsi(text);
}

TempFolder::TempFolder() {
  OLECHAR buffer[MAX_PATH];
  DWORD n = GetTempPathW(MAX_PATH, buffer);
  if (n == 0 || n >= MAX_PATH) throw std::runtime_error("GetTempPathW failed");
  std::string name = "korvane_trace_test_" + std::to_string(GetCurrentProcessId()) + "_" +
                     std::to_string(folderCount++);
  // The temporary folder ends with the system's separator.
  separator_ = buffer[n - 1];
  path_ = FullPath(OleString(buffer, n) + Wide(name.c_str()));
  if (!CreateDirectoryW(path_.c_str(), nullptr))
    throw std::runtime_error("CreateDirectoryW failed");
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(path_), ignored);
}

OleString TempFolder::File(const char* name) const {
  OleString path = path_ + separator_;
  for (OLECHAR c : Wide(name)) path += c == OLESTR('/') ? separator_ : c;
  return path;
}

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

std::string ReadWholeFile(const OleString& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
    text.append(buffer, read);
  CloseHandle(file);
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

void SetThreadError(const OleString& description) {
  ICreateErrorInfo* create = nullptr;
  if (FAILED(CreateErrorInfo(&create))) throw std::runtime_error("CreateErrorInfo failed");
  create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
  IErrorInfo* info = nullptr;
  create->QueryInterface(IidOf<IErrorInfo>(), reinterpret_cast<void**>(&info));
  create->Release();
  SetErrorInfo(0, info);
  if (info != nullptr) info->Release();
}

std::string TakeThreadErrorDescription() {
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || info == nullptr) return "(none)";
  BSTR text = nullptr;
  info->GetDescription(&text);
  info->Release();
  std::string description = OleToAnsi(BstrView(text));
  SysFreeString(text);
  return description;
}

}  // namespace korvane::testing
