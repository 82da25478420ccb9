#pragma once
// The module's registration as rows of the Windows Installer's Registry table, in WiX source:
// the keys and values that the module's registry scripts write, read from the scripts' own text,
// and those that registering its type library writes. The installer then writes and removes
// exactly what DllRegisterServer and DllUnregisterServer do.

#include <string>
#include <string_view>
#include <vector>

namespace korvane::typelib {

// A registry value below HKEY_CLASSES_ROOT; an empty name is the key's default value.
struct RegistryRow {
  std::string key;
  std::string name;
  std::string value;
};

// The values a registry script writes (the form of the module's REGISTRY resources: nested
// keys, `= s 'text'` default values, `val Name = s 'text'` named ones, NoRemove and ForceRemove
// marks), with its variables replaced by `variables` (name without the percent signs, then the
// text). Throws std::runtime_error naming what it cannot read.
std::vector<RegistryRow> ScriptRows(
    std::string_view script, const std::vector<std::pair<std::string, std::string>>& variables);

// What registering a type library writes: its version key with its help string, the path for
// its locale and platform, flags and help folder, and each automation interface's key.
struct TypeLibraryRows {
  std::string libraryId;  // in braces
  std::string version;    // "0.1"
  std::string lcidHex;    // "409"
  std::string help;
  std::string path;
  std::string helpDirectory;
  std::vector<std::pair<std::string, std::string>> interfaces;  // id in braces, name
};
std::vector<RegistryRow> TypeLibraryRegistration(const TypeLibraryRows& library);

// The rows as a WiX include of RegistryValue elements below HKCR.
std::string WixInclude(const std::vector<RegistryRow>& rows);

}  // namespace korvane::typelib
