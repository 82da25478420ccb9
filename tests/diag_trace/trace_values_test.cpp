// The text the trace file shows for values, data types and reserved characters.
#include <gtest/gtest.h>

#include <string>

#include "diag/trace_param.h"
#include "diag/trace_xml.h"

namespace korvane {
namespace {

VARIANT Variant(VARTYPE type) {
  VARIANT v;
  VariantInit(&v);
  v.vt = type;
  return v;
}

TEST(TraceValues, ValuesAndDataTypesFollowTheAutomationType) {
  BSTR text = SysAllocString(OLESTR("Q7730A"));
  BSTR nullText = nullptr;
  LONG count = 6;
  double volts = 3.3;
  VARIANT_BOOL yes = VARIANT_TRUE;
  IUnknown* none = nullptr;
  VARIANT inner = Variant(VT_I4);

  struct Case {
    VARIANT value;
    const char* text;
    const char* type;
  };
  auto with = [](VARIANT v, auto set) {
    set(v);
    return v;
  };
  const Case cases[] = {
      {with(Variant(VT_I2), [](VARIANT& v) { v.iVal = -12; }), "-12", "Int16"},
      {with(Variant(VT_I4), [](VARIANT& v) { v.lVal = 1150028; }), "1150028", "Int32"},
      {with(Variant(VT_UI4), [](VARIANT& v) { v.ulVal = 0xFFFFFFFF; }), "-1", "UInt32"},
      {with(Variant(VT_UI1), [](VARIANT& v) { v.bVal = 200; }), "200", "Byte"},
      {with(Variant(VT_I8), [](VARIANT& v) { v.llVal = -5000000000LL; }), "-5000000000", "Int64"},
      {with(Variant(VT_R4), [](VARIANT& v) { v.fltVal = 0.5f; }), "0.5", "Single"},
      {with(Variant(VT_R8), [](VARIANT& v) { v.dblVal = 0.1; }), "0.1", "Double"},
      {with(Variant(VT_R8), [](VARIANT& v) { v.dblVal = 1.0 / 3; }), "0.333333333333333", "Double"},
      {with(Variant(VT_R8), [](VARIANT& v) { v.dblVal = 2.5e-300; }), "2.5e-300", "Double"},
      {with(Variant(VT_BOOL), [](VARIANT& v) { v.boolVal = VARIANT_FALSE; }), "false", "Boolean"},
      {with(Variant(VT_BOOL), [](VARIANT& v) { v.boolVal = 1; }), "true", "Boolean"},
      {with(Variant(VT_BSTR), [&](VARIANT& v) { v.bstrVal = text; }), "Q7730A", "String"},
      {with(Variant(VT_BSTR), [](VARIANT& v) { v.bstrVal = nullptr; }), "(null)", "String"},
      {Variant(VT_EMPTY), "(empty)", "(unknown)"},
      {with(Variant(VT_UNKNOWN), [](VARIANT& v) { v.punkVal = nullptr; }), "(interface)",
       "IUnknown"},
      {Variant(VT_DISPATCH), "(interface)", "IDispatch"},
      {with(Variant(VT_I4 | VT_BYREF), [&](VARIANT& v) { v.plVal = &count; }), "6", "Int32"},
      {with(Variant(VT_R8 | VT_BYREF), [&](VARIANT& v) { v.pdblVal = &volts; }), "3.3", "Double"},
      {with(Variant(VT_BOOL | VT_BYREF), [&](VARIANT& v) { v.pboolVal = &yes; }), "true",
       "Boolean"},
      {with(Variant(VT_BSTR | VT_BYREF), [&](VARIANT& v) { v.pbstrVal = &text; }), "Q7730A",
       "String"},
      {with(Variant(VT_BSTR | VT_BYREF), [&](VARIANT& v) { v.pbstrVal = &nullText; }), "(null)",
       "String"},
      {with(Variant(VT_UNKNOWN | VT_BYREF), [&](VARIANT& v) { v.ppunkVal = &none; }), "(interface)",
       "IUnknown"},
      {with(Variant(VT_VARIANT | VT_BYREF), [&](VARIANT& v) { v.pvarVal = &inner; }), "(variant)",
       "VARIANT"},
      {Variant(VT_I4 | VT_ARRAY), "(unknown)", "Int32[]"},
      {Variant(VT_DATE), "(unknown)", "(unknown)"},
      {Variant(VT_CY | VT_ARRAY), "(unknown)", "(unknown)"},
  };
  for (const Case& c : cases) {
    std::string value, type;
    AppendTraceValue(value, c.value);
    AppendTraceDataType(type, c.value.vt);
    EXPECT_EQ(value, c.text) << "variant type " << c.value.vt;
    EXPECT_EQ(type, c.type) << "variant type " << c.value.vt;
  }
  SysFreeString(text);
}

TEST(TraceValues, ParameterRecordsCarryTheirTypeDirectionAndScalarCount) {
  enum Source : LONG { kExternal = 2 };
  Source source = kExternal;
  IUnknown* item = nullptr;
  const TraceParam params[] = {TraceParam::In("Trig", LONG{3}), TraceParam::In("Bus", kExternal),
                               TraceParam::Out("val", &source), TraceParam::Out("val", &item)};
  const VARTYPE types[] = {VT_I4, VT_I4, VT_I4 | VT_BYREF, VT_UNKNOWN | VT_BYREF};
  const int directions[] = {kTraceIn, kTraceIn, kTraceOut, kTraceOut};
  for (size_t i = 0; i < std::size(params); ++i) {
    EXPECT_EQ(params[i].value.vt, types[i]) << i;
    EXPECT_EQ(params[i].direction, directions[i]) << i;
    EXPECT_EQ(params[i].elementCount, -1) << i;
  }
  std::string enumValue;
  AppendTraceValue(enumValue, params[2].value);
  EXPECT_EQ(enumValue, "2");
}

TEST(TraceValues, ReservedCharactersAreEscaped) {
  const struct {
    const char* raw;
    const char* escaped;
  } cases[] = {
      {"plain text 1.5", "plain text 1.5"},
      {"a&b", "a&amp;b"},
      {"<tag>", "&lt;tag&gt;"},
      {"say \"hi\" 'there'", "say &quot;hi&quot; &apos;there&apos;"},
      {"tab\tcr\rlf\n", "tab&#9;cr&#13;lf&#10;"},
      {"bell\x07", "bell?"},
      {"&amp;", "&amp;amp;"},
  };
  for (const auto& c : cases) {
    std::string out;
    AppendXmlEscaped(out, c.raw);
    EXPECT_EQ(out, c.escaped);
  }
}

}  // namespace
}  // namespace korvane
