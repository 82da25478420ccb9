// Registration of the real module with the system's registration command:
// the keys each class script writes, creation by ProgID from another
// process, what unregistration removes and leaves, per-user registration,
// a module name the scripts must quote, and a registration that fails after
// its scripts ran.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "com/identifiers.h"
#include "tests/com/com_module.h"

namespace korvane::test {
namespace {

OleString Lower(const char* text) {
  OleString lower = AnsiToOle(text);
  for (OLECHAR& c : lower) {
    if (c >= OLECHAR('A') && c <= OLECHAR('Z')) c = static_cast<OLECHAR>(c - 'A' + 'a');
  }
  return lower;
}

struct ClassKeys {
  const char* clsid;
  const char* progId;  // version-independent
  const char* description;
};

// The four classes: each script writes the same pattern of keys.
constexpr ClassKeys kClasses[] = {
    {kClsidKorvaneText, "Korvane.Korvane", "Korvane Class"},
    {kClsidTemperatureSensorText, "Korvane.TemperatureSensor", "KorvaneTemperatureSensor Class"},
    {kClsidFanText, "Korvane.Fan", "KorvaneFan Class"},
    {kClsidVoltageRailText, "Korvane.VoltageRail", "KorvaneVoltageRail Class"},
};

OleString ClassKey(const ClassKeys& keys) {
  return OLESTR("CLSID\\") + Lower(keys.clsid);
}

// Checks the keys of every class and of the application below root.
void ExpectRegisteredBelow(HKEY root) {
  const OleString appId = Lower(kAppidKorvaneText);
  for (const ClassKeys& keys : kClasses) {
    SCOPED_TRACE(keys.progId);
    const OleString progId = AnsiToOle(keys.progId);
    const OleString versioned = progId + OLESTR(".1");
    const OleString clsid = ClassKey(keys);
    const OleString description = AnsiToOle(keys.description);
    EXPECT_EQ(TextValue(root, versioned), description);
    EXPECT_EQ(TextValue(root, versioned + OLESTR("\\CLSID")), Lower(keys.clsid));
    EXPECT_EQ(TextValue(root, progId), description);
    EXPECT_EQ(TextValue(root, progId + OLESTR("\\CLSID")), Lower(keys.clsid));
    EXPECT_EQ(TextValue(root, progId + OLESTR("\\CurVer")), versioned);
    EXPECT_EQ(TextValue(root, clsid), description);
    EXPECT_EQ(TextValue(root, clsid + OLESTR("\\ProgID")), versioned);
    EXPECT_EQ(TextValue(root, clsid + OLESTR("\\VersionIndependentProgID")), progId);
    EXPECT_EQ(TextValue(root, clsid + OLESTR("\\InprocServer32")),
              BesideProgram(KORVANE_DRIVER_FILE));
    EXPECT_EQ(TextValue(root, clsid + OLESTR("\\InprocServer32"), OLESTR("ThreadingModel")),
              OLESTR("Both"));
    EXPECT_EQ(TextValue(root, clsid, OLESTR("AppID")), appId);
    EXPECT_EQ(TextValue(root, clsid + OLESTR("\\TypeLib")), Lower(kLibidKorvaneText));
  }
  EXPECT_EQ(TextValue(root, OLESTR("AppID\\") + appId), OLESTR("KorvaneLib"));
  EXPECT_EQ(TextValue(root, OLESTR("AppID\\Korvane.dll"), OLESTR("AppID")), appId);
}

// Checks that nothing of the module is left below root, but the parents.
void ExpectUnregisteredBelow(HKEY root) {
  for (const ClassKeys& keys : kClasses) {
    SCOPED_TRACE(keys.progId);
    EXPECT_FALSE(KeyExists(root, AnsiToOle(keys.progId)));
    EXPECT_FALSE(KeyExists(root, AnsiToOle(keys.progId) + OLESTR(".1")));
    EXPECT_FALSE(KeyExists(root, ClassKey(keys)));
  }
  EXPECT_FALSE(KeyExists(root, OLESTR("AppID\\") + Lower(kAppidKorvaneText)));
  EXPECT_FALSE(KeyExists(root, OLESTR("AppID\\Korvane.dll")));
  EXPECT_FALSE(KeyExists(root, OLESTR("TypeLib\\") + Lower(kLibidKorvaneText)));
}

TEST(Registration, WritesEveryClassAndTheApplicationAndServesAnotherProcess) {
  ExpectRegisteredBelow(HKEY_CLASSES_ROOT);
  EXPECT_EQ(RunProgram(KORVANE_CLIENT_FILE), 0);
  // An item class is registered, yet has no class object.
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  void* fan = nullptr;
  EXPECT_EQ(CoCreateInstance(kClsidFan, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &fan),
            CLASS_E_CLASSNOTAVAILABLE);
  CoUninitialize();
}

TEST(Registration, UnregistrationRemovesWhatItWroteAndKeepsTheParents) {
  ASSERT_TRUE(Register("/u"));
  ExpectUnregisteredBelow(HKEY_CLASSES_ROOT);
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, OLESTR("AppID")));
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, OLESTR("CLSID")));
  EXPECT_NE(RunProgram(KORVANE_CLIENT_FILE), 0);
  ASSERT_TRUE(Register());
}

