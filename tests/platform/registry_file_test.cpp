// The Linux registry file: what is written comes back exactly, a file that
// cannot be read or understood is an error that leaves it as it is, a failed
// save changes nothing, and writers leave no temporary files behind.
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/posix/detail/registry_format.h"
#include "platform/posix/detail/registry_store.h"
#include "platform/posix/winerror.h"
#include "platform/posix/winreg.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using korvane::platform::KeyPath;
using korvane::platform::RegistryKey;
using korvane::platform::RegistryStore;
using korvane::platform::RegistryTree;

// A folder of its own holding the registry file, removed with everything in it.
class Folder {
 public:
  ~Folder() { ::chmod(path().c_str(), 0700); }  // a test may have closed it
  std::string path() const { return temp_.fsPath().string(); }
  std::string File() const { return path() + "/registry"; }
  std::string Text() const {
    std::ifstream file(File(), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
  }
  void Write(const std::string& text) const { temp_.Write("registry", text); }
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(path())) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

 private:
  korvane::testing::TempFolder temp_;
};

LONG SetValue(RegistryStore& store, const KeyPath& path, const std::u16string& name) {
  return store.Write([&](RegistryTree& tree, bool* modified) {
    bool created = false;
    korvane::platform::CreateKey(tree.user, path, &created)
        ->SetValue(name, REG_DWORD, {1, 0, 0, 0});
    *modified = true;
    return ERROR_SUCCESS;
  });
}

