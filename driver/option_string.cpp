#include "driver/option_string.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

namespace korvane {

namespace {

constexpr OleStringView kNameValueSeparators = OLESTR(",=");

// The white space of the C locale: blank, tab, line feed, vertical tab, form
// feed, carriage return.
bool IsWhiteSpace(OLECHAR c) {
  return c == OLECHAR(' ') || (c >= OLECHAR('\t') && c <= OLECHAR('\r'));
}

OleStringView Trim(OleStringView text) {
  while (!text.empty() && IsWhiteSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsWhiteSpace(text.back())) text.remove_suffix(1);
  return text;
}

OLECHAR UpperCaseAscii(OLECHAR c) {
  return (c >= OLECHAR('a') && c <= OLECHAR('z')) ? OLECHAR(c - 'a' + 'A') : c;
}

bool EqualsIgnoringCase(OleStringView a, OleStringView b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](OLECHAR x, OLECHAR y) { return UpperCaseAscii(x) == UpperCaseAscii(y); });
}

// Position of the first occurrence of `upperNeedle` (written in upper case) in
// `text` read as upper case, or npos.
size_t FindIgnoringCase(OleStringView text, OleStringView upperNeedle) {
  const auto found =
      std::search(text.begin(), text.end(), upperNeedle.begin(), upperNeedle.end(),
                  [](OLECHAR c, OLECHAR upper) { return UpperCaseAscii(c) == upper; });
  return found == text.end() ? OleStringView::npos : size_t(found - text.begin());
}

// "true", "VI_TRUE", "1", "false", "VI_FALSE", "0", in any letter case.
std::optional<bool> ParseBoolean(OleStringView value) {
  for (OleStringView word : {OLESTR("true"), OLESTR("VI_TRUE"), OLESTR("1")}) {
    if (EqualsIgnoringCase(value, word)) return true;
  }
  for (OleStringView word : {OLESTR("false"), OLESTR("VI_FALSE"), OLESTR("0")}) {
    if (EqualsIgnoringCase(value, word)) return false;
  }
  return std::nullopt;
}

// A decimal integer read like strtol in base 10 with a 32-bit long: leading
// white space and a sign, digits up to the first other character, 0 without
// digits, the nearest limit on overflow.
int32_t ParseDecimal(OleStringView text) {
  size_t i = 0;
  while (i < text.size() && IsWhiteSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == OLECHAR('+') || text[i] == OLECHAR('-'))) {
    negative = text[i] == OLECHAR('-');
    ++i;
  }
  constexpr int64_t kBeyondLimit = int64_t{1} << 31;  // magnitude of INT32_MIN
  int64_t magnitude = 0;
  for (; i < text.size() && text[i] >= OLECHAR('0') && text[i] <= OLECHAR('9'); ++i) {
    magnitude = std::min(magnitude * 10 + (text[i] - OLECHAR('0')), kBeyondLimit);
  }
  if (negative) return int32_t(-magnitude);
  return int32_t(std::min<int64_t>(magnitude, std::numeric_limits<int32_t>::max()));
}

// Where the DriverSetup keyword starts and where its tail (after the "=")
// begins. The keyword is "DRIVERSETUP=" anywhere, in any letter case; failing
// that, the first "DRIVERSETUP " counts when only white space separates it
// from an "=".
struct DriverSetupKeyword {
  size_t start;
  size_t tail;
};

std::optional<DriverSetupKeyword> FindDriverSetupKeyword(OleStringView options) {
  constexpr OleStringView kJoined = OLESTR("DRIVERSETUP=");
  constexpr OleStringView kSpaced = OLESTR("DRIVERSETUP ");
  if (size_t start = FindIgnoringCase(options, kJoined); start != OleStringView::npos) {
    return DriverSetupKeyword{start, start + kJoined.size()};
  }
  const size_t start = FindIgnoringCase(options, kSpaced);
  if (start == OleStringView::npos) return std::nullopt;
  size_t i = start + kSpaced.size();
  while (i < options.size() && IsWhiteSpace(options[i])) ++i;
  if (i == options.size() || options[i] != OLECHAR('=')) return std::nullopt;
  return DriverSetupKeyword{start, i + 1};
}

struct FlagOption {
  OleStringView name;
  bool OperationFlags::*flag;
};

constexpr FlagOption kFlagOptions[] = {
    {OLESTR("cache"), &OperationFlags::cache},
    {OLESTR("interchangecheck"), &OperationFlags::interchangeCheck},
    {OLESTR("queryinstrstatus"), &OperationFlags::queryInstrumentStatus},
    {OLESTR("rangecheck"), &OperationFlags::rangeCheck},
    {OLESTR("recordcoercions"), &OperationFlags::recordCoercions},
    {OLESTR("simulate"), &OperationFlags::simulate},
};

bool OperationFlags::*FindFlag(OleStringView name) {
  for (const FlagOption& option : kFlagOptions) {
    if (EqualsIgnoringCase(name, option.name)) return option.flag;
  }
  return nullptr;
}

// Reads a boolean value into `on`. Any other value is reported as a bad option
// value and leaves `on` as it was.
HRESULT ReadBoolean(const OptionTarget& target, OleStringView value, bool& on) {
  const std::optional<bool> parsed = ParseBoolean(value);
  if (!parsed) return target.reporter.ReportBadOptionValue(OleString(value).c_str());
  on = *parsed;
  return S_OK;
}