// Per-user registration writes below the user's classes only: the machine's
// keys list the same before and after (on Linux; under Wine the per-user type
// library call registers machine-wide, see INSTALL.txt).
TEST(Registration, PerUserInstallWritesOnlyTheUsersClasses) {
  ASSERT_TRUE(Register("/u"));
  HKEY user = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, OLESTR("Software\\Classes"), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &user, nullptr),
            ERROR_SUCCESS);
#ifndef _WIN32
  const std::string machine = Listing(HKEY_LOCAL_MACHINE);
#endif
  ASSERT_TRUE(Register("/n /i:USER"));
  ExpectRegisteredBelow(user);
#ifndef _WIN32
  EXPECT_TRUE(KeyExists(user, OLESTR("TypeLib\\") + Lower(kLibidKorvaneText)));
  EXPECT_EQ(Listing(HKEY_LOCAL_MACHINE), machine);
#endif
  EXPECT_FALSE(
      KeyExists(HKEY_LOCAL_MACHINE, OLESTR("Software\\Classes\\") + ClassKey(kClasses[0])));
  ASSERT_TRUE(Register("/u /n /i:user"));
  ExpectUnregisteredBelow(user);
  RegCloseKey(user);
  ASSERT_TRUE(Register());
}

#ifdef _WIN32
constexpr char kQuotedCopy[] = "Korvane'{=};.dll";
constexpr char kDamagedCopy[] = "KorvaneDamaged.dll";
#else
constexpr char kQuotedCopy[] = "libKorvane'{=};.so";
constexpr char kDamagedCopy[] = "libKorvaneDamaged.so";
#endif

// A module whose file name holds the registry scripts' quote and braces is
// registered under exactly that name.
TEST(Registration, ModuleNameWithScriptCharactersIsWrittenExactly) {
  CopyDriverModule(kQuotedCopy, false);
  ASSERT_TRUE(RunRegistration("", kQuotedCopy));
  const OleString server = ClassKey(kClasses[0]) + OLESTR("\\InprocServer32");
  EXPECT_EQ(TextValue(HKEY_CLASSES_ROOT, server), BesideProgram(kQuotedCopy));
  EXPECT_TRUE(RunRegistration("/u", kQuotedCopy));
  std::remove(OleToAnsi(BesideProgram(kQuotedCopy)).c_str());
  ASSERT_TRUE(Register());
}

// A module whose type library cannot be read fails registration after its
// scripts wrote their keys: the install removes them all again, and a later
// unregistration runs to the end though the library was never registered.
TEST(Registration, FailedInstallLeavesNothingBehind) {
  ASSERT_TRUE(Register("/u"));
  CopyDriverModule(kDamagedCopy, true);
  std::string errors;
  EXPECT_FALSE(RunRegistration("/n /i", kDamagedCopy, &errors));
  ExpectUnregisteredBelow(HKEY_CLASSES_ROOT);
#ifndef _WIN32
  // The status as 32 bits: TYPE_E_CANTLOADLIBRARY.
  EXPECT_NE(errors.find("DllInstall in " + OleToAnsi(BesideProgram(kDamagedCopy)) +
                        " failed: 0x80029C4A\n"),
            std::string::npos)
      << errors;
#endif
  EXPECT_FALSE(RunRegistration("", kDamagedCopy));  // no clean-up: the scripts' keys stay
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, OLESTR("AppID\\Korvane.dll")));
  // The library that was never registered cannot be removed; that does not
  // count against unregistration, whose result is the application script's.
  EXPECT_TRUE(RunRegistration("/u", kDamagedCopy));
  ExpectUnregisteredBelow(HKEY_CLASSES_ROOT);
  std::remove(OleToAnsi(BesideProgram(kDamagedCopy)).c_str());
  ASSERT_TRUE(Register());
}

}  // namespace
}  // namespace korvane::test
