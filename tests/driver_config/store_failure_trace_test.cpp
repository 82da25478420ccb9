// A store file that Initialize passes over is named in the trace with the
// store's own reason, so that a session meant to be simulated that talks to
// the hardware instead says why.

#include <string>

#include "config_store_fixture.h"
#include "trace_test_support.h"
#include "xml_checker.h"

namespace korvane::testing {
namespace {

class StoreFailureTraceTest : public ConfigStoreTest {
 protected:
  TempFolder traceFolder_;
  CurrentDirectory current_{traceFolder_.path()};
};

// The text of the comments of a trace file, which must be well-formed.
std::string NotesOf(const std::string& trace) {
  ParseXml(trace);  // fails the test when the file is not well-formed
  std::string notes;
  for (std::size_t start = trace.find("<!--"); start != std::string::npos;
       start = trace.find("<!--", start + 4)) {
    notes += trace.substr(start + 4, trace.find("-->", start) - start - 4);
  }
  return notes;
}

TEST_F(StoreFailureTraceTest, AStoreThatIsNotUsedSaysWhyInTheTrace) {
  struct Case {
    const char* name;
    const char* store;  // null: no store file
    const char* note;   // in the trace's notes; null: no note
  } cases[] = {
      {"malformed", "[Session S]\nSimulate = --maybe-\n",
       "line 2: '- -maybe-' is not a Boolean (true, false, 1, 0)"},
      {"a range of 2^31 names",
       "[Session S]\nVirtualName Fan = FAN\nVirtualRange Fan = 0-2147483647\n",
       "line 3: the virtual ranges of session 'S' stand for more than 10000 names"},
      {"well-formed", "[Store]\nMissingItem = Succeed\n[Session S]\n", nullptr},
      {"missing", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    driver_ = CreateDriver();
    c.store != nullptr ? UseStore(c.store) : UseMissingStore();
    ASSERT_EQ(S_OK, InitializeWith(OLESTR("S"), OLESTR("Simulate=true, DriverSetup=Trace=true, "
                                                       "TraceName=run")));
    ASSERT_EQ(S_OK, driver_->Close());
    const std::string notes = NotesOf(ReadWholeFile(traceFolder_.File("run.xml")));
    if (c.note == nullptr) {
      EXPECT_EQ(notes, "");
      continue;
    }
    EXPECT_NE(notes.find("The IVI configuration store was not used"), std::string::npos) << notes;
    EXPECT_NE(notes.find("store.ini"), std::string::npos) << notes;
    EXPECT_NE(notes.find(c.note), std::string::npos) << notes;
  }
}

}  // namespace
}  // namespace korvane::testing
