// The registry: keys, values, sizes, enumeration, deletion, case and the
// merged HKEY_CLASSES_ROOT view.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ole_string.h"
#include "platform/scoped_hkey.h"
#include "platform/win32.h"
#include "wine_probe.h"

namespace {

using korvane::ScopedHkey;

// A key name unique to this process, so that runs do not meet.
OleString UniqueName(const char* stem) {
  return AnsiToOle(std::string("KorvaneTest_") + stem + "_" +
                   std::to_string(GetCurrentProcessId()));
}

// A test key tree below a root, deleted when the test ends.
class ScratchKey {
 public:
  ScratchKey(HKEY root, OleString path) : root_(root), path_(std::move(path)) {
    RegDeleteTreeW(root_, path_.c_str());
  }
  ScratchKey(const ScratchKey&) = delete;
  ScratchKey& operator=(const ScratchKey&) = delete;
  ~ScratchKey() { RegDeleteTreeW(root_, path_.c_str()); }
  const OLECHAR* path() const { return path_.c_str(); }
  OleString Sub(const OLECHAR* name) const { return path_ + OLESTR("\\") + name; }

 private:
  HKEY root_;
  OleString path_;
};

LONG SetString(HKEY key, const OLECHAR* name, const OLECHAR* text) {
  const OleString value(text);
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(OLECHAR)));
}

