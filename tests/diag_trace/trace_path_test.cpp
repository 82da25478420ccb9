// Where the trace file goes and which stylesheet it names.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <regex>
#include <string>

#include "diag/trace_log.h"
#include "tests/diag_trace/trace_test_support.h"
#include "tests/diag_trace/xml_checker.h"

namespace korvane {
namespace {

using testing::Narrow;
using testing::Wide;

std::string Stamp(const SYSTEMTIME& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d_%02d-%02d-%02d", t.wYear, t.wMonth, t.wDay,
                t.wHour, t.wMinute, t.wSecond);
  return text;
}

size_t FilesIn(const OleString& folder) {
  size_t n = 0;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(folder))) {
    n += entry.is_regular_file() ? 1 : 0;
  }
  return n;
}

TEST(TracePath, ATraceNameGetsXmlUnlessItEndsWithItAndTheCurrentDirectory) {
  testing::TempFolder folder;
  testing::CurrentDirectory here(folder.path());
  const struct {
    const char* name;
    const char* file;
  } cases[] = {
      {"run1", "run1.xml"},           {"run5.XML", "run5.XML"},   {"run2.Xml", "run2.Xml"},
      {"run3.xmlx", "run3.xmlx.xml"}, {"run4.xm", "run4.xm.xml"},
  };
  for (const auto& c : cases) {
    CTraceLog log;
    log.SetFileName(Wide(c.name));
    ASSERT_EQ(log.Start(), S_OK) << c.name;
    EXPECT_EQ(log.filePath(), folder.File(c.file)) << c.name;
    EXPECT_TRUE(testing::FileExists(folder.File(c.file))) << c.name;
  }
  EXPECT_EQ(FilesIn(folder.path()), std::size(cases));
}

TEST(TracePath, WithoutANameTheFileIsNamedAfterThePrefixAndTheStartTime) {
  testing::TempFolder folder;
  testing::CurrentDirectory here(folder.path());
  CTraceLog log;
  log.SetStartRequest(true);
  SYSTEMTIME before, after;
  GetLocalTime(&before);
  ASSERT_EQ(log.ConfigureTrace(Wide("Korvane")), S_OK);
  GetLocalTime(&after);
  EXPECT_TRUE(log.IsEnabled());
  EXPECT_EQ(log.namePrefix(), Wide("Korvane"));

  const std::string name = Narrow(testing::FileNamePart(log.filePath()));
  EXPECT_TRUE(
      std::regex_match(name, std::regex(R"(Korvane_\d{4}-\d{2}-\d{2}_\d{2}-\d{2}-\d{2}\.xml)")))
      << name;
  const std::string stamp = name.substr(8, 19);
  EXPECT_TRUE(stamp == Stamp(before) || stamp == Stamp(after)) << stamp;
  EXPECT_EQ(testing::FolderPart(log.filePath()), folder.path());
  // Switching on again keeps the one file.
  EXPECT_EQ(log.SetEnabled(true), S_OK);
  EXPECT_EQ(FilesIn(folder.path()), 1u);
  // Later sessions of the same second number their names: _2, _3.
  std::map<std::string, int> sessionsOfStamp{{stamp, 1}};
  CTraceLog later[2];
  for (CTraceLog& session : later) {
    ASSERT_EQ(session.ConfigureTrace(Wide("Korvane")), S_OK);
    ASSERT_EQ(session.SetEnabled(true), S_OK);
    const std::string laterName = Narrow(testing::FileNamePart(session.filePath()));
    const int n = ++sessionsOfStamp[laterName.substr(8, 19)];
    EXPECT_EQ(laterName.substr(27), n > 1 ? "_" + std::to_string(n) + ".xml" : ".xml");
  }
  EXPECT_EQ(FilesIn(folder.path()), 3u);
}

TEST(TracePath, ConfigureTraceStartsOnlyOnRequest) {
  testing::TempFolder folder;
  testing::CurrentDirectory here(folder.path());
  CTraceLog log;
  EXPECT_EQ(log.ConfigureTrace(Wide("Korvane")), S_OK);
  EXPECT_EQ(log.state(), TraceState::kStopped);
  EXPECT_EQ(FilesIn(folder.path()), 0u);
}

TEST(TracePath, APathLongerThanMaxPathIsRefused) {
  CTraceLog log;
  log.SetFileName(Wide(std::string(300, 'n').c_str()));
  EXPECT_EQ(log.Start(), HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE));
  EXPECT_EQ(log.state(), TraceState::kStopped);
}

