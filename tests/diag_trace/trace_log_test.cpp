// The trace file a log writes: its exact layout, the records' elements and
// attributes, the switching on and off, the size limit and the close.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "diag/method_trace.h"
#include "diag/trace_log.h"
#include "diag/trace_text.h"
#include "platform/scoped_bstr.h"
#include "tests/diag_trace/trace_test_support.h"
#include "tests/diag_trace/xml_checker.h"
#include "tests/platform/child_process.h"

namespace korvane {
namespace {

using testing::Narrow;
using testing::ParseXml;
using testing::TraceCall;
using testing::Wide;
using testing::XmlElement;

class TraceLogTest : public ::testing::Test {
 protected:
  TraceLogTest() { log_.SetFileName(folder_.File("calls.xml")); }

  std::string Text() const { return testing::ReadTraceText(folder_.File("calls.xml")); }
  // The file read as XML (throws when it is not well-formed).
  testing::XmlDocument Document() const {
    testing::XmlDocument doc = ParseXml(Text());
    EXPECT_EQ(doc.root.name, "TraceRecords");
    EXPECT_TRUE(doc.root.attributes.empty());
    return doc;
  }
  size_t MethodCount() const { return Document().root.Children("Method").size(); }
  // A file of a process that ended without closing it, as a reader completes
  // it.
  testing::XmlDocument CompletedDocument() const {
    return ParseXml(testing::CompleteCutTrace(Text()));
  }