// Trace=true requests tracing from Initialize on. Trace=false withdraws a
// request and stops the log; a log that is already stopped refuses it with
// E_UNEXPECTED and keeps the request.
HRESULT RequestTrace(CTraceLog& trace, bool on) {
  if (on) {
    trace.SetStartRequest(true);
    return S_OK;
  }
  if (!trace.enabled()) return S_OK;
  if (trace.state() == TraceState::kStopped) return E_UNEXPECTED;  // the request stays set
  trace.Stop();
  trace.SetStartRequest(false);
  return S_OK;
}

HRESULT ApplyDriverSetupItem(const OptionTarget& target, OleStringView name, OleStringView value) {
  const auto is = [name](OleStringView item) { return EqualsIgnoringCase(name, item); };
  CTraceLog& trace = target.trace;
  if (is(OLESTR("Model"))) {
    target.model = value;
  } else if (is(OLESTR("Trace"))) {
    bool on = false;
    if (const HRESULT status = ReadBoolean(target, value, on); FAILED(status)) return status;
    return RequestTrace(trace, on);
  } else if (is(OLESTR("TraceName"))) {
    trace.SetFileName(OleString(value));
  } else if (is(OLESTR("TraceSizeMax"))) {
    trace.SetSizeMax(ParseDecimal(value));
  } else if (is(OLESTR("TraceArray"))) {
    bool on = false;
    if (const HRESULT status = ReadBoolean(target, value, on); FAILED(status)) return status;
    trace.SetArrayEnabled(on);
  } else if (is(OLESTR("TraceArraySizeMax"))) {
    trace.SetArraySizeMax(ParseDecimal(value));
  } else if (is(OLESTR("TraceSaveInterval"))) {
    trace.SetSaveInterval(ParseDecimal(value));
  } else if (is(OLESTR("TraceTransform"))) {
    trace.SetStylesheet(OleString(value));
  }
  return S_OK;
}

}  // namespace

void ParseOptions(OleStringView text, NameValueTable& table) {
  size_t pos = 0;
  while (pos < text.size()) {
    if (kNameValueSeparators.find(text[pos]) != OleStringView::npos) {
      ++pos;
      continue;
    }
    // A run of name characters matches only when an "=" and at least one value
    // character follow it; otherwise no start inside the run can match either.
    const size_t equals = std::min(text.find_first_of(kNameValueSeparators, pos), text.size());
    if (equals == text.size() || text[equals] != OLECHAR('=')) {
      pos = equals;
      continue;
    }
    const size_t valueEnd =
        std::min(text.find_first_of(kNameValueSeparators, equals + 1), text.size());
    if (valueEnd == equals + 1) {
      pos = valueEnd;
      continue;
    }
    const OleStringView name = Trim(text.substr(pos, equals - pos));
    const OleStringView value = Trim(text.substr(equals + 1, valueEnd - equals - 1));
    table.insert_or_assign(OleString(name), OleString(value));
    pos = valueEnd;
  }
}

HRESULT ProcessOptionString(const OptionTarget& target, OleStringView optionString) {
  target.optionTable.clear();
  OleStringView optionPart = optionString;
  if (const auto keyword = FindDriverSetupKeyword(optionString)) {
    const HRESULT status = ProcessDriverSetup(target, optionString.substr(keyword->tail));
    if (FAILED(status)) return status;
    optionPart = optionString.substr(0, keyword->start);
  }
  NameValueTable options;
  ParseOptions(optionPart, options);
  for (const auto& [name, value] : options) {
    const HRESULT status = ProcessInitOption(target, name, value);
    if (FAILED(status)) return status;
  }
  return S_OK;
}

HRESULT ProcessInitOption(const OptionTarget& target, OleStringView name, OleStringView value) {
  if (name.empty() || value.empty()) {
    return target.reporter.ReportInvalidValue(
        OLESTR("ProcessInitOption"), name.empty() ? OLESTR("strNameIn") : OLESTR("strValueIn"),
        int32_t{0}, "%d");
  }
  if (bool OperationFlags::*flag = FindFlag(name)) {
    const HRESULT status = ReadBoolean(target, value, target.flags.*flag);
    if (FAILED(status)) return status;
  }
  target.optionTable.insert_or_assign(LowerCaseKey(name), OleString(value));
  return S_OK;
}

HRESULT ProcessDriverSetup(const OptionTarget& target, OleStringView text) {
  target.driverSetupTable.clear();
  target.driverSetup = text;
  NameValueTable items;
  ParseOptions(text, items);
  for (const auto& [name, value] : items) {
    const HRESULT status = ProcessDriverSetupItem(target, name, value);
    if (FAILED(status)) return status;
  }
  return S_OK;
}

HRESULT ProcessDriverSetupItem(const OptionTarget& target, OleStringView name,
                               OleStringView value) {
  const HRESULT status = ApplyDriverSetupItem(target, name, value);
  target.driverSetupTable.insert_or_assign(LowerCaseKey(name), OleString(value));
  return status;
}

}  // namespace korvane
