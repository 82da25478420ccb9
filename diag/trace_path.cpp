#include "diag/trace_path.h"

#include <cstdio>
#include <utility>

#include "platform/scoped_hkey.h"

namespace korvane {

namespace {

constexpr OLECHAR kSeparator = OLESTR('/');  // both systems accept it; see FullPath
constexpr const OLECHAR* kIviKey = OLESTR("SOFTWARE\\IVI");
constexpr const OLECHAR* kIviRootValue = OLESTR("IviStandardRootDir");
constexpr const OLECHAR* kComponents = OLESTR("Components");
// The CompanyName of this module's version resource, and the folder of the
// IVI shared components used when ours is missing.
constexpr const OLECHAR* kCompanyFolder = OLESTR("Vantrel Technologies");
constexpr const OLECHAR* kSharedFolder = OLESTR("Feldane Softworks");
constexpr const OLECHAR* kDefaultStylesheet = OLESTR("trace.xslt");

OLECHAR AsciiLower(OLECHAR c) {
  return c >= OLESTR('A') && c <= OLESTR('Z') ? static_cast<OLECHAR>(c - 'A' + 'a') : c;
}

bool IsSeparator(OLECHAR c) {
  return c == OLESTR('\\') || c == OLESTR('/');
}

bool IsBareFileName(OleStringView name) {
  for (OLECHAR c : name) {
    if (IsSeparator(c) || c == OLESTR(':')) return false;
  }
  return true;
}

// The path made absolute against the current directory, with "." and ".."
// resolved; on Windows this also turns '/' into '\'.
HRESULT FullPath(const OleString& name, OleString& path) {
  OLECHAR buffer[MAX_PATH];
  const DWORD length = GetFullPathNameW(name.c_str(), MAX_PATH, buffer, nullptr);
  if (length == 0) return HRESULT_FROM_WIN32(GetLastError());
  if (length >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
  path.assign(buffer, length);
  return S_OK;
}

// A registry key opened for reading its string values.
class RegistryKey {
 public:
  RegistryKey(HKEY parent, const OLECHAR* subKey) {
    if (RegOpenKeyExW(parent, subKey, 0, KEY_QUERY_VALUE, key_.Receive()) != ERROR_SUCCESS) {
      key_.Reset();
    }
  }

  // A string value; empty when absent or not a string.
  OleString ReadString(const OLECHAR* name) const {
    if (key_.Get() == nullptr) return {};
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key_.Get(), name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
      return {};
    }
    OleString text(bytes / sizeof(OLECHAR), OLECHAR{});
    if (RegQueryValueExW(key_.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                         &bytes) != ERROR_SUCCESS) {
      return {};
    }
    text.resize(bytes / sizeof(OLECHAR));
    while (!text.empty() && text.back() == OLECHAR{}) text.pop_back();
    return text;
  }

 private:
  ScopedHkey key_;
};

bool IsFolder(const OleString& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFile(const OleString& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// <IviStandardRootDir>/Components/<company>/, empty when the root is not
// registered.
OleString ComponentsFolder() {
  OleString root = RegistryKey(HKEY_LOCAL_MACHINE, kIviKey).ReadString(kIviRootValue);
  while (!root.empty() && IsSeparator(root.back())) root.pop_back();
  if (root.empty()) return {};
  OleString components = root + kSeparator + kComponents + kSeparator;
  OleString ours = components + kCompanyFolder;
  return (IsFolder(ours) ? std::move(ours) : components + kSharedFolder) + kSeparator;
}

}  // namespace

bool EndsWithIgnoringAsciiCase(OleStringView text, OleStringView suffix) {
  if (suffix.size() > text.size()) return false;
  text.remove_prefix(text.size() - suffix.size());
  for (size_t i = 0; i < suffix.size(); ++i) {
    if (AsciiLower(text[i]) != AsciiLower(suffix[i])) return false;
  }
  return true;
}

HRESULT TraceFilePathForName(OleStringView name, OleString& path) {
  OleString file(name);
  if (!EndsWithIgnoringAsciiCase(file, OLESTR(".xml"))) file += OLESTR(".xml");
  return FullPath(file, path);
}

HRESULT DefaultTraceFilePath(OleStringView prefix, const SYSTEMTIME& start, int sequence,
                             OleString& path) {
  char stamp[48];
  int length =
      std::snprintf(stamp, sizeof stamp, "_%04u-%02u-%02u_%02u-%02u-%02u", unsigned{start.wYear},
                    unsigned{start.wMonth}, unsigned{start.wDay}, unsigned{start.wHour},
                    unsigned{start.wMinute}, unsigned{start.wSecond});
  if (sequence > 1) length += std::snprintf(stamp + length, sizeof stamp - length, "_%d", sequence);
  length += std::snprintf(stamp + length, sizeof stamp - length, ".xml");
  OleString file(prefix);
  for (int i = 0; i < length; ++i) file += static_cast<OLECHAR>(stamp[i]);  // ASCII digits
  return FullPath(file, path);
}

OleString FindTraceStylesheet(OleStringView name) {
  OleString file = name.empty() ? OleString(kDefaultStylesheet) : OleString(name);
  if (IsBareFileName(file)) {
    if (!EndsWithIgnoringAsciiCase(file, OLESTR(".xslt"))) file += OLESTR(".xslt");
    OleString folder = ComponentsFolder();
    if (folder.empty()) return {};
    file = folder + file;
  }
  OleString path;
  if (FAILED(FullPath(file, path)) || !IsFile(path)) return {};
  return path;
}

}  // namespace korvane