// Points HKLM\SOFTWARE\IVI IviStandardRootDir at a folder for one test and
// puts back what was there before. (The Linux build's test runs with a
// registry file of its own; the Windows tests share the Wine prefix's.)
class IviRootDirectory {
 public:
  explicit IviRootDirectory(const OleString& folder) {
    DWORD disposition = 0;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                        &disposition) != ERROR_SUCCESS) {
      throw std::runtime_error("cannot create the IVI key");
    }
    createdKey_ = disposition == REG_CREATED_NEW_KEY;
    OLECHAR previous[MAX_PATH] = {};
    DWORD bytes = sizeof previous;
    hadValue_ = RegQueryValueExW(key_, kValue, nullptr, nullptr, reinterpret_cast<BYTE*>(previous),
                                 &bytes) == ERROR_SUCCESS;
    if (hadValue_) previous_ = previous;
    Set(folder);
  }
  ~IviRootDirectory() {
    if (hadValue_) {
      Set(previous_);
    } else {
      RegDeleteValueW(key_, kValue);
    }
    RegCloseKey(key_);
    if (createdKey_) RegDeleteKeyW(HKEY_LOCAL_MACHINE, kKey);
  }
  IviRootDirectory(const IviRootDirectory&) = delete;  // would restore twice
  IviRootDirectory& operator=(const IviRootDirectory&) = delete;

 private:
  static constexpr const OLECHAR* kKey = OLESTR("SOFTWARE\\IVI");
  static constexpr const OLECHAR* kValue = OLESTR("IviStandardRootDir");

  void Set(const OleString& folder) {
    RegSetValueExW(key_, kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>((folder.size() + 1) * sizeof(OLECHAR)));
  }

  HKEY key_ = nullptr;
  bool createdKey_ = false;
  bool hadValue_ = false;
  OleString previous_;
};

void MakeFile(const OleString& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << Narrow(path);
  CloseHandle(file);
}

TEST(TracePath, TheStylesheetLineNamesAnExistingStylesheet) {
  testing::TempFolder root;
  const OleString components = root.File("Components");
  const OleString ours = root.File("Components/Vantrel Technologies");
  const OleString shared = root.File("Components/Feldane Softworks");
  const OleString elsewhere = root.File("own.xsl");
  const struct {
    const char* setup;  // o: our folder, s: shared folder; files are created below
    const char* transform;
    const char* files;
    const char* expected;  // relative to root; "" for no line
  } cases[] = {
      {"", "", "", ""},
      {"s", "", "Components/Feldane Softworks/trace.xslt",
       "Components/Feldane Softworks/trace.xslt"},
      {"os", "", "Components/Feldane Softworks/trace.xslt", ""},
      {"os", "", "Components/Vantrel Technologies/trace.xslt",
       "Components/Vantrel Technologies/trace.xslt"},
      {"o", "chassis", "Components/Vantrel Technologies/chassis.xslt",
       "Components/Vantrel Technologies/chassis.xslt"},
      {"o", "chassis.XSLT", "Components/Vantrel Technologies/chassis.XSLT",
       "Components/Vantrel Technologies/chassis.XSLT"},
      {"", "*", "own.xsl", "own.xsl"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.setup) + " " + c.transform + " " + c.files);
    testing::TempFolder folder;
    IviRootDirectory registered(root.path());
    std::filesystem::remove_all(std::filesystem::path(components));
    CreateDirectoryW(components.c_str(), nullptr);
    if (std::string(c.setup).find('o') != std::string::npos)
      CreateDirectoryW(ours.c_str(), nullptr);
    if (std::string(c.setup).find('s') != std::string::npos)
      CreateDirectoryW(shared.c_str(), nullptr);
    if (*c.files != '\0') MakeFile(root.File(c.files));

    CTraceLog log;
    log.SetFileName(folder.File("calls"));
    log.SetStylesheet(std::string(c.transform) == "*" ? elsewhere : Wide(c.transform));
    ASSERT_EQ(log.Start(), S_OK);
    log.CloseFile();
    const std::string text = testing::ReadWholeFile(folder.File("calls.xml"));
    const std::string line = *c.expected == '\0'
                                 ? ""
                                 : "<?xml-stylesheet type=\"text/xsl\" href=\"file:\\\\" +
                                       Narrow(root.File(c.expected)) + "\"?>\r\n";
    EXPECT_EQ(text, "<?xml version=\"1.0\"?>\r\n" + line + "<TraceRecords/>\r\n");
  }
}

// A stylesheet path holding what would end the processing instruction or its
// href is escaped; systems whose file names cannot hold those characters
// skip the test.
TEST(TracePath, TheStylesheetPathIsEscaped) {
  testing::TempFolder folder;
  const OleString stylesheet = folder.File("a?>b\"&.xsl");
  HANDLE file = CreateFileW(stylesheet.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) GTEST_SKIP() << "no such file name on this system";
  CloseHandle(file);
  CTraceLog log;
  log.SetFileName(folder.File("calls"));
  log.SetStylesheet(stylesheet);
  ASSERT_EQ(log.Start(), S_OK);
  log.CloseFile();
  const auto doc = testing::ParseXml(testing::ReadWholeFile(folder.File("calls.xml")));
  ASSERT_EQ(doc.processingInstructions.size(), 1u);
  EXPECT_EQ(doc.processingInstructions[0], "xml-stylesheet type=\"text/xsl\" href=\"file:\\\\" +
                                               Narrow(folder.File("a?&gt;b&quot;&amp;.xsl")) +
                                               "\"");
  EXPECT_EQ(doc.root.name, "TraceRecords");
}

}  // namespace
}  // namespace korvane
