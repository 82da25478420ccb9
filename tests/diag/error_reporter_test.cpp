#include "diag/error_reporter.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "diag/hresult_error.h"
#include "tests/support/error_info.h"
#include "tests/support/text.h"

namespace korvane {
namespace {

using testing::ErrorText;
using testing::Narrow;
using testing::TakeErrorText;

// Class ids used only by these tests: one gets a ProgID in the registry, the
// other never does.
constexpr CLSID kRegisteredClass = {
    0x5C1E7A10, 0x3B2D, 0x4F61, {0x9A, 0x0E, 0x41, 0x7D, 0x22, 0xC8, 0x90, 0x01}};
constexpr CLSID kUnregisteredClass = {
    0x5C1E7A10, 0x3B2D, 0x4F61, {0x9A, 0x0E, 0x41, 0x7D, 0x22, 0xC8, 0x90, 0x02}};
constexpr IID kSystemIid = {
    0x5C1E7A10, 0x3B2D, 0x4F61, {0x9A, 0x0E, 0x41, 0x7D, 0x22, 0xC8, 0x90, 0x03}};
constexpr OLECHAR kTestProgId[] = OLESTR("Korvane.ReporterTest.1");

class FakeCallContexts : public ICallContextProvider {
 public:
  const CallContext& GetCallContext() const override {
    if (current == nullptr) throw HResultError(E_FAIL);
    return *current;
  }
  const CallContext* current = nullptr;
};

// HKEY_CLASSES_ROOT\CLSID\{class}\ProgID for the life of the object. Written
// through the merged classes view: Wine does not show the user's
// Software\Classes in it, so writing there would not reach ProgIDFromCLSID.
class ProgIdRegistration {
 public:
  ProgIdRegistration(const CLSID& clsid, const OLECHAR* progId) {
    OLECHAR guid[40];
    StringFromGUID2(clsid, guid, 40);
    keyPath_ = OleString(OLESTR("CLSID\\")) + guid;
    const OleString progIdKey = keyPath_ + OLESTR("\\ProgID");
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, progIdKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
      return;
    }
    const DWORD bytes = static_cast<DWORD>((OleView(progId).size() + 1) * sizeof(OLECHAR));
    ok_ = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(progId), bytes) ==
          ERROR_SUCCESS;
    RegCloseKey(key);
  }
  ~ProgIdRegistration() { RegDeleteTreeW(HKEY_CLASSES_ROOT, keyPath_.c_str()); }
  ProgIdRegistration(const ProgIdRegistration&) = delete;  // would delete the key twice
  ProgIdRegistration& operator=(const ProgIdRegistration&) = delete;
  bool ok() const { return ok_; }

 private:
  OleString keyPath_;
  bool ok_ = false;
};

class ErrorReporterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    SetErrorInfo(0, nullptr);
    contexts_.current = &context_;
  }
  void TearDown() override {
    SetErrorInfo(0, nullptr);
    CoUninitialize();
  }

  CallContext context_{kSystemIid, "IKorvaneSystem", "get_SerialNumber", OLESTR("get_SerialNumber"),
                       OLESTR("IKorvaneSystem.SerialNumber")};
  FakeCallContexts contexts_;
  CKorvaneErrorReporter reporter_{kUnregisteredClass, contexts_};
};

std::string InternalError(MessageId id, const char* reason) {
  return "Internal Error: Unable to retrieve and format error message from message table.\n"
         "Resource ID = " +
         std::to_string(id) + "\nLanguage ID = 0\nReason = '" + reason + "'";
}

