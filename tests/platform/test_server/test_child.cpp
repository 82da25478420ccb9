// The second process of the platform tests. Its exit code is 0 when the job
// worked; every failure has its own code.
//
//   platform_test_child create <progid>
//       creates CLSID_TestEchoServer by class id and by ProgID (registered by
//       the parent in the registry) and uses it.
//   platform_test_child write <name> <prefix> <count>
//       sets <count> values <prefix>_<i> in HKEY_CURRENT_USER\Software\<name>,
//       one write at a time. (Arguments carry no backslashes: a POSIX shell
//       would eat them.)
#include <cstdlib>
#include <cstring>
#include <string>

#include "echo.h"
#include "platform/ole_string.h"
#include "platform/win32.h"

namespace {

enum ExitCode {
  kOk = 0,
  kUsage = 2,
  kCoInitialize = 10,
  kCreateByClassId = 11,
  kEchoCall = 12,
  kProgIdLookup = 13,
  kCreateByProgId = 14,
  kProgIdReverse = 15,
  kRegistryKey = 20,
  kRegistryValue = 21,
};

// Creates the class and checks that the object answers.
int UseEchoServer(REFCLSID clsid, int createFailure) {
  ITestEcho* echo = nullptr;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IidOf<ITestEcho>(),
                              reinterpret_cast<void**>(&echo)))) {
    return createFailure;
  }
  LONG result = 0;
  const bool answered = SUCCEEDED(echo->Twice(21, &result)) && result == 42;
  echo->Release();
  return answered ? kOk : kEchoCall;
}

int Create(const char* progIdText) {
  const OleString progId = AnsiToOle(progIdText);
  int code = UseEchoServer(CLSID_TestEchoServer, kCreateByClassId);
  if (code != kOk) return code;
  CLSID found = CLSID_NULL;
  if (FAILED(CLSIDFromProgID(progId.c_str(), &found)) ||
      !IsEqualCLSID(found, CLSID_TestEchoServer)) {
    return kProgIdLookup;
  }
  code = UseEchoServer(found, kCreateByProgId);
  if (code != kOk) return code;
  LPOLESTR reverse = nullptr;
  if (FAILED(ProgIDFromCLSID(CLSID_TestEchoServer, &reverse))) return kProgIdReverse;
  const bool same = OleView(reverse) == OleStringView(progId);
  CoTaskMemFree(reverse);
  return same ? kOk : kProgIdReverse;
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
  if (std::strcmp(argv[1], "create") != 0 || argc != 3) return kUsage;
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return kCoInitialize;
  const int code = Create(argv[2]);
  CoUninitialize();
  return code;
}
