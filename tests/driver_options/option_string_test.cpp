// Option string processing: the flags, the DriverSetup tail and its items, the
// tables that record them, and the errors with their messages.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>

#include "diag/call_context.h"
#include "diag/error_reporter.h"
#include "diag/trace_log.h"
#include "driver/option_string.h"
#include "tests/support/error_info.h"

namespace korvane {
namespace {

constexpr HRESULT kInvalidValue = HRESULT(0x80047010);
constexpr HRESULT kBadOptionValue = HRESULT(0x8004704C);
constexpr HRESULT kUnexpected = HRESULT(0x8000FFFF);

// Reports are made inside an interface call; Initialize is the one running.
class InitializeCall : public ICallContextProvider {
 public:
  const CallContext& GetCallContext() const override { return context_; }

 private:
  CallContext context_{IID{}, "IIviDriver", "Initialize", OLESTR("Initialize"),
                       OLESTR("IIviDriver.Initialize")};
};

class OptionStringTest : public ::testing::Test {
 protected:
  void SetUp() override { SetErrorInfo(0, nullptr); }

  InitializeCall call;
  CKorvaneErrorReporter reporter{CLSID{}, call};
  OperationFlags flags;
  OleString driverSetup;
  NameValueTable optionTable;
  NameValueTable driverSetupTable;
  OleString model;
  CTraceLog trace;
  OptionTarget target{flags, driverSetup, optionTable, driverSetupTable, model, trace, reporter};
};

// --- Operation flags --------------------------------------------------------

struct FlagCase {
  const OLECHAR* options;
  OperationFlags expected;
};

class OptionFlagsTest : public OptionStringTest, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(OptionFlagsTest, SetsTheNamedFlags) {
  ASSERT_EQ(ProcessOptionString(target, GetParam().options), S_OK);
  EXPECT_EQ(flags, GetParam().expected);
  EXPECT_FALSE(korvane::testing::TakeErrorInfo().present);
}

constexpr OperationFlags kSimulating{.simulate = true};
constexpr OperationFlags kDefaults{};

INSTANTIATE_TEST_SUITE_P(
    Options, OptionFlagsTest,
    ::testing::Values(
        FlagCase{OLESTR(""), kDefaults}, FlagCase{OLESTR("Simulate=true"), kSimulating},
        FlagCase{OLESTR(" Simulate = true "), kSimulating},
        FlagCase{OLESTR("SIMULATE=TRUE"), kSimulating},
        FlagCase{OLESTR("simulate=vi_true"), kSimulating},
        FlagCase{OLESTR("Simulate=1"), kSimulating},
        FlagCase{OLESTR("Cache=false"), {.cache = false}},
        FlagCase{OLESTR("Cache=VI_FALSE, RangeCheck=0"), {.cache = false, .rangeCheck = false}},
        FlagCase{
            OLESTR("InterchangeCheck=true,QueryInstrStatus=true,RecordCoercions=true"),
            {.interchangeCheck = true, .queryInstrumentStatus = true, .recordCoercions = true}},
        // Not the recognized names: accepted and ignored.
        FlagCase{OLESTR("QueryInstrumentStatus=true"), kDefaults},
        FlagCase{OLESTR("Simulat=true, Foo=yes"), kDefaults},
        FlagCase{OLESTR("Simulate"), kDefaults},
        // A name given twice: the later wins.
        FlagCase{OLESTR("Simulate=true,Simulate=false"), kDefaults},
        FlagCase{OLESTR("Simulate=false,Simulate=true"), kSimulating},
        FlagCase{OLESTR(",, ,Cache=false,, ,"), {.cache = false}},
        FlagCase{OLESTR("Simulate=true=false"), kSimulating},
        // The DriverSetup tail comes last and takes what follows it.
        FlagCase{OLESTR("Simulate=true, DriverSetup= Model=Q7730A"), kSimulating},
        FlagCase{OLESTR("DriverSetup=Model=Q7730A, Simulate=true"), kDefaults}));

// --- Failures ---------------------------------------------------------------

struct FailureCase {
  const OLECHAR* options;
  HRESULT status;
  const OLECHAR* description;  // null: no error information
};

class OptionFailureTest : public OptionStringTest,
                          public ::testing::WithParamInterface<FailureCase> {};

TEST_P(OptionFailureTest, ReportsAndLeavesTheFlags) {
  EXPECT_EQ(ProcessOptionString(target, GetParam().options), GetParam().status);
  const korvane::testing::ErrorRecord error = korvane::testing::TakeErrorInfo();
  EXPECT_EQ(error.present, GetParam().description != nullptr);
  if (error.present) {
    EXPECT_EQ(error.description, OleString(GetParam().description));
  }
  EXPECT_EQ(flags, kDefaults);
}

INSTANTIATE_TEST_SUITE_P(
    Options, OptionFailureTest,
    ::testing::Values(
        FailureCase{OLESTR("Simulate=yes"), kBadOptionValue,
                    OLESTR("Korvane: The yes value in the option string is unknown.")},
        FailureCase{OLESTR("Cache =  Maybe Not "), kBadOptionValue,
                    OLESTR("Korvane: The Maybe Not value in the option string is unknown.")},
        // The keyword counts inside a longer word; what precedes it is the option part.
        FailureCase{OLESTR("Simulate=trueXDriverSetup=Model=Q7730A"), kBadOptionValue,
                    OLESTR("Korvane: The trueX value in the option string is unknown.")},
        FailureCase{OLESTR(" \t=true"), kInvalidValue,
                    OLESTR("Korvane: Invalid value (0) for method ProcessInitOption, parameter "
                           "strNameIn.")},
        FailureCase{OLESTR("Simulate= \t"), kInvalidValue,
                    OLESTR("Korvane: Invalid value (0) for method ProcessInitOption, parameter "
                           "strValueIn.")},
        FailureCase{OLESTR("Unknown= "), kInvalidValue,
                    OLESTR("Korvane: Invalid value (0) for method ProcessInitOption, parameter "
                           "strValueIn.")},
        FailureCase{OLESTR("DriverSetup=Trace=on"), kBadOptionValue,
                    OLESTR("Korvane: The on value in the option string is unknown.")},
        FailureCase{OLESTR("DriverSetup=TraceArray=2"), kBadOptionValue,
                    OLESTR("Korvane: The 2 value in the option string is unknown.")},
        // A failing tail keeps the option part from being applied.
        FailureCase{OLESTR("Simulate=true, DriverSetup=Trace=maybe"), kBadOptionValue,
                    OLESTR("Korvane: The maybe value in the option string is unknown.")},
        // Withdrawing a start request from a log that never ran: no message.
        FailureCase{OLESTR("DriverSetup=Trace=true, trace=false"), kUnexpected, nullptr}));

// --- The DriverSetup keyword ------------------------------------------------

struct KeywordCase {
  const OLECHAR* options;
  const OLECHAR* driverSetup;  // null: no tail, the earlier text is kept
  NameValueTable optionTable;
};

class DriverSetupKeywordTest : public OptionStringTest,
                               public ::testing::WithParamInterface<KeywordCase> {};

TEST_P(DriverSetupKeywordTest, SplitsTheTailFromTheOptions) {
  const NameValueTable earlierItems{{OLESTR("model"), OLESTR("earlier")}};
  driverSetup = OLESTR("Model=earlier");
  driverSetupTable = earlierItems;
  ASSERT_EQ(ProcessOptionString(target, GetParam().options), S_OK);
  if (GetParam().driverSetup) {
    EXPECT_EQ(driverSetup, GetParam().driverSetup);
  } else {
    EXPECT_EQ(driverSetup, OLESTR("Model=earlier"));
    EXPECT_EQ(driverSetupTable, earlierItems);
  }
  EXPECT_EQ(optionTable, GetParam().optionTable);
}

INSTANTIATE_TEST_SUITE_P(
    Options, DriverSetupKeywordTest,
    ::testing::Values(
        KeywordCase{OLESTR("Simulate=true, DriverSetup= Model=Q7730A, TraceName=run1"),
                    OLESTR(" Model=Q7730A, TraceName=run1"),
                    {{OLESTR("simulate"), OLESTR("true")}}},
        KeywordCase{OLESTR("driversetup =Model=m"), OLESTR("Model=m"), {}},
        KeywordCase{OLESTR("DriverSetup \t =Model=m"), OLESTR("Model=m"), {}},
        // Only a blank directly after the keyword opens the spaced form.
        KeywordCase{
            OLESTR("DriverSetup\t=Model=m"), nullptr, {{OLESTR("driversetup"), OLESTR("Model")}}},
        KeywordCase{
            OLESTR("DriverSetup x=Model=m"), nullptr, {{OLESTR("driversetup x"), OLESTR("Model")}}},
        // The joined form wins over an earlier spaced one.
        KeywordCase{OLESTR("DriverSetup =a, DriverSetup=Model=m"),
                    OLESTR("Model=m"),
                    {{OLESTR("driversetup"), OLESTR("a")}}},
        KeywordCase{OLESTR("XDRIVERSETUP=Model=m"), OLESTR("Model=m"), {}},
        KeywordCase{OLESTR("DriverSetup="), OLESTR(""), {}},
        KeywordCase{OLESTR("DriverSetup=Model=Q7730A,TraceName=Run1 ,x, Cache=false"),
                    OLESTR("Model=Q7730A,TraceName=Run1 ,x, Cache=false"),
                    {}},
        KeywordCase{OLESTR("Simulate=1"), nullptr, {{OLESTR("simulate"), OLESTR("1")}}}));

TEST_F(OptionStringTest, OptionsInTheTailAreDriverSetupItems) {
  ASSERT_EQ(ProcessOptionString(target, OLESTR("DriverSetup=Simulate=true, Cache=false")), S_OK);
  EXPECT_EQ(flags, kDefaults);
  EXPECT_EQ(driverSetupTable, (NameValueTable{{OLESTR("cache"), OLESTR("false")},
                                              {OLESTR("simulate"), OLESTR("true")}}));
}

// --- Tables -----------------------------------------------------------------

TEST_F(OptionStringTest, OptionTableRecordsAcceptedOptionsUnderLowerCaseNames) {
  optionTable = {{OLESTR("stale"), OLESTR("x")}};
  ASSERT_EQ(ProcessOptionString(target, OLESTR("Simulate=True, Foo = Bar Baz , CACHE=0")), S_OK);
  EXPECT_EQ(optionTable, (NameValueTable{{OLESTR("cache"), OLESTR("0")},
                                         {OLESTR("foo"), OLESTR("Bar Baz")},
                                         {OLESTR("simulate"), OLESTR("True")}}));
}

TEST_F(OptionStringTest, EmptyOptionStringOnlyEmptiesTheOptionTable) {
  optionTable = {{OLESTR("stale"), OLESTR("x")}};
  driverSetup = OLESTR("Model=kept");
  driverSetupTable = {{OLESTR("model"), OLESTR("kept")}};
  ASSERT_EQ(ProcessOptionString(target, OLESTR("")), S_OK);
  EXPECT_TRUE(optionTable.empty());
  EXPECT_EQ(driverSetup, OLESTR("Model=kept"));
  EXPECT_EQ(driverSetupTable, (NameValueTable{{OLESTR("model"), OLESTR("kept")}}));
}

TEST_F(OptionStringTest, DriverSetupTableRecordsEveryItemUpToTheFailingOne) {
  driverSetupTable = {{OLESTR("stale"), OLESTR("x")}};
  EXPECT_EQ(ProcessDriverSetup(target, OLESTR("Model=A, Bogus = Some Thing, Trace=maybe")),
            kBadOptionValue);
  EXPECT_EQ(driverSetup, OLESTR("Model=A, Bogus = Some Thing, Trace=maybe"));
  EXPECT_EQ(driverSetupTable, (NameValueTable{{OLESTR("bogus"), OLESTR("Some Thing")},
                                              {OLESTR("model"), OLESTR("A")},
                                              {OLESTR("trace"), OLESTR("maybe")}}));
  EXPECT_EQ(model, OLESTR("A"));
}

// --- DriverSetup items ------------------------------------------------------

struct ItemsCase {
  const OLECHAR* text;
  const OLECHAR* fileName;
  const OLECHAR* stylesheet;
  int32_t sizeMax;
  bool arrayEnabled;
  int32_t arraySizeMax;
  int32_t saveInterval;
  const OLECHAR* model;
};

class DriverSetupItemsTest : public OptionStringTest,
                             public ::testing::WithParamInterface<ItemsCase> {};

TEST_P(DriverSetupItemsTest, SetTheTraceSettingsAndModel) {
  const ItemsCase& item = GetParam();
  ASSERT_EQ(ProcessDriverSetup(target, item.text), S_OK);
  EXPECT_EQ(trace.fileName(), item.fileName);
  EXPECT_EQ(trace.stylesheet(), item.stylesheet);
  EXPECT_EQ(trace.sizeMax(), item.sizeMax);
  EXPECT_EQ(trace.arrayEnabled(), item.arrayEnabled);
  EXPECT_EQ(trace.arraySizeMax(), item.arraySizeMax);
  EXPECT_EQ(trace.saveIntervalMinutes(), item.saveInterval);
  EXPECT_EQ(model, item.model);
  EXPECT_FALSE(trace.enabled());
}

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Items, DriverSetupItemsTest,
    ::testing::Values(
        ItemsCase{OLESTR(""), OLESTR(""), OLESTR(""), 1000000, false, 10, 1, OLESTR("")},
        ItemsCase{OLESTR("TraceName=run1, TraceTransform=my.xslt, TraceSizeMax=5000, "
                         "TraceArray=true, TraceArraySizeMax=20, TraceSaveInterval=3, "
                         "Model=Q7730A"),
                  OLESTR("run1"), OLESTR("my.xslt"), 5000, true, 20, 3, OLESTR("Q7730A")},
        ItemsCase{OLESTR("tracename=Run1.XML, TRACESIZEMAX=7, traceArray=VI_TRUE, mOdEl=x"),
                  OLESTR("Run1.XML"), OLESTR(""), 7, true, 10, 1, OLESTR("x")},
        // Numbers are read up to the first character that is not a digit.
        ItemsCase{OLESTR("TraceSizeMax=12abc, TraceArraySizeMax=abc, TraceSaveInterval=-4x"),
                  OLESTR(""), OLESTR(""), 12, false, 0, -4, OLESTR("")},
        ItemsCase{OLESTR("TraceSizeMax=+15, TraceArraySizeMax=- 5, TraceSaveInterval=3 4"),
                  OLESTR(""), OLESTR(""), 15, false, 0, 3, OLESTR("")},
        ItemsCase{OLESTR("TraceSizeMax=99999999999, TraceSaveInterval=-99999999999"), OLESTR(""),
                  OLESTR(""), kMax, false, 10, kMin, OLESTR("")},
        ItemsCase{OLESTR("TraceName=a, TraceName=b, Unknown=1, TraceArray=0"), OLESTR("b"),
                  OLESTR(""), 1000000, false, 10, 1, OLESTR("")}));

TEST_F(OptionStringTest, NumericItemSkipsLeadingWhiteSpace) {
  ASSERT_EQ(ProcessDriverSetupItem(target, OLESTR("TraceSizeMax"), OLESTR(" \t-42 ")), S_OK);
  EXPECT_EQ(trace.sizeMax(), -42);
  EXPECT_EQ(driverSetupTable, (NameValueTable{{OLESTR("tracesizemax"), OLESTR(" \t-42 ")}}));
}

// --- The Trace item and the log's start request -----------------------------

struct TraceCase {
  bool requested;  // a start request before the text is applied
  const OLECHAR* text;
  HRESULT status;
  bool requestedAfter;
};

class TraceItemTest : public OptionStringTest, public ::testing::WithParamInterface<TraceCase> {};

TEST_P(TraceItemTest, SetsOrWithdrawsTheStartRequest) {
  trace.SetStartRequest(GetParam().requested);
  EXPECT_EQ(ProcessDriverSetup(target, GetParam().text), GetParam().status);
  EXPECT_EQ(trace.enabled(), GetParam().requestedAfter);
  EXPECT_EQ(trace.state(), TraceState::kStopped);
  EXPECT_FALSE(korvane::testing::TakeErrorInfo().present);
}

INSTANTIATE_TEST_SUITE_P(Items, TraceItemTest,
                         ::testing::Values(TraceCase{false, OLESTR("Trace=false"), S_OK, false},
                                         TraceCase{false, OLESTR("Trace=true"), S_OK, true},
                                         TraceCase{false, OLESTR("trace=VI_TRUE"), S_OK, true},
                                         TraceCase{true, OLESTR("Trace=true"), S_OK, true},
                                         TraceCase{true, OLESTR("Trace=0"), kUnexpected, true},
                                         TraceCase{false, OLESTR("Trace=true, trace=false"),
                                                   kUnexpected, true}));

// A log that has run is stopped by Trace=false, and the request withdrawn.
TEST_F(OptionStringTest, TraceFalseStopsARunningLog) {
  std::filesystem::path file;
  {
    CTraceLog running;
    running.SetFileName(OLESTR("driver_options_trace_false"));
    ASSERT_EQ(running.Start(), S_OK);
    running.SetStartRequest(true);
    file = OleToAnsi(running.filePath());
    const OptionTarget onRunning{flags, driverSetup, optionTable, driverSetupTable,
                                 model, running,     reporter};
    EXPECT_EQ(ProcessDriverSetup(onRunning, OLESTR("Trace=false")), S_OK);
    EXPECT_EQ(running.state(), TraceState::kStopped);
    EXPECT_FALSE(running.enabled());
  }
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace korvane