TEST_F(ErrorReporterTest, EveryEntryRecordsItsStatusHelpAndInterface) {
  const OLECHAR* inserts[] = {OLESTR("A"), OLESTR("B"), OLESTR("C")};
  for (const MessageEntry& entry : MessageTable()) {
    SCOPED_TRACE(entry.id);
    const HRESULT expected = entry.status == S_OK ? DISP_E_EXCEPTION : entry.status;
    EXPECT_EQ(reporter_.ReportErrorV(entry.id, inserts), expected);
    const ErrorText error = TakeErrorText();
    ASSERT_TRUE(error.present);
    EXPECT_TRUE(IsEqualGUID(error.interfaceId, kSystemIid));
    EXPECT_EQ(error.description.rfind("Korvane: ", 0), 0u);
    EXPECT_NE(error.description.back(), '\n');
    EXPECT_EQ(error.source, "");
    const bool driverSpecific = (entry.id >= 42 && entry.id <= 45) || entry.id >= 47;
    EXPECT_EQ(error.helpContext, driverSpecific ? 3u : 0u);
    EXPECT_EQ(error.helpFile, driverSpecific ? "Korvane.chm" : "");
  }
}

TEST_F(ErrorReporterTest, SourceIsTheProgIdRegisteredForTheDriverClass) {
  ProgIdRegistration registration(kRegisteredClass, kTestProgId);
  ASSERT_TRUE(registration.ok());
  CKorvaneErrorReporter registered(kRegisteredClass, contexts_);

  registered.ReportNotInitialized();
  EXPECT_EQ(TakeErrorText().source, "Korvane.ReporterTest.1");
  registered.ReportCustomError(E_FAIL, OLESTR("custom"));
  EXPECT_EQ(TakeErrorText().source, "Korvane.ReporterTest.1");

  reporter_.ReportNotInitialized();
  const ErrorText unregistered = TakeErrorText();
  EXPECT_TRUE(unregistered.present);
  EXPECT_EQ(unregistered.source, "");
}

TEST_F(ErrorReporterTest, AdditionalInformationFollowsAfterALineBreakOnlyWhenNotEmpty) {
  EXPECT_EQ(reporter_.ReportErrorWithInfo(kMsgUnexpectedResponse, OLESTR("method:System.Uptime")),
            E_IVI_UNEXPECTED_RESPONSE);
  EXPECT_EQ(TakeErrorText().description,
            "Korvane: Unexpected response from the instrument.\r\nmethod:System.Uptime");

  for (const OLECHAR* empty : {static_cast<const OLECHAR*>(nullptr), OLESTR("")}) {
    reporter_.ReportErrorWithInfo(kMsgModelNotSupported, empty, {OLESTR("TriggerBus")});
    const ErrorText error = TakeErrorText();
    EXPECT_EQ(error.description,
              "Korvane: Instrument model does not support this feature: TriggerBus.");
  }
  reporter_.ReportNotInitialized(AdditionalInfo(OLESTR("while opening")));
  EXPECT_EQ(TakeErrorText().description,
            "Korvane: A connection to the instrument has not been established.\r\nwhile opening");
}

TEST_F(ErrorReporterTest, FormattedMessageIsTrimmedAtBothEnds) {
  reporter_.ReportChassisError(OLESTR("fault"), OLESTR("0xbffa4002"),
                               OLESTR("Fans.Alarm.Clear \t\r\n"));
  EXPECT_EQ(TakeErrorText().description,
            "Korvane: Chassis returned an error fault (0xbffa4002): method Fans.Alarm.Clear");
}

TEST_F(ErrorReporterTest, WarningSetsErrorInformationAndReturnsSuccess) {
  const HRESULT status = reporter_.WarnIdQueryNotSupported();
  EXPECT_EQ(status, 0x00047065);
  EXPECT_TRUE(SUCCEEDED(status));
  const ErrorText error = TakeErrorText();
  EXPECT_TRUE(error.present);
  EXPECT_EQ(error.description, "Korvane: ID Query is not supported by this instrument.");
}

