// The call trace as the entry points write it: one Method record per traced
// call, none for calls refused before tracing, and the Close record last.
// (Calls from several threads are serialised by the object lock, see
// EntryPointTest, and the log's own threads test covers whole records.)

#include "driver_fixture.h"
#include "trace_test_support.h"
#include "xml_checker.h"

namespace korvane::testing {
namespace {

class TraceThroughEntryPointsTest : public DriverTest {
 protected:
  // Initializes simulated, tracing into run1.xml in a fresh current folder.
  void StartTracedSession() {
    ASSERT_EQ(S_OK, Initialize(OLESTR(""), false, false,
                               OLESTR("Simulate=true, DriverSetup=Trace=true, TraceName=run1")));
  }
  XmlDocument ReadTrace() { return ParseXml(ReadWholeFile(folder_.File("run1.xml"))); }

  TempFolder folder_;
  CurrentDirectory current_{folder_.path()};
};

std::vector<std::string> MethodNames(const XmlDocument& trace) {
  std::vector<std::string> names;
  for (const XmlElement* method : trace.root.Children("Method")) {
    names.push_back(method->Attribute("Name"));
  }
  return names;
}

TEST_F(TraceThroughEntryPointsTest, RecordsExactlyTheTracedCalls) {
  StartTracedSession();
  VARIANT_BOOL initialized = VARIANT_FALSE;
  ASSERT_EQ(S_OK, driver_->get_Initialized(&initialized));
  // Refused by the entry point before tracing: no record.
  ASSERT_EQ(static_cast<HRESULT>(0x80047058), driver_->get_Initialized(nullptr));
  // Fails in its implementation: recorded with its status and message.
  ASSERT_EQ(static_cast<HRESULT>(0x80047061),
            Initialize(OLESTR("PXI<1>"), true, false, OLESTR("Cache=\"x\" & more")));
  // Tracing the failure kept no reference to its error information: ours is the only one.
  IErrorInfo* info = nullptr;
  ASSERT_EQ(S_OK, GetErrorInfo(0, &info));
  EXPECT_EQ(2u, info->AddRef());
  info->Release();
  EXPECT_EQ(0u, info->Release());
  ASSERT_EQ(S_OK, driver_->Close());

  const XmlDocument trace = ReadTrace();
  EXPECT_EQ("TraceRecords", trace.root.name);
  ASSERT_EQ((std::vector<std::string>{"get_Initialized", "Initialize", "Close"}),
            MethodNames(trace));
  const std::vector<const XmlElement*> methods = trace.root.Children("Method");
  for (const XmlElement* method : methods) {
    EXPECT_EQ("IIviDriver", method->Attribute("Interface"));
    EXPECT_EQ((std::vector<std::string>{"Name", "Interface", "StartTime", "Thread", "Timestamp"}),
              method->AttributeNames());
    EXPECT_EQ(1u, method->Children("Execution").size());
  }

  const XmlElement& get = *methods[0];
  ASSERT_EQ(1u, get.Children("Parameter").size());
  const XmlElement& val = *get.Children("Parameter")[0];
  EXPECT_EQ("val", val.Attribute("Name"));
  EXPECT_EQ("Out", val.Attribute("Direction"));
  EXPECT_EQ("true", val.Attribute("Value"));
  EXPECT_EQ("Boolean", val.Attribute("DataType"));
  EXPECT_EQ("0x00000000", get.Children("HRESULT")[0]->Attribute("Value"));
  EXPECT_FALSE(get.Children("HRESULT")[0]->HasAttribute("Message"));

  const XmlElement& init = *methods[1];
  const std::vector<const XmlElement*> inputs = init.Children("Parameter");
  ASSERT_EQ(4u, inputs.size());
  const std::pair<const char*, const char*> expected[] = {{"ResourceName", "PXI<1>"},
                                                          {"IdQuery", "true"},
                                                          {"Reset", "false"},
                                                          {"OptionString", "Cache=\"x\" & more"}};
  for (size_t i = 0; i < inputs.size(); ++i) {
    EXPECT_EQ(expected[i].first, inputs[i]->Attribute("Name"));
    EXPECT_EQ("In", inputs[i]->Attribute("Direction"));
    EXPECT_EQ(expected[i].second, inputs[i]->Attribute("Value"));
  }
  const XmlElement& status = *init.Children("HRESULT")[0];
  EXPECT_EQ("0x80047061", status.Attribute("Value"));
  EXPECT_EQ("Korvane: The driver is already initialized.", status.Attribute("Message"));
}

// Close ends a paused trace: its call is not recorded, but completes the file.
TEST_F(TraceThroughEntryPointsTest, CloseEndsAPausedTrace) {
  StartTracedSession();
  ComPtr<IKorvane> korvane;
  ASSERT_EQ(S_OK, driver_->QueryInterface(IidOf<IKorvane>(), korvane.GetVoidAddressOf()));
  ComPtr<IKorvaneSystem> system;
  ASSERT_EQ(S_OK, korvane->get_System(system.GetAddressOf()));
  ASSERT_EQ(S_OK, system->put_TraceEnabled(VARIANT_FALSE));
  ASSERT_EQ(S_OK, driver_->Close());
  EXPECT_EQ((std::vector<std::string>{"get_System", "put_TraceEnabled"}), MethodNames(ReadTrace()));
}

// A trace file that cannot be created fails Initialize with error
// information naming the file and the system's reason.
TEST_F(TraceThroughEntryPointsTest, AnUncreatableTraceFileIsNamedInTheError) {
  const OleString file = folder_.File("missing/run1.xml");
  const HRESULT hr =
      Initialize(OLESTR(""), false, false,
                 OLESTR("Simulate=true, DriverSetup=Trace=true, TraceName=missing/run1"));
  ASSERT_EQ(HRESULT_FACILITY(hr), FACILITY_WIN32);
  OLECHAR reason[256];
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                HRESULT_CODE(hr), 0, reason, 256, nullptr);
  while (length > 0 && (reason[length - 1] == '\r' || reason[length - 1] == '\n')) --length;
  ASSERT_GT(length, 0u);
  EXPECT_EQ(TakeErrorInfo().description, OLESTR("Korvane: Cannot create the trace file ") + file +
                                             OLESTR(": ") + OleString(reason, length));
}

}  // namespace
}  // namespace korvane::testing