// The string value, or "(error n)".
OleString GetString(HKEY key, const OLECHAR* subKey, const OLECHAR* name) {
  ScopedHkey opened;
  LONG status = RegOpenKeyExW(key, subKey, 0, KEY_READ, opened.Receive());
  if (status != ERROR_SUCCESS) return AnsiToOle("(error " + std::to_string(status) + ")");
  OLECHAR buffer[256] = {};
  DWORD size = sizeof(buffer);
  DWORD type = 0;
  status =
      RegQueryValueExW(opened.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  if (status != ERROR_SUCCESS) return AnsiToOle("(error " + std::to_string(status) + ")");
  return OleString(buffer);
}

TEST(Registry, CreateSetAndQueryWithWindowsSizes) {
  ScratchKey scratch(HKEY_CURRENT_USER, OleString(OLESTR("Software\\")) + UniqueName("values"));
  ScopedHkey key;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, scratch.path(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, key.Receive(), &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  {
    ScopedHkey again;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, scratch.path(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, again.Receive(), &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  }

  ASSERT_EQ(SetString(key.Get(), OLESTR("ThreadingModel"), OLESTR("Both")), ERROR_SUCCESS);
  const DWORD number = 0x1234;
  ASSERT_EQ(RegSetValueExW(key.Get(), OLESTR("Count"), 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&number), sizeof(number)),
            ERROR_SUCCESS);

  // Size query: type and size, nothing copied.
  DWORD type = 0;
  DWORD size = 0;
  ASSERT_EQ(RegQueryValueExW(key.Get(), OLESTR("ThreadingModel"), nullptr, &type, nullptr, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 5 * sizeof(OLECHAR));

  // A small buffer: ERROR_MORE_DATA and the needed size.
  OLECHAR small[2];
  size = sizeof(small);
  EXPECT_EQ(RegQueryValueExW(key.Get(), OLESTR("ThreadingModel"), nullptr, nullptr,
                             reinterpret_cast<BYTE*>(small), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 5 * sizeof(OLECHAR));

  DWORD read = 0;
  size = sizeof(read);
  ASSERT_EQ(RegQueryValueExW(key.Get(), OLESTR("Count"), nullptr, &type,
                             reinterpret_cast<BYTE*>(&read), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(read, number);

  // Missing values and keys.
  size = sizeof(read);
  EXPECT_EQ(RegQueryValueExW(key.Get(), OLESTR("Missing"), nullptr, nullptr,
                             reinterpret_cast<BYTE*>(&read), &size),
            ERROR_FILE_NOT_FOUND);
  ScopedHkey missing;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, scratch.Sub(OLESTR("Missing")).c_str(), 0, KEY_READ,
                          missing.Receive()),
            ERROR_FILE_NOT_FOUND);
}

TEST(Registry, DefaultValueHasTwoNames) {
  ScratchKey scratch(HKEY_CURRENT_USER, OleString(OLESTR("Software\\")) + UniqueName("default"));
  ScopedHkey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, scratch.path(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, key.Receive(), nullptr),
            ERROR_SUCCESS);
  EXPECT_TRUE(GetString(key.Get(), nullptr, nullptr) ==
              AnsiToOle("(error " + std::to_string(ERROR_FILE_NOT_FOUND) + ")"))
      << "a new key has no default value";
  ASSERT_EQ(SetString(key.Get(), nullptr, OLESTR("Korvane Class")), ERROR_SUCCESS);
  EXPECT_TRUE(GetString(key.Get(), nullptr, OLESTR("")) == OLESTR("Korvane Class"));
}

TEST(Registry, NamesIgnoreCaseButKeepIt) {
  ScratchKey scratch(HKEY_CURRENT_USER, OleString(OLESTR("Software\\")) + UniqueName("case"));
  ScopedHkey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, scratch.Sub(OLESTR("InprocServer32")).c_str(), 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, key.Receive(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(SetString(key.Get(), OLESTR("ThreadingModel"), OLESTR("Both")), ERROR_SUCCESS);
  ASSERT_EQ(SetString(key.Get(), OLESTR("THREADINGMODEL"), OLESTR("Apartment")), ERROR_SUCCESS)
      << "the same value";

  ScopedHkey parent;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, scratch.path(), 0, KEY_READ, parent.Receive()),
            ERROR_SUCCESS);
  EXPECT_TRUE(GetString(parent.Get(), OLESTR("INPROCSERVER32"), OLESTR("threadingmodel")) ==
              OLESTR("Apartment"));
  OLECHAR name[64];
  DWORD length = 64;
  ASSERT_EQ(RegEnumKeyExW(parent.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_TRUE(OleString(name, length) == OLESTR("InprocServer32"));
  length = 64;
  DWORD values = 0;
  ASSERT_EQ(RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             &values, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(values, 1u);
  ASSERT_EQ(RegEnumValueW(key.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_TRUE(OleString(name, length) == OLESTR("ThreadingModel")) << "first spelling kept";
}

TEST(Registry, EnumerationOrderAndBufferSizes) {
  ScratchKey scratch(HKEY_CURRENT_USER, OleString(OLESTR("Software\\")) + UniqueName("enum"));
  ScopedHkey key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, scratch.path(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, key.Receive(), nullptr),
            ERROR_SUCCESS);
  for (const OLECHAR* sub : {OLESTR("beta"), OLESTR("Alpha"), OLESTR("gamma")}) {
    ScopedHkey child;
    ASSERT_EQ(RegCreateKeyExW(key.Get(), sub, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              child.Receive(), nullptr),
              ERROR_SUCCESS);
  }
  for (const OLECHAR* value : {OLESTR("Zulu"), OLESTR("Alpha"), OLESTR("Mike")}) {
    ASSERT_EQ(SetString(key.Get(), value, value), ERROR_SUCCESS);
  }

  std::vector<OleString> keys;
  OLECHAR name[64];
  DWORD length = 64;
  for (DWORD index = 0; RegEnumKeyExW(key.Get(), index, name, &length, nullptr, nullptr, nullptr,
                                      nullptr) == ERROR_SUCCESS;
       ++index, length = 64) {
    keys.emplace_back(name, length);
  }
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_TRUE(keys[0] == OLESTR("Alpha"));
  EXPECT_TRUE(keys[1] == OLESTR("beta"));
  EXPECT_TRUE(keys[2] == OLESTR("gamma"));
  length = 64;
  EXPECT_EQ(RegEnumKeyExW(key.Get(), 3, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
  length = 5;  // "Alpha" needs 6 with its terminator
  EXPECT_EQ(RegEnumKeyExW(key.Get(), 0, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_MORE_DATA);

  std::vector<OleString> values;
  length = 64;
  for (DWORD index = 0; RegEnumValueW(key.Get(), index, name, &length, nullptr, nullptr, nullptr,
                                      nullptr) == ERROR_SUCCESS;
       ++index, length = 64) {
    values.emplace_back(name, length);
  }
  EXPECT_EQ(values.size(), 3u);
  length = 64;
  EXPECT_EQ(RegEnumValueW(key.Get(), 3, name, &length, nullptr, nullptr, nullptr, nullptr),
            ERROR_NO_MORE_ITEMS);
  DWORD type = 0;
  DWORD size = 0;
  length = 64;
  ASSERT_EQ(RegEnumValueW(key.Get(), 0, name, &length, nullptr, &type, nullptr, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, (length + 1) * sizeof(OLECHAR)) << "each value holds its own name";
}

TEST(Registry, DeletingKeysValuesAndTrees) {
  ScratchKey scratch(HKEY_CURRENT_USER, OleString(OLESTR("Software\\")) + UniqueName("delete"));
  ScopedHkey leaf;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, scratch.Sub(OLESTR("CLSID\\{x}\\ProgID")).c_str(), 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, leaf.Receive(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(SetString(leaf.Get(), nullptr, OLESTR("Korvane.Korvane.1")), ERROR_SUCCESS);

  EXPECT_EQ(RegDeleteValueW(leaf.Get(), OLESTR("Missing")), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueW(leaf.Get(), nullptr), ERROR_SUCCESS);
  EXPECT_TRUE(GetString(leaf.Get(), nullptr, nullptr) ==
              AnsiToOle("(error " + std::to_string(ERROR_FILE_NOT_FOUND) + ")"));

  EXPECT_NE(RegDeleteKeyW(HKEY_CURRENT_USER, scratch.Sub(OLESTR("CLSID")).c_str()), ERROR_SUCCESS)
      << "a key with sub keys stays";
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, scratch.Sub(OLESTR("CLSID\\{x}\\ProgID")).c_str()),
            ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, scratch.Sub(OLESTR("CLSID\\{x}\\ProgID")).c_str()),
            ERROR_FILE_NOT_FOUND);

  // A tree goes with everything below it; a null sub key empties the key.
  ScopedHkey deep;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, scratch.Sub(OLESTR("CLSID\\{y}\\A\\B")).c_str(), 0,
                            nullptr, 0, KEY_ALL_ACCESS, nullptr, deep.Receive(), nullptr),
            ERROR_SUCCESS);
  ScopedHkey clsid;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, scratch.Sub(OLESTR("CLSID")).c_str(), 0,
                          KEY_ALL_ACCESS, clsid.Receive()),
            ERROR_SUCCESS);
  ASSERT_EQ(SetString(clsid.Get(), OLESTR("Kept"), OLESTR("no")), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteTreeW(clsid.Get(), OLESTR("{y}")), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteTreeW(clsid.Get(), OLESTR("{y}")), ERROR_FILE_NOT_FOUND);
  DWORD subKeys = 9;
  DWORD values = 9;
  ASSERT_EQ(RegQueryInfoKeyW(clsid.Get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                             &values, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subKeys, 1u) << "{x} is left";
  EXPECT_EQ(values, 1u);
  EXPECT_EQ(RegDeleteTreeW(clsid.Get(), nullptr), ERROR_SUCCESS);
  ASSERT_EQ(RegQueryInfoKeyW(clsid.Get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                             &values, nullptr, nullptr, nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subKeys, 0u);
  EXPECT_EQ(values, 0u);
}

TEST(Registry, ClassesRootShowsUserClassesOverMachineClasses) {
  if (korvane::test::RunningUnderWine()) {
    GTEST_SKIP() << "Wine's HKEY_CLASSES_ROOT shows the machine's classes only";
  }
  const OleString userOnly = UniqueName("user_class");
  const OleString both = UniqueName("both_class");
  const OleString classes = OLESTR("Software\\Classes\\");
  ScratchKey userOnlyKey(HKEY_CURRENT_USER, classes + userOnly);
  ScratchKey userBothKey(HKEY_CURRENT_USER, classes + both);
  ScratchKey machineBothKey(HKEY_LOCAL_MACHINE, classes + both);

  ScopedHkey user;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, userOnlyKey.path(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, user.Receive(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(SetString(user.Get(), nullptr, OLESTR("per user")), ERROR_SUCCESS);
  EXPECT_TRUE(GetString(HKEY_CLASSES_ROOT, userOnly.c_str(), nullptr) == OLESTR("per user"));

  ScopedHkey machineShadowed;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, machineBothKey.path(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, machineShadowed.Receive(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(SetString(machineShadowed.Get(), nullptr, OLESTR("machine")), ERROR_SUCCESS);
  EXPECT_TRUE(GetString(HKEY_CLASSES_ROOT, both.c_str(), nullptr) == OLESTR("machine"));

  ScopedHkey userShadowing;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, userBothKey.path(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, userShadowing.Receive(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(SetString(userShadowing.Get(), nullptr, OLESTR("user")), ERROR_SUCCESS);
  EXPECT_TRUE(GetString(HKEY_CLASSES_ROOT, both.c_str(), nullptr) == OLESTR("user"))
      << "the user's key comes first";
}

TEST(Registry, NewKeysUnderClassesRootGoToTheMachine) {
  const OleString name = UniqueName("new_class");
  ScratchKey machine(HKEY_LOCAL_MACHINE, OleString(OLESTR("Software\\Classes\\")) + name);
  ScopedHkey created;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            created.Receive(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(SetString(created.Get(), nullptr, OLESTR("written through HKCR")), ERROR_SUCCESS);
  EXPECT_TRUE(GetString(HKEY_LOCAL_MACHINE, machine.path(), nullptr) ==
              OLESTR("written through HKCR"));
  ScopedHkey user;
  EXPECT_EQ(
      RegOpenKeyExW(HKEY_CURRENT_USER, (OleString(OLESTR("Software\\Classes\\")) + name).c_str(), 0,
                    KEY_READ, user.Receive()),
      ERROR_FILE_NOT_FOUND);
}

}  // namespace
