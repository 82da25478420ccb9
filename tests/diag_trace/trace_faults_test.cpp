// Faults of the file system under a trace: the log stops cleanly, says why,
// and its file stays text that the recipe for a cut trace completes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "diag/trace_log.h"
#include "platform/scoped_bstr.h"
#include "tests/diag_trace/trace_test_support.h"
#include "tests/diag_trace/xml_checker.h"
#include "tests/platform/child_process.h"
#include "tests/support/small_file_system.h"

namespace korvane {
namespace {

using testing::Narrow;

// Traces calls with a long input until the log stops (at most `limit`).
int TraceUntilStopped(CTraceLog& log, int limit) {
  const OleString text(1500, OLECHAR('v'));
  const ScopedBstr value(text.c_str(), UINT(text.size()));
  int calls = 0;
  while (log.IsEnabled() && calls < limit) {
    EXPECT_EQ(testing::TraceCall(log, "IKorvaneFan", "put_Name", S_FALSE,
                                 {TraceParam::In("val", value.Get())}),
              S_FALSE);
    ++calls;
  }
  return calls;
}

// The file a stopped log left: text only, every record in it whole or (the
// call that met the fault) its start, completed by the recipe into XML.
size_t WholeRecordsIn(const OleString& path) {
  const testing::XmlDocument doc =
      testing::ParseXml(testing::CompleteCutTrace(testing::ReadTraceText(path)));
  size_t whole = 0;
  for (const testing::XmlElement* m : doc.root.Children("Method")) {
    if (!m->Children("Execution").empty()) ++whole;
  }
  return whole;
}

// The log stops with `status` and a reason that names the file and says
// `reason`.
void ExpectStopped(const CTraceLog& log, const OleString& path, HRESULT status,
                   const OLECHAR* reason) {
  EXPECT_FALSE(log.IsEnabled());
  EXPECT_EQ(log.fault(), status);
  const std::string why = Narrow(log.startFailure());
  EXPECT_NE(why.find("Korvane: Tracing stopped: the trace file " + Narrow(path)), std::string::npos)
      << why;
  EXPECT_NE(why.find(Narrow(reason)), std::string::npos) << why;
}

TEST(TraceFaults, AFullDiskStopsTheLogAfterItsLastWholePart) {
  testing::SmallFileSystem small(1 << 20);
  if (!small.available()) GTEST_SKIP() << small.reason();
  const OleString path = small.File("t.xml");
  CTraceLog log;
  log.SetFileName(path);
  ASSERT_EQ(log.SetEnabled(true), S_OK);
  EXPECT_LT(TraceUntilStopped(log, 2000), 2000);
  ExpectStopped(log, path, HRESULT_FROM_WIN32(ERROR_DISK_FULL),
                OLESTR("There is not enough space on the disk."));
  EXPECT_GT(WholeRecordsIn(path), 500u) << "filled the disk";
}

// Another program (here the test, past the platform layer) cuts or deletes
// the file: a record within the next 64 finds out.
TEST(TraceFaults, AFileCutOrDeletedByAnotherProgramStopsTheLog) {
  struct Case {
    const char* name;
    void (*fault)(const std::filesystem::path&);
    HRESULT status;
    const OLECHAR* reason;
  };
  const Case cases[] = {
      {"cut", [](const std::filesystem::path& p) { std::filesystem::resize_file(p, 0); },
       HRESULT_FROM_WIN32(ERROR_FILE_INVALID), OLESTR("was cut or changed by another program.")},
      {"deleted", [](const std::filesystem::path& p) { std::filesystem::remove(p); },
       HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), OLESTR("was deleted by another program.")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::TempFolder folder;
    const OleString path = folder.File("t.xml");
    CTraceLog log;
    log.SetFileName(path);
    ASSERT_EQ(log.SetEnabled(true), S_OK);
    EXPECT_EQ(TraceUntilStopped(log, 3), 3);
    EXPECT_EQ(WholeRecordsIn(path), 3u);
    try {
      c.fault(std::filesystem::path(path));
    } catch (const std::filesystem::filesystem_error&) {
      GTEST_SKIP() << "this system keeps other programs from changing an open trace file";
    }
    EXPECT_LE(TraceUntilStopped(log, 100), 64);
    ExpectStopped(log, path, c.status, c.reason);
    if (testing::FileExists(path)) {
      const std::string after = testing::ReadTraceText(path);
      EXPECT_EQ(after.find("<?xml"), std::string::npos) << "only records written after the cut";
    }
  }
}

// A second session, of this process or another, on the file a log writes is
// refused with the system's reason; the first goes on; a read-only folder
// refuses the start.
TEST(TraceFaults, ASecondWriterOrAReadOnlyFolderIsRefusedWithTheReason) {
  testing::TempFolder folder;
  const OleString path = folder.File("shared.xml");
  CTraceLog first;
  first.SetFileName(path);
  ASSERT_EQ(first.SetEnabled(true), S_OK);
  testing::TraceCall(first, "IKorvaneFans", "get_Count");

  CTraceLog second;
  second.SetFileName(path);
  EXPECT_EQ(second.SetEnabled(true), HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(second.IsEnabled());
  EXPECT_NE(Narrow(second.startFailure())
                .find("Korvane: Cannot create the trace file " + Narrow(path) + ": "),
            std::string::npos)
      << Narrow(second.startFailure());
  EXPECT_NE(test::RunChild(Narrow(path) + " 0 exit"), 0) << "another process took the file";

  testing::TraceCall(first, "IKorvaneFans", "get_Count");
  first.CloseFile();
  EXPECT_EQ(WholeRecordsIn(path), 2u);

  testing::SmallFileSystem readOnly(4096, true);
  if (!readOnly.available()) GTEST_SKIP() << readOnly.reason();
  CTraceLog refused;
  refused.SetFileName(readOnly.File("t.xml"));
  EXPECT_EQ(refused.SetEnabled(true), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED));
  EXPECT_NE(Narrow(refused.startFailure()).find("Access is denied."), std::string::npos)
      << Narrow(refused.startFailure());
}

}  // namespace
}  // namespace korvane
