// Names and texts with every character that needs care in a stored form
// come back exactly when another process reads them and writes them back.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "child_process.h"
#include "platform/ole_string.h"
#include "platform/win32.h"

namespace {

using korvane::test::RunChild;

// An open key, closed on destruction. Copying would close it twice: deleted.
class Key {
 public:
  Key() = default;
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  ~Key() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

OleString Ole(std::u16string_view text) {
  return OleString(text.begin(), text.end());
}

// Texts that a stored form must escape: its own escape characters, quotes,
// controls, unpaired surrogates, an escape sequence written literally, and
// characters outside ASCII.
const OleString kSpecialTexts[] = {
    Ole(u"back\\slash"),         Ole(u"per%cent"),
    Ole(u"literal %5c and %25"), Ole(u"quo\"te"),
    Ole(u"tab\tnew\nline\rret"), Ole(u"ctl\x01\x1f\x7f"),
    Ole(u"lone\xD800"),          Ole(u"\xDC00lone"),
    Ole(u"pair\xD83D\xDE00"),    Ole(u"[bracket]=@"),
    Ole(u"\x00e9t\x00e9"),
};

struct Snapshot {
  std::set<OleString> subKeys;
  std::map<OleString, OleString> values;  // name -> REG_SZ text
  bool operator==(const Snapshot&) const = default;
};

Snapshot Read(HKEY key) {
  Snapshot snapshot;
  OLECHAR name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      break;
    }
    snapshot.subKeys.insert(OleString(name, length));
  }
  OLECHAR data[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256, size = sizeof(data);
    if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, reinterpret_cast<BYTE*>(data),
                      &size) != ERROR_SUCCESS) {
      break;
    }
    snapshot.values[OleString(name, length)] = OleString(data, size / sizeof(OLECHAR) - 1);
  }
  return snapshot;
}

TEST(RegistryNames, SpecialCharactersRoundTripThroughAnotherProcess) {
  const std::string name = "KorvaneTest_names_" + std::to_string(GetCurrentProcessId());
  const OleString path = OLESTR("Software\\") + AnsiToOle(name);
  RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
  Key from;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (path + OLESTR("\\From")).c_str(), 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, from.out(), nullptr),
            ERROR_SUCCESS);
  Snapshot written;
  for (const OleString& text : kSpecialTexts) {
    Key sub;
    const OleString keyName = text.find(OLESTR('\\')) == OleString::npos ? text : OLESTR("no");
    ASSERT_EQ(RegCreateKeyExW(from.get(), keyName.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              sub.out(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(from.get(), text.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>((text.size() + 1) * sizeof(OLECHAR))),
              ERROR_SUCCESS);
    written.subKeys.insert(keyName);
    written.values[text] = text;
  }
  ASSERT_EQ(Read(from.get()), written);

  ASSERT_EQ(RunChild("copy " + name), 0);
  Key to;
  ASSERT_EQ(
      RegOpenKeyExW(HKEY_CURRENT_USER, (path + OLESTR("\\To")).c_str(), 0, KEY_READ, to.out()),
      ERROR_SUCCESS);
  EXPECT_EQ(Read(to.get()), written);
  RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
}

}  // namespace