  testing::TempFolder folder_;
  CTraceLog log_;
};

TEST_F(TraceLogTest, AnEmptyLogIsTheDeclarationAndAnEmptyRoot) {
  ASSERT_EQ(log_.Start(), S_OK);
  EXPECT_EQ(Text(), "<?xml version=\"1.0\"?>\r\n<TraceRecords");
  log_.CloseFile();
  EXPECT_EQ(Text(), "<?xml version=\"1.0\"?>\r\n<TraceRecords/>\r\n");
  EXPECT_EQ(log_.state(), TraceState::kStopped);
}

TEST_F(TraceLogTest, OneRecordHasTheExactLayout) {
  ASSERT_EQ(log_.Start(), S_OK);
  LONG count = 0;
  TraceCall(log_, "IKorvaneFans", "get_Count", S_OK, {TraceParam::Out("val", &count)},
            [&] { count = 6; });  // outputs are read when the call ends
  log_.CloseFile();
  const std::regex layout(
      "<\\?xml version=\"1\\.0\"\\?>\r\n"
      "<TraceRecords>\r\n"
      "\t<Method Name=\"get_Count\" Interface=\"IKorvaneFans\" "
      "StartTime=\"\\d{1,2}:\\d{1,2}:\\d{1,2}:\\d{1,3}\" Thread=\"" +
      std::to_string(static_cast<int>(GetCurrentThreadId())) +
      "\" Timestamp=\"\\d+\">\r\n"
      "\t\t<Parameter Name=\"val\" Direction=\"Out\" Value=\"6\" DataType=\"Int32\"/>\r\n"
      "\t\t<HRESULT Value=\"0x00000000\"/>\r\n"
      "\t\t<Execution ExecutionTime=\"\\d\\.\\d{6}e[-+]\\d{2,3}\"/>\r\n"
      "\t</Method>\r\n"
      "</TraceRecords>\r\n");
  EXPECT_TRUE(std::regex_match(Text(), layout)) << Text();
}

TEST_F(TraceLogTest, RecordsListInputsThenOutputsThenStatusAndTime) {
  ASSERT_EQ(log_.SetEnabled(true), S_OK);
  BSTR resource = SysAllocString(OLESTR("PXI0::CHASSIS1::BACKPLANE::INSTR"));
  BSTR options = SysAllocString(OLESTR("Simulate=true, DriverSetup= Model=Q7730A"));
  BSTR name = nullptr;
  double volts = 0;
  VARIANT_BOOL occurred = VARIANT_TRUE;
  IUnknown* alarm = nullptr;
  TraceCall(log_, "IIviDriver", "Initialize", S_OK,
            {TraceParam::In("ResourceName", resource), TraceParam::In("IdQuery", VARIANT_TRUE),
             TraceParam::In("Reset", VARIANT_FALSE), TraceParam::In("OptionString", options)});
  // An output declared before an input is still written after it.
  TraceCall(log_, "IKorvaneTemperatureSensors", "get_Name", S_OK,
            {TraceParam::Out("val", &name), TraceParam::In("Index", LONG{2})},
            [&] { name = SysAllocString(OLESTR("TEMP_2")); });
  TraceCall(log_, "IKorvaneVoltageRailAlarm", "put_MaxVoltage", static_cast<HRESULT>(0x3FFA4001),
            {TraceParam::In("val", 5.25)});
  TraceCall(log_, "IKorvaneVoltageRail", "get_Voltage", S_OK, {TraceParam::Out("val", &volts)},
            [&] { volts = 4.98; });
  TraceCall(log_, "IKorvaneVoltageRailAlarm", "get_Occurred", S_OK,
            {TraceParam::Out("val", &occurred)}, [&] { occurred = VARIANT_FALSE; });
  TraceCall(log_, "IKorvaneVoltageRail", "get_Alarm", S_OK, {TraceParam::Out("val", &alarm)});
  log_.CloseFile();

  struct Expected {
    const char* member;
    const char* iface;
    std::vector<std::vector<std::string>> params;  // Name, Direction, Value, DataType
    const char* status;
  };
  const Expected expected[] = {
      {"Initialize",
       "IIviDriver",
       {{"ResourceName", "In", "PXI0::CHASSIS1::BACKPLANE::INSTR", "String"},
        {"IdQuery", "In", "true", "Boolean"},
        {"Reset", "In", "false", "Boolean"},
        {"OptionString", "In", "Simulate=true, DriverSetup= Model=Q7730A", "String"}},
       "0x00000000"},
      {"get_Name",
       "IKorvaneTemperatureSensors",
       {{"Index", "In", "2", "Int32"}, {"val", "Out", "TEMP_2", "String"}},
       "0x00000000"},
      {"put_MaxVoltage",
       "IKorvaneVoltageRailAlarm",
       {{"val", "In", "5.25", "Double"}},
       "0x3FFA4001"},
      {"get_Voltage", "IKorvaneVoltageRail", {{"val", "Out", "4.98", "Double"}}, "0x00000000"},
      {"get_Occurred",
       "IKorvaneVoltageRailAlarm",
       {{"val", "Out", "false", "Boolean"}},
       "0x00000000"},
      {"get_Alarm",
       "IKorvaneVoltageRail",
       {{"val", "Out", "(interface)", "IUnknown"}},
       "0x00000000"},
  };
  const auto doc = Document();
  const auto methods = doc.root.Children("Method");
  ASSERT_EQ(methods.size(), std::size(expected));
  const std::vector<std::string> methodAttributes = {"Name", "Interface", "StartTime", "Thread",
                                                     "Timestamp"};
  const std::vector<std::string> parameterAttributes = {"Name", "Direction", "Value", "DataType"};
  for (size_t i = 0; i < methods.size(); ++i) {
    const XmlElement& m = *methods[i];
    const Expected& e = expected[i];
    SCOPED_TRACE(e.member);
    EXPECT_EQ(m.AttributeNames(), methodAttributes);
    EXPECT_EQ(m.Attribute("Name"), e.member);
    EXPECT_EQ(m.Attribute("Interface"), e.iface);
    ASSERT_EQ(m.children.size(), e.params.size() + 2);
    for (size_t p = 0; p < e.params.size(); ++p) {
      const XmlElement& param = m.children[p];
      EXPECT_EQ(param.name, "Parameter");
      EXPECT_EQ(param.AttributeNames(), parameterAttributes);
      std::vector<std::string> values;
      for (const auto& a : param.attributes) values.push_back(a.second);
      EXPECT_EQ(values, e.params[p]);
    }
    const XmlElement& status = m.children[e.params.size()];
    EXPECT_EQ(status.name, "HRESULT");
    EXPECT_EQ(status.AttributeNames(), std::vector<std::string>{"Value"});
    EXPECT_EQ(status.Attribute("Value"), e.status);
    EXPECT_EQ(m.children.back().name, "Execution");
    EXPECT_GE(std::stod(m.children.back().Attribute("ExecutionTime")), 0.0);
  }
  SysFreeString(resource);
  SysFreeString(options);
  SysFreeString(name);
}

TEST_F(TraceLogTest, AFailedCallTracesTheThreadsErrorMessageAndLeavesIt) {
  ASSERT_EQ(log_.SetEnabled(true), S_OK);
  const char* message = "Korvane: Null pointer passed for method <get_Name> & \"val\".";
  const struct {
    HRESULT status;
    bool errorInfo;
    bool expectMessage;
  } cases[] = {
      {static_cast<HRESULT>(0x80047058), true, true},
      {static_cast<HRESULT>(0x80047058), false, false},
      {static_cast<HRESULT>(0x3FFA2001), true, false},  // a warning carries no Message
  };
  for (const auto& c : cases) {
    if (c.errorInfo) testing::SetThreadError(Wide(message));
    TraceCall(log_, "IKorvaneTemperatureSensors", "get_Name", c.status);
    EXPECT_EQ(testing::TakeErrorDescription(), c.errorInfo ? message : "(none)");
  }
  log_.CloseFile();
  const auto doc = Document();
  const auto methods = doc.root.Children("Method");
  ASSERT_EQ(methods.size(), std::size(cases));
  for (size_t i = 0; i < methods.size(); ++i) {
    const XmlElement& status = *methods[i]->Children("HRESULT").at(0);
    ASSERT_EQ(status.HasAttribute("Message"), cases[i].expectMessage) << i;
    if (cases[i].expectMessage) {
      EXPECT_EQ(status.Attribute("Message"), message);
    }
  }
}

TEST_F(TraceLogTest, ReservedCharactersInValuesKeepTheFileWellFormed) {
  ASSERT_EQ(log_.Start(), S_OK);
  const char* raw = "<DriverSetup> Model='Q7730A' & \"TraceName\"\tx";
  BSTR value = SysAllocString(Wide(raw).c_str());
  // What no XML document may hold becomes U+FFFD (a control character '?'):
  // U+FFFE, U+FFFF, lone surrogates of either kind.
  const OLECHAR unfit[] = {'a', 0xFFFE, 0xFFFF, 0xD800, 'b', 0xDC00, 0xD83D, 0xDE00, 0x01, 0};
  BSTR unfitValue = SysAllocString(unfit);
  TraceCall(log_, "IIviDriver", "Initialize", S_OK,
            {TraceParam::In("OptionString", value), TraceParam::In("ResourceName", unfitValue)});
  log_.CloseFile();
  const auto doc = Document();  // the checker allows only XML's characters
  const auto methods = doc.root.Children("Method");
  ASSERT_EQ(methods.size(), 1u);
  EXPECT_EQ(methods[0]->children.at(0).Attribute("Value"), raw);
  const OLECHAR fitted[] = {'a', 0xFFFD, 0xFFFD, 0xFFFD, 'b', 0xFFFD, 0xD83D, 0xDE00, 0};
  std::string expected;
  AppendAnsiText(expected, fitted, 8);
  EXPECT_EQ(methods[0]->children.at(1).Attribute("Value"), expected + "?");
  SysFreeString(value);
  SysFreeString(unfitValue);
}

TEST_F(TraceLogTest, SwitchingOffAndOnContinuesTheSameFile) {
  ASSERT_EQ(log_.SetEnabled(true), S_OK);
  EXPECT_TRUE(log_.IsEnabled());
  EXPECT_TRUE(log_.enabled());
  TraceCall(log_, "IKorvaneSystem", "get_Uptime");
  EXPECT_EQ(log_.SetEnabled(true), S_OK);  // a second switch-on makes no new file
  TraceCall(log_, "IKorvaneSystem", "get_SerialNumber");
  EXPECT_EQ(log_.SetEnabled(false), S_OK);
  EXPECT_FALSE(log_.IsEnabled());
  TraceCall(log_, "IKorvaneSystem", "get_Uptime");  // not recorded
  EXPECT_EQ(log_.SetEnabled(true), S_OK);
  TraceCall(log_, "IKorvaneSystem", "get_SelfTestErrorCount");
  log_.CloseFile();

  std::vector<std::string> names;
  const auto doc = Document();
  for (const XmlElement* m : doc.root.Children("Method")) names.push_back(m->Attribute("Name"));
  EXPECT_EQ(names,
            (std::vector<std::string>{"get_Uptime", "get_SerialNumber", "get_SelfTestErrorCount"}));
}

TEST_F(TraceLogTest, StartFailsWhileActiveAndWhenTheFileCannotBeCreated) {
  ASSERT_EQ(log_.Start(), S_OK);
  TraceCall(log_, "IKorvaneSystem", "get_Uptime");
  EXPECT_EQ(log_.Start(), E_UNEXPECTED);
  EXPECT_EQ(log_.state(), TraceState::kActive);
  log_.CloseFile();
  EXPECT_EQ(MethodCount(), 1u);  // the file was left alone

  CTraceLog missing;
  missing.SetFileName(folder_.File("no such folder/calls"));
  const HRESULT hr = missing.SetEnabled(true);
  EXPECT_TRUE(FAILED(hr));
  EXPECT_EQ(HRESULT_FACILITY(hr), FACILITY_WIN32);
  EXPECT_EQ(missing.state(), TraceState::kStopped);
  EXPECT_FALSE(missing.IsEnabled());
}

// A process that dies while tracing leaves every completed record and the
// start of the call it was running, and nothing else.
TEST_F(TraceLogTest, AProcessThatDiesLeavesItsRecordsAndTheStartOfItsCall) {
  constexpr LONG kCalls = 3;
  for (const char* ending : {"terminate", "exit"}) {
    SCOPED_TRACE(ending);
    DeleteFileW(folder_.File("calls.xml").c_str());
    test::RunChild(Narrow(folder_.File("calls.xml")) + " " + std::to_string(kCalls) + " " + ending);
    const auto left = CompletedDocument();
    const auto methods = left.root.Children("Method");
    ASSERT_EQ(methods.size(), size_t(kCalls) + 1);
    for (LONG i = 0; i <= kCalls; ++i) {
      const XmlElement& method = *methods[size_t(i)];
      EXPECT_EQ(method.children.at(0).Attribute("Value"), std::to_string(i));
      EXPECT_EQ(method.children.size(), i < kCalls ? 4u : 1u);
    }
  }
}

// Each part of a record (its start, its rest) that fits in a page of the file
// lies within one page, so that no kill can cut it; blanks fill the gap it
// leaves; a part longer than a page is written whole. The file grows with
// every part and holds only text.
TEST_F(TraceLogTest, RecordPartsStayWithinAPageOfTheFile) {
  ASSERT_EQ(log_.SetEnabled(true), S_OK);
  constexpr uint64_t kPage = TraceFile::kPage;
  std::vector<size_t> lengths;
  for (size_t length = 1; length < 2 * kPage; length += 173) lengths.push_back(length);
  size_t before = Text().size();
  for (size_t length : lengths) {
    const OleString text(length, OLECHAR('a' + length % 26));
    const ScopedBstr value(text.c_str(), UINT(text.size()));
    TraceCall(log_, "IKorvaneFan", "put_Name", S_OK, {TraceParam::In("val", value.Get())}, [&] {
      EXPECT_GT(Text().size(), before) << "the start is in the file";
      before = Text().size();
    });
    EXPECT_GT(Text().size(), before) << "the rest is in the file";
    before = Text().size();
  }
  const std::string text = Text();
  // A start: its Method and Parameter lines; a rest: HRESULT to </Method>.
  size_t at = text.find("<TraceRecords>\r\n") + 16;
  for (size_t length : lengths) {
    const size_t start = text.find("\t<Method ", at);
    const size_t startEnd = text.find("/>\r\n", text.find("<Parameter", start)) + 4;
    const size_t rest = text.find("\t\t<HRESULT", startEnd);
    const size_t restEnd = text.find("</Method>\r\n", rest) + 11;
    ASSERT_NE(start, std::string::npos);
    for (auto [begin, end] : {std::pair{start, startEnd}, std::pair{rest, restEnd}}) {
      if (end - begin > kPage) continue;
      EXPECT_EQ(begin / kPage, (end - 1) / kPage)
          << "a part of " << end - begin << " bytes at " << begin << ", value length " << length;
    }
    for (size_t gap : {start - at, rest - startEnd}) {
      const size_t from = gap == start - at ? at : startEnd;
      EXPECT_EQ(text.find_first_not_of(" \r\n", from), from + gap) << "only blanks between parts";
    }
    at = restEnd;
  }
  log_.CloseFile();
  EXPECT_EQ(MethodCount(), lengths.size());
}

// The save check stops the log when the file is larger than the limit: at
// exactly the limit it goes on, one byte over it stops. The limit is set
// while a call runs, when the file holds its start and the size of its rest
// is known from the call before.
TEST_F(TraceLogTest, TheSizeLimitIsExceededOnlyOneByteOverIt) {
  log_.SetSaveInterval(0);  // every record is followed by a save
  ASSERT_EQ(log_.SetEnabled(true), S_OK);
  size_t restSize = 0;
  for (int overLimit : {-1, 0, 1}) {  // -1: measures the rest, without a limit
    SCOPED_TRACE(overLimit);
    size_t sizeWhileRunning = 0;
    TraceCall(log_, "IKorvaneFan", "get_RPM", S_OK, {}, [&] {
      sizeWhileRunning = Text().size();
      if (overLimit >= 0) log_.SetSizeMax(int32_t(sizeWhileRunning + restSize) - overLimit);
    });
    if (overLimit < 0) restSize = Text().size() - sizeWhileRunning;
    ASSERT_EQ(Text().size(), sizeWhileRunning + restSize);
    EXPECT_EQ(log_.state(), overLimit > 0 ? TraceState::kSizeLimited : TraceState::kActive);
  }
}

TEST_F(TraceLogTest, TheSizeLimitStopsTheLogAfterTheSaveThatFindsItTooBig) {
  log_.SetSizeMax(1000);
  log_.SetSaveInterval(0);  // every record is followed by a save
  ASSERT_EQ(log_.SetEnabled(true), S_OK);
  size_t recorded = 0;
  size_t sizeBeforeLast = 0;
  while (log_.IsEnabled() && recorded < 100) {
    sizeBeforeLast = Text().size();
    TraceCall(log_, "IKorvaneFan", "get_RPM");
    ++recorded;
  }
  EXPECT_EQ(log_.state(), TraceState::kSizeLimited);
  EXPECT_LE(sizeBeforeLast, 1000u);
  const size_t sizeAtLimit = Text().size();
  EXPECT_GT(sizeAtLimit, 1000u);

  TraceCall(log_, "IKorvaneFan", "get_RPM");
  EXPECT_EQ(log_.SetEnabled(true), S_OK);  // stays stopped
  EXPECT_EQ(log_.state(), TraceState::kSizeLimited);
  TraceCall(log_, "IKorvaneFan", "get_RPM");
  EXPECT_EQ(Text().size(), sizeAtLimit);
  log_.CloseFile();
  EXPECT_EQ(MethodCount(), recorded);
}

TEST_F(TraceLogTest, ThePendingCloseEndsTheFileAfterTheCloseRecord) {
  ASSERT_EQ(log_.SetEnabled(true), S_OK);
  TraceCall(log_, "IKorvaneFans", "get_Count");
  log_.MarkClosePending();
  EXPECT_TRUE(log_.closePending());
  TraceCall(log_, "IIviDriver", "Close");
  EXPECT_FALSE(log_.closePending());
  EXPECT_EQ(log_.state(), TraceState::kStopped);
  const std::string text = Text();
  const auto doc = Document();
  const auto methods = doc.root.Children("Method");  // complete without CloseFile
  ASSERT_EQ(methods.size(), 2u);
  EXPECT_EQ(methods.back()->Attribute("Name"), "Close");
  TraceCall(log_, "IKorvaneFans", "get_Count");
  EXPECT_EQ(Text(), text);
  // Switching on again continues: no new file replaces the completed one.
  EXPECT_EQ(log_.SetEnabled(true), S_OK);
  EXPECT_TRUE(log_.IsEnabled());
  TraceCall(log_, "IKorvaneFans", "get_Count");
  EXPECT_EQ(Text(), text);
}

TEST_F(TraceLogTest, ARecordKeepsAtMost25Parameters) {
  ASSERT_EQ(log_.Start(), S_OK);
  HRESULT hr = S_OK;
  {
    CMethodTrace trace(&log_, "IKorvaneTriggerBus", "Connect", &hr);
    ASSERT_TRUE(trace.active());
    for (LONG i = 0; i < 30; ++i) trace.Add(TraceParam::In("Trig", i));
  }  // closed by its destructor
  log_.CloseFile();
  const auto doc = Document();
  const auto methods = doc.root.Children("Method");
  ASSERT_EQ(methods.size(), 1u);
  const auto params = methods[0]->Children("Parameter");
  ASSERT_EQ(params.size(), 25u);
  EXPECT_EQ(params.back()->Attribute("Value"), "24");
}

TEST_F(TraceLogTest, ARecordOfAStoppedOrMissingLogDoesNothing) {
  HRESULT hr = S_OK;
  CMethodTrace none(nullptr, "IKorvaneFans", "get_Count", &hr);
  CMethodTrace stopped(&log_, "IKorvaneFans", "get_Count", &hr);
  EXPECT_FALSE(none.active());
  EXPECT_FALSE(stopped.active());
  stopped.Close();
  EXPECT_FALSE(testing::FileExists(folder_.File("calls.xml")));
}

}  // namespace
}  // namespace korvane
