// The second process of the platform tests. Its exit code is 0 when the job
// worked; every failure has its own code.
//
//   platform_test_child write <name> <prefix> <count>
//       sets <count> values <prefix>_<i> in HKEY_CURRENT_USER\Software\<name>,
//       one write at a time. (Arguments carry no backslashes: a POSIX shell
//       would eat them.)
//   platform_test_child open-for-writing <path>
//       opens the file for writing, sharing reading: 0 when it opened,
//       kSharingViolation when another open refused.
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/ole_string.h"
#include "platform/win32.h"

namespace {

enum ExitCode {
  kOk = 0,
  kUsage = 2,
  kRegistryKey = 20,
  kRegistryValue = 21,
  kSharingViolation = 30,
  kOpenFailed = 31,
};

int OpenForWriting(const char* path) {
  HANDLE file = CreateFileW(AnsiToOle(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return GetLastError() == ERROR_SHARING_VIOLATION ? kSharingViolation : kOpenFailed;
  }
  CloseHandle(file);
  return kOk;
}

int Write(const char* keyName, const char* prefix, int count) {
  HKEY key = nullptr;
  const OleString path = OLESTR("Software\\") + AnsiToOle(keyName);
  if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return kRegistryKey;
  }
  int code = kOk;
  for (int i = 0; i < count && code == kOk; ++i) {
    const OleString name = AnsiToOle(std::string(prefix) + "_" + std::to_string(i));
    const DWORD value = static_cast<DWORD>(i);
    if (RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                       sizeof(value)) != ERROR_SUCCESS) {
      code = kRegistryValue;
    }
  }
  RegCloseKey(key);
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return kUsage;
  if (std::strcmp(argv[1], "write") == 0 && argc == 5) {
    return Write(argv[2], argv[3], std::atoi(argv[4]));
  }
  if (std::strcmp(argv[1], "open-for-writing") == 0 && argc == 3) return OpenForWriting(argv[2]);
  return kUsage;
}
