// korvane-regsvr: registers an in-process COM server as regsvr32 does.
//
//   korvane-regsvr [/u] [/s] [/n] [/i[:cmdline]] MODULE
//
// Without switches it calls the module's DllRegisterServer; /u calls
// DllUnregisterServer. /i calls DllInstall(TRUE, cmdline), after
// DllRegisterServer unless /n is given; /u /i calls DllInstall(FALSE,
// cmdline) and then, unless /n, DllUnregisterServer. /s prints nothing on
// success. Exit status: 0 on success, 3 when the module does not load, 4
// when it lacks the entry point, 5 when the entry point fails, 1 for a bad
// command line.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/ole_string.h"
#include "platform/win32.h"

namespace {

struct Options {
  bool unregister = false;
  bool silent = false;
  bool noServerCall = false;
  bool install = false;
  OleString installLine;
  std::string module;
};

// A switch is a slash or dash with one letter (or /i:cmdline); anything
// else is the module, whose Linux path also begins with a slash.
bool IsSwitch(std::string_view arg) {
  if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) return false;
  return arg.size() == 2 || ((arg[1] | 0x20) == 'i' && arg[2] == ':');
}

bool Parse(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!IsSwitch(arg)) {
      if (!options.module.empty()) return false;
      options.module = arg;
      continue;
    }
    switch (arg[1] | 0x20) {
      case 'u':
        options.unregister = true;
        break;
      case 's':
        options.silent = true;
        break;
      case 'n':
        options.noServerCall = true;
        break;
      case 'i':
        options.install = true;
        if (arg.size() > 3) options.installLine = AnsiToOle(arg.substr(3));
        break;
      default:
        return false;
    }
  }
  return !options.module.empty() && (!options.noServerCall || options.install);
}

template <class Function>
Function Entry(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

int Call(HMODULE module, const Options& options, const char* name) {
  HRESULT result = E_FAIL;
  if (std::string_view(name) == "DllInstall") {
    const auto install = Entry<HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR)>(module, name);
    if (install == nullptr) return 4;
    result = install(options.unregister ? FALSE : TRUE,
                     options.installLine.empty() ? nullptr : options.installLine.c_str());
  } else {
    const auto server = Entry<HRESULT(STDAPICALLTYPE*)()>(module, name);
    if (server == nullptr) return 4;
    result = server();
  }
  if (FAILED(result)) {
    // The status as its 32 bits, never widened with its sign.
    std::fprintf(stderr, "korvane-regsvr: %s in %s failed: 0x%08X\n", name, options.module.c_str(),
                 static_cast<unsigned>(static_cast<uint32_t>(result)));
    return 5;
  }
  if (!options.silent) std::printf("%s in %s succeeded.\n", name, options.module.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!Parse(argc, argv, options)) {
    std::fprintf(stderr, "usage: korvane-regsvr [/u] [/s] [/n] [/i[:cmdline]] MODULE\n");
    return 1;
  }
  const HMODULE module = LoadLibraryA(options.module.c_str());
  if (module == nullptr) {
    std::fprintf(stderr, "korvane-regsvr: cannot load %s\n", options.module.c_str());
    return 3;
  }
  const char* server = options.unregister ? "DllUnregisterServer" : "DllRegisterServer";
  int status = 0;
  if (options.unregister && options.install) status = Call(module, options, "DllInstall");
  if (status == 0 && !options.noServerCall) status = Call(module, options, server);
  if (status == 0 && !options.unregister && options.install) {
    status = Call(module, options, "DllInstall");
  }
  FreeLibrary(module);
  return status;
}