// ERROR_SUCCESS when the value is there, ERROR_FILE_NOT_FOUND when not, or the
// store's error.
LONG FindValue(RegistryStore& store, const KeyPath& path, const std::u16string& name) {
  return store.Read([&](const RegistryTree& tree) {
    const RegistryKey* key = korvane::platform::FindKey(tree.user, path);
    return key != nullptr && key->FindValue(name) != nullptr ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
}

// Runs job in a child process, there without the rights of root when asked
// (as "nobody" when the tests run as root, so that file modes bind); returns
// its exit code.
int RunInChild(const std::function<int()>& job, bool unprivileged = false) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (unprivileged && ::geteuid() == 0) {
      const passwd* nobody = ::getpwnam("nobody");
      if (nobody == nullptr || ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0) {
        ::_exit(99);
      }
    }
    ::_exit(job());
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

const KeyPath kKey = {u"Software", u"Korvane"};

// Names that need every kind of escape: the file's own escape characters, an
// escape written literally, quotes, controls, unpaired surrogates and
// characters beyond ASCII.
const std::u16string kSpecialNames[] = {u"a\\b %5c %", u"quote\" tab\t nl\n del\x7f \x01",
                                        u"lone\xD800 \xDC00 pair\xD83D\xDE00 \x00e9"};

std::vector<BYTE> StringData(const std::u16string& text) {
  std::vector<BYTE> data;
  for (const char16_t unit : text + u'\0') {
    data.push_back(static_cast<BYTE>(unit & 0xFF));
    data.push_back(static_cast<BYTE>(unit >> 8));
  }
  return data;
}

// A file with a key per special name below Software, holding a value of that
// name whose text is the name.
std::string SampleFile() {
  RegistryTree tree;
  bool created = false;
  for (const std::u16string& name : kSpecialNames) {
    RegistryKey* key = korvane::platform::CreateKey(tree.user, {u"Software", name}, &created);
    key->SetValue(name, REG_SZ, StringData(name));
    key->SetValue(u"", REG_EXPAND_SZ, StringData(name));
  }
  return korvane::platform::SerializeRegistry(tree);
}

TEST(RegistryFile, EveryNameAndTextComesBackExactlyThroughAnotherProcess) {
  Folder folder;
  folder.Write(SampleFile());
  EXPECT_EQ(folder.Text().find('\t'), std::string::npos) << "controls are escaped";
  EXPECT_EQ(folder.Text().find("\xED\xA0"), std::string::npos) << "surrogates are escaped";
  // The other process copies what it reads below Software to Copy.
  ASSERT_EQ(RunInChild([&] {
              RegistryStore store(folder.File());
              return static_cast<int>(store.Write([](RegistryTree& tree, bool* modified) {
                bool created = false;
                for (const RegistryKey* from :
                     korvane::platform::FindKey(tree.user, {u"Software"})->SubKeys()) {
                  RegistryKey* to =
                      korvane::platform::CreateKey(tree.user, {u"Copy", from->name()}, &created);
                  for (const auto& value : from->values())
                    to->SetValue(value.name, value.type, value.data);
                }
                *modified = true;
                return ERROR_SUCCESS;
              }));
            }),
            ERROR_SUCCESS);
  RegistryStore store(folder.File());
  ASSERT_EQ(store.Read([](const RegistryTree& tree) {
    for (const std::u16string& name : kSpecialNames) {
      const RegistryKey* key = korvane::platform::FindKey(tree.user, {u"Copy", name});
      const auto* value = key != nullptr ? key->FindValue(name) : nullptr;
      EXPECT_TRUE(value != nullptr && key->name() == name && value->name == name &&
                  value->data == StringData(name) && key->FindValue(u"")->type == REG_EXPAND_SZ);
    }
    return ERROR_SUCCESS;
  }),
            ERROR_SUCCESS);
}

// Each broken file is the sample with one line spoiled or added: reading and
// writing both fail with ERROR_BADDB and leave the file as it was.
TEST(RegistryFile, AFileThatCannotBeReadExactlyIsAnErrorNeverEmpty) {
  // The header of a key `levels` deep.
  const auto deep = [](std::size_t levels) {
    std::string header = "[HKEY_CURRENT_USER";
    for (std::size_t i = 0; i < levels; ++i) header += "\\k";
    return header + "]\n";
  };
  // The headers of every key down to `levels` deep, each after its parent, as a writer lists them.
  const auto stepwise = [&deep](std::size_t levels) {
    std::string headers;
    for (std::size_t i = 1; i <= levels; ++i) headers += deep(i);
    return headers;
  };
  const std::string sample = SampleFile();
  const std::string longKey(korvane::platform::kMaxKeyNameLength, 'k');
  const std::string longValue(korvane::platform::kMaxValueNameLength, 'v');
  struct Case {
    std::string text;
    bool readable;
  } cases[] = {
      {sample, true},
      {"KORVANE REGISTRY 2\n", false},
      {sample.substr(sample.find('\n') + 1), false},
      {sample + "[HKEY_CURRENT_USER\\Software\\Cut\n@=dword:1\n", false},
      {sample + "[HKEY_CURRENT_USER\\Software\\X]\n\"a\"=\"b\"\nsomething new\n", false},
      {sample + "[HKEY_USERS\\X]\n", false},
      {sample + "[HKEY_CURRENT_USER\\\\X]\n", false},
      {sample + "[HKEY_CURRENT_USER\\%zz]\n", false},
      {sample + "[HKEY_CURRENT_USER\\Software\\X]\n\"a\"=dword:1\n\"A\"=dword:2\n", false},
      {sample + "[HKEY_CURRENT_USER\\Software\\X]\n\"a\"=dword:100000000\n", false},
      {sample + "[HKEY_CURRENT_USER\\Software\\X]\n\"a\"=hex(3):01;02\n", false},
      {sample + "[HKEY_CURRENT_USER\\Software\\X]\n\"a\"=\"\\q\"\n", false},
      {sample + "[HKEY_CURRENT_USER\\Software\\X]\n\"\\xc0\\x80\"=dword:1\n", false},
      {sample + deep(korvane::platform::kMaxKeyDepth), true},
      {sample + deep(korvane::platform::kMaxKeyDepth + 1), false},
      {sample + deep(200000), false},
      {sample + stepwise(korvane::platform::kMaxKeyDepth), true},
      {sample + stepwise(korvane::platform::kMaxKeyDepth + 1), false},
      {sample + "[HKEY_CURRENT_USER\\" + longKey + "]\n", true},
      {sample + "[HKEY_CURRENT_USER\\" + longKey + "k]\n", false},
      {sample + "[HKEY_CURRENT_USER]\n\"" + longValue + "\"=dword:1\n", true},
      {sample + "[HKEY_CURRENT_USER]\n\"" + longValue + "v\"=dword:1\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(c.text.rfind('[') == std::string::npos ? 0 : c.text.rfind('['), 80));
    Folder folder;
    folder.Write(c.text);
    RegistryStore store(folder.File());
    const LONG expected = c.readable ? ERROR_SUCCESS : ERROR_BADDB;
    EXPECT_EQ(store.Read([](const RegistryTree&) { return ERROR_SUCCESS; }), expected);
    EXPECT_EQ(SetValue(store, kKey, u"New"), expected);
    if (!c.readable) {
      EXPECT_EQ(folder.Text(), c.text);
    }
  }
}

TEST(RegistryFile, DeepTreesAreFreedWithoutRecursion) {
  EXPECT_EXIT(
      {
        auto root = std::make_unique<RegistryKey>(u"root");
        RegistryKey* key = root.get();
        bool created = false;
        for (int i = 0; i < 200000; ++i) key = key->FindOrCreateSubKey(u"k", &created);
        root.reset();  // a recursive destructor overflows the stack here
        std::exit(0);
      },
      testing::ExitedWithCode(0), "");
}

TEST(RegistryFile, AnUnreadableFileIsAnErrorAndStaysUntouched) {
  Folder folder;
  RegistryStore owner(folder.File());
  ASSERT_EQ(SetValue(owner, kKey, u"Old"), ERROR_SUCCESS);
  const std::string before = folder.Text();
  ::chmod(folder.path().c_str(), 0777);
  ::chmod((folder.File() + ".lock").c_str(), 0666);
  ::chmod(folder.File().c_str(), 0);
  const int code = RunInChild(
      [&] {
        RegistryStore store(folder.File());
        const bool refused = FindValue(store, kKey, u"Old") == ERROR_ACCESS_DENIED &&
                             SetValue(store, kKey, u"New") == ERROR_ACCESS_DENIED;
        return refused ? 0 : 1;
      },
      true);
  EXPECT_EQ(code, 0);
  ::chmod(folder.File().c_str(), 0644);
  EXPECT_EQ(folder.Text(), before);
}

TEST(RegistryFile, AFailedSaveChangesNeitherTheFileNorTheView) {
  Folder folder;
  RegistryStore owner(folder.File());
  ASSERT_EQ(SetValue(owner, kKey, u"Old"), ERROR_SUCCESS);
  const std::string before = folder.Text();
  ::chmod(folder.path().c_str(), 0555);  // no new files: the save cannot make its own
  ::chmod((folder.File() + ".lock").c_str(), 0666);
  ::chmod(folder.File().c_str(), 0666);
  const int code = RunInChild(
      [&] {
        RegistryStore store(folder.File());
        if (SetValue(store, kKey, u"New") != ERROR_ACCESS_DENIED) return 1;
        if (FindValue(store, kKey, u"New") != ERROR_FILE_NOT_FOUND) return 2;
        return FindValue(store, kKey, u"Old") == ERROR_SUCCESS ? 0 : 3;
      },
      true);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(folder.Text(), before);
  EXPECT_EQ(folder.Names(), (std::set<std::string>{"registry", "registry.lock"}));
}

TEST(RegistryFile, WritersRemoveTemporariesOfWritersThatDied) {
  Folder folder;
  folder.Write("");
  std::ofstream(folder.File() + ".tmp") << "half";
  std::ofstream(folder.File() + ".tmp.4242") << "half";
  RegistryStore store(folder.File());
  ASSERT_EQ(SetValue(store, kKey, u"New"), ERROR_SUCCESS);
  EXPECT_EQ(folder.Names(), (std::set<std::string>{"registry", "registry.lock"}));
  EXPECT_EQ(FindValue(store, kKey, u"New"), ERROR_SUCCESS);
}

TEST(RegistryFile, AWriterGivesUpOnAHeldLockWithATimeout) {
  Folder folder;
  RegistryStore store(folder.File());
  ASSERT_EQ(SetValue(store, kKey, u"Old"), ERROR_SUCCESS);
  const std::string before = folder.Text();
  const int holder = ::open((folder.File() + ".lock").c_str(), O_RDWR);
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);
  ::setenv("KORVANE_REGISTRY_LOCK_TIMEOUT_MS", "0", 1);
  EXPECT_EQ(SetValue(store, kKey, u"New"), ERROR_TIMEOUT);
  ::close(holder);
  EXPECT_EQ(folder.Text(), before);
  EXPECT_EQ(SetValue(store, kKey, u"New"), ERROR_SUCCESS);
  ::unsetenv("KORVANE_REGISTRY_LOCK_TIMEOUT_MS");
}

}  // namespace