TEST_F(ErrorReporterTest, UnformattableIdsReportTheInternalError) {
  struct Case {
    MessageId id;
    std::initializer_list<const OLECHAR*> inserts;
    const char* reason;
  };
  const Case cases[] = {
      {46, {}, DescribeFormatFailure(MessageFormatResult::kNotFound)},
      {52, {}, DescribeFormatFailure(MessageFormatResult::kNotFound)},
      {kMsgInvalidValue, {OLESTR("1")}, DescribeFormatFailure(MessageFormatResult::kMissingInsert)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(reporter_.ReportError(c.id, c.inserts), DISP_E_EXCEPTION);
    const ErrorText error = TakeErrorText();
    EXPECT_EQ(error.description, InternalError(c.id, c.reason));
    EXPECT_TRUE(IsEqualGUID(error.interfaceId, GUID_NULL));
    EXPECT_EQ(error.helpContext, 0u);
    EXPECT_EQ(error.helpFile, "");
  }
}

TEST_F(ErrorReporterTest, CustomErrorCarriesItsStatusAndNoInterface) {
  EXPECT_EQ(reporter_.ReportCustomError(E_IVI_RESET_FAILED, OLESTR("free text")),
            E_IVI_RESET_FAILED);
  ErrorText error = TakeErrorText();
  EXPECT_EQ(error.description, "free text");
  EXPECT_TRUE(IsEqualGUID(error.interfaceId, GUID_NULL));
  EXPECT_EQ(error.helpFile, "");
  EXPECT_EQ(reporter_.ReportCustomError(S_OK, nullptr), DISP_E_EXCEPTION);
  EXPECT_EQ(TakeErrorText().description, "");
}

TEST_F(ErrorReporterTest, IoErrorsTakeThePendingDescription) {
  reporter_.ReportCustomError(E_FAIL, OLESTR("VISA: timeout expired"));
  EXPECT_EQ(reporter_.ReportIoTimeout(OLESTR("read")), E_KORVANE_IO_TIMEOUT);
  EXPECT_EQ(TakeErrorText().description,
            "Korvane: I/O timeout error: read.\r\nVISA: timeout expired");

  EXPECT_EQ(reporter_.ReportIoError(OLESTR("write")), E_KORVANE_IO_GENERAL);
  EXPECT_EQ(TakeErrorText().description, "Korvane: I/O error: write.");
}

TEST_F(ErrorReporterTest, ReportingOutsideACallRaisesEFail) {
  contexts_.current = nullptr;
  try {
    reporter_.ReportNotInitialized();
    FAIL() << "no exception";
  } catch (const HResultError& e) {
    EXPECT_EQ(e.status(), E_FAIL);
  }
}

struct KindCase {
  const char* name;
  std::function<HRESULT(CKorvaneErrorReporter&)> report;
  HRESULT status;
  const char* description;
};

TEST_F(ErrorReporterTest, PerKindOperationsFillTheirInserts) {
  using R = CKorvaneErrorReporter;
  const OLECHAR* m = OLESTR("Fans.Control.MaxRPMTemp");
  const OLECHAR* p = OLESTR("val");
  auto iv = [](const std::string& value, const std::string& method) {
    return "Korvane: Invalid value (" + value + ") for method " + method + ", parameter val.";
  };
  const std::string longNeg = iv("-5", "Fans.Control.MaxRPMTemp");
  const std::string cur = "get_SerialNumber";
  const KindCase cases[] = {
      {"model", [](R& r) { return r.ReportModelNotSupported(OLESTR("TriggerBus")); },
       E_KORVANE_MODEL_NOT_SUPPORTED,
       "Korvane: Instrument model does not support this feature: TriggerBus."},
      {"function", [](R& r) { return r.ReportFunctionNotSupported(OLESTR("Invalidate")); },
       E_IVI_FUNCTION_NOT_SUPPORTED,
       "Korvane: Does not support this class-compliant feature: method Invalidate."},
      {"function short", [](R& r) { return r.ReportFunctionNotSupported(); },
       E_IVI_FUNCTION_NOT_SUPPORTED,
       "Korvane: Does not support this class-compliant feature: method get_SerialNumber."},
      {"attribute", [](R& r) { return r.ReportAttributeNotSupported(OLESTR("Cache")); },
       E_IVI_ATTRIBUTE_NOT_SUPPORTED,
       "Korvane: Does not support this class-compliant feature: property Cache."},
      {"attribute short", [](R& r) { return r.ReportAttributeNotSupported(); },
       E_IVI_ATTRIBUTE_NOT_SUPPORTED,
       "Korvane: Does not support this class-compliant feature: property get_SerialNumber."},
      {"bad option name", [](R& r) { return r.ReportBadOptionName(OLESTR("Simulat")); },
       E_IVI_BAD_OPTION_NAME, "Korvane: The Simulat name in the option string is unknown."},
      {"bad option value", [](R& r) { return r.ReportBadOptionValue(OLESTR("maybe")); },
       E_IVI_BAD_OPTION_VALUE, "Korvane: The maybe value in the option string is unknown."},
      {"levels", [](R& r) { return r.ReportInvalidNumberOfLevelsInSelector(OLESTR("Fan")); },
       E_IVI_INVALID_NUMBER_OF_LEVELS_IN_SELECTOR,
       "Korvane: The number of levels in the selector is not valid for the Fan repeated "
       "capability."},
      {"range", [](R& r) { return r.ReportInvalidRangeInSelector(OLESTR("1-9"), OLESTR("Fan")); },
       E_IVI_INVALID_RANGE_IN_SELECTOR,
       "Korvane: The range 1-9 is not valid for the repeated capability Fan."},
      {"null pointer",
       [](R& r) { return r.ReportNullPointer(OLESTR("get_System"), OLESTR("val")); },
       E_IVI_NULL_POINTER, "Korvane: Null pointer passed for method get_System, parameter val."},
      {"null pointer short", [](R& r) { return r.ReportNullPointer(OLESTR("val")); },
       E_IVI_NULL_POINTER,
       "Korvane: Null pointer passed for method get_SerialNumber, parameter val."},
      {"value",
       [](R& r) {
         return r.ReportValueNotSupported(OLESTR("9"), OLESTR("Trig"), OLESTR("Connect"));
       },
       E_IVI_VALUE_NOT_SUPPORTED,
       "Korvane: Does not support this class-compliant feature: (enumeration) value 9 passed as "
       "the value for parameter Trig in method Connect."},
      {"value short", [](R& r) { return r.ReportValueNotSupported(OLESTR("9"), OLESTR("Trig")); },
       E_IVI_VALUE_NOT_SUPPORTED,
       "Korvane: Does not support this class-compliant feature: (enumeration) value 9 passed as "
       "the value for parameter Trig in method get_SerialNumber."},
      {"chassis visa",
       [](R& r) {
         return r.ReportChassisVisaError(OLESTR("Timeout expired"), OLESTR("0xbfff0015"),
                                         OLESTR("System.Uptime"));
       },
       E_KORVANE_VISA_API,
       "Korvane: Chassis returned a VISA error Timeout expired (0xbfff0015): method System.Uptime"},
      {"chassis",
       [](R& r) {
         return r.ReportChassisError(OLESTR("Bad rail"), OLESTR("0xbffa000a"),
                                     OLESTR("VoltageRails.Voltage"));
       },
       E_KORVANE_CHASSIS_API,
       "Korvane: Chassis returned an error Bad rail (0xbffa000a): method VoltageRails.Voltage"},
      {"chassis empty description",
       [](R& r) { return r.ReportChassisError(OLESTR(""), OLESTR("0xbffa000a"), OLESTR("X.Y")); },
       E_KORVANE_CHASSIS_API, "Korvane: Chassis returned an error  (0xbffa000a): method X.Y"},
      {"chassis unexpected",
       [](R& r) {
         return r.ReportChassisUnexpectedStatus(OLESTR("0xbffa0009"), OLESTR("Fans.Alarm.Clear"));
       },
       E_KORVANE_UNEXPECTED,
       "Korvane: Chassis returned an unexpected error code (0xbffa0009): method Fans.Alarm.Clear"},
      {"chassis class 3",
       [](R& r) {
         return r.ReportUnexpectedResponse(AdditionalInfo(OLESTR("method:System.Uptime")));
       },
       E_IVI_UNEXPECTED_RESPONSE,
       "Korvane: Unexpected response from the instrument.\r\nmethod:System.Uptime"},
      {"chassis other class",
       [](R& r) {
         return r.ReportUnexpectedResponse(AdditionalInfo(
             OLESTR("Unknown status code (0xbffa4002), method: TriggerBus.Connect")));
       },
       E_IVI_UNEXPECTED_RESPONSE,
       "Korvane: Unexpected response from the instrument.\r\nUnknown status code (0xbffa4002), "
       "method: TriggerBus.Connect"},
      {"internal", [](R& r) { return r.ReportInternalSoftwareError(OLESTR("Close")); },
       E_KORVANE_INTERNAL_SW, "Korvane: Internal software error: method (Close)"},
  };
  for (const KindCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.report(reporter_), c.status);
    EXPECT_EQ(TakeErrorText().description, c.description);
  }

  struct InvalidCase {
    const char* name;
    std::function<HRESULT(CKorvaneErrorReporter&)> report;
    std::string description;
  };
  const InvalidCase invalidCases[] = {
      {"true", [&](R& r) { return r.ReportInvalidValue(m, p, true); },
       iv("True", "Fans.Control.MaxRPMTemp")},
      {"false", [&](R& r) { return r.ReportInvalidValue(m, p, false); },
       iv("False", "Fans.Control.MaxRPMTemp")},
      {"integer", [&](R& r) { return r.ReportInvalidValue(m, p, -5, "%d"); }, longNeg},
      {"LONG", [&](R& r) { return r.ReportInvalidValue(m, p, LONG{-5}, "%d"); }, longNeg},
      {"unsigned bits as signed",
       [&](R& r) { return r.ReportInvalidValue(m, p, static_cast<int32_t>(0xFFFFFFFF), "%d"); },
       iv("-1", "Fans.Control.MaxRPMTemp")},
      {"double", [&](R& r) { return r.ReportInvalidValue(m, p, 2.47, "%.3f"); },
       iv("2.470", "Fans.Control.MaxRPMTemp")},
      {"text", [&](R& r) { return r.ReportInvalidValue(m, p, OLESTR("Bus9")); },
       iv("Bus9", "Fans.Control.MaxRPMTemp")},
      {"null text",
       [&](R& r) { return r.ReportInvalidValue(m, p, static_cast<const OLECHAR*>(nullptr)); },
       iv("", "Fans.Control.MaxRPMTemp")},
      {"counted text",
       [&](R& r) { return r.ReportInvalidValue(m, p, OleStringView(OLESTR("Bus12345"), 5)); },
       iv("Bus12", "Fans.Control.MaxRPMTemp")},
      {"string", [&](R& r) { return r.ReportInvalidValue(m, p, OleString(OLESTR("Str"))); },
       iv("Str", "Fans.Control.MaxRPMTemp")},
      {"short true", [&](R& r) { return r.ReportInvalidValue(p, true); }, iv("True", cur)},
      {"short integer", [&](R& r) { return r.ReportInvalidValue(p, -7, "%d"); }, iv("-7", cur)},
      {"short double", [&](R& r) { return r.ReportInvalidValue(p, -0.5, "%.3f"); },
       iv("-0.500", cur)},
      {"short text", [&](R& r) { return r.ReportInvalidValue(p, OLESTR("x")); }, iv("x", cur)},
      {"short counted text",
       [&](R& r) { return r.ReportInvalidValue(p, OleStringView(OLESTR("yz"), 1)); }, iv("y", cur)},
      {"short string", [&](R& r) { return r.ReportInvalidValue(p, OleString(OLESTR("s"))); },
       iv("s", cur)},
  };
  for (const InvalidCase& c : invalidCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.report(reporter_), E_IVI_INVALID_VALUE);
    EXPECT_EQ(TakeErrorText().description, c.description);
  }
}

TEST_F(ErrorReporterTest, OperationsWithoutInsertsReportTheirEntry) {
  using R = CKorvaneErrorReporter;
  struct Case {
    MessageId id;
    std::function<HRESULT(R&)> report;
  };
  const Case cases[] = {
      {kMsgPersonalityNotActive, [](R& r) { return r.ReportPersonalityNotActive(); }},
      {kMsgPersonalityNotInstalled, [](R& r) { return r.ReportPersonalityNotInstalled(); }},
      {kMsgAlreadyInitialized, [](R& r) { return r.ReportAlreadyInitialized(); }},
      {kMsgBadlyFormedSelector, [](R& r) { return r.ReportBadlyFormedSelector(); }},
      {kMsgCannotChangeSimulationState, [](R& r) { return r.ReportCannotChangeSimulationState(); }},
      {kMsgCannotOpenFile, [](R& r) { return r.ReportCannotOpenFile(); }},
      {kMsgCannotRecover, [](R& r) { return r.ReportCannotRecover(); }},
      {kMsgChannelNameRequired, [](R& r) { return r.ReportChannelNameRequired(); }},
      {kMsgFileNotFound, [](R& r) { return r.ReportFileNotFound(); }},
      {kMsgIdQueryFailed, [](R& r) { return r.ReportIdQueryFailed(); }},
      {kMsgInstrumentStatus, [](R& r) { return r.ReportInstrumentStatus(); }},
      {kMsgInvalidFileFormat, [](R& r) { return r.ReportInvalidFileFormat(); }},
      {kMsgInvalidPathname, [](R& r) { return r.ReportInvalidPathname(); }},
      {kMsgMissingOptionName, [](R& r) { return r.ReportMissingOptionName(); }},
      {kMsgMissingOptionValue, [](R& r) { return r.ReportMissingOptionValue(); }},
      {kMsgNotInitialized, [](R& r) { return r.ReportNotInitialized(); }},
      {kMsgOperationPending, [](R& r) { return r.ReportOperationPending(); }},
      {kMsgOutOfMemory, [](R& r) { return r.ReportOutOfMemory(); }},
      {kMsgReadingFile, [](R& r) { return r.ReportReadingFile(); }},
      {kMsgResetFailed, [](R& r) { return r.ReportResetFailed(); }},
      {kMsgResourceUnknown, [](R& r) { return r.ReportResourceUnknown(); }},
      {kMsgStatusNotAvailable, [](R& r) { return r.ReportStatusNotAvailable(); }},
      {kMsgTooManyOpenFiles, [](R& r) { return r.ReportTooManyOpenFiles(); }},
      {kMsgUnexpectedResponse, [](R& r) { return r.ReportUnexpectedResponse(); }},
      {kMsgUnknownChannelName, [](R& r) { return r.ReportUnknownChannelName(); }},
      {kMsgUnknownNameInSelector, [](R& r) { return r.ReportUnknownNameInSelector(); }},
      {kMsgUnknownPhysicalIdentifier, [](R& r) { return r.ReportUnknownPhysicalIdentifier(); }},
      {kMsgWritingFile, [](R& r) { return r.ReportWritingFile(); }},
      {kMsgNsupErrorQuery, [](R& r) { return r.WarnErrorQueryNotSupported(); }},
      {kMsgNsupIdQuery, [](R& r) { return r.WarnIdQueryNotSupported(); }},
      {kMsgNsupReset, [](R& r) { return r.WarnResetNotSupported(); }},
      {kMsgNsupRevQuery, [](R& r) { return r.WarnRevisionQueryNotSupported(); }},
      {kMsgNsupSelfTest, [](R& r) { return r.WarnSelfTestNotSupported(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    const MessageEntry* entry = FindMessage(c.id);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(c.report(reporter_), entry->status);
    EXPECT_EQ(TakeErrorText().description, Narrow(OleView(entry->text)));
  }
}

}  // namespace
}  // namespace korvane
