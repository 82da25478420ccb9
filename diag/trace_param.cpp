#include "diag/trace_param.h"

#include <array>
#include <string_view>

#include "diag/trace_text.h"

namespace korvane {

namespace {

constexpr std::string_view kUnknown = "(unknown)";

// Automation type names, indexed by the base variant type.
constexpr std::array<std::string_view, 22> kTypeNames = {
    "",       "",          "Int16",  "Int32",   "Single",  "Double",   "", "",
    "String", "IDispatch", "",       "Boolean", "VARIANT", "IUnknown", "", "",
    "Char",   "Byte",      "UInt16", "UInt32",  "Int64",   "UInt64"};

void AppendBstr(std::string& out, BSTR text) {
  if (text == nullptr) {
    out += "(null)";
    return;
  }
  AppendAnsiText(out, text, SysStringLen(text));
}

// The value of a variant that holds no reference.
void AppendScalar(std::string& out, const VARIANT& v) {
  switch (v.vt) {
    case VT_EMPTY:
      out += "(empty)";
      break;
    case VT_I1:
      AppendDecimal(out, v.cVal);
      break;
    case VT_UI1:
      AppendDecimal(out, v.bVal);
      break;
    case VT_I2:
      AppendDecimal(out, v.iVal);
      break;
    case VT_UI2:
      AppendDecimal(out, v.uiVal);
      break;
    case VT_I4:
      AppendDecimal(out, v.lVal);
      break;
    case VT_INT:
      AppendDecimal(out, v.intVal);
      break;
    // "%d" of the 32 bits, as the file has always shown unsigned values.
    case VT_UI4:
      AppendDecimal(out, static_cast<int32_t>(v.ulVal));
      break;
    case VT_UINT:
      AppendDecimal(out, static_cast<int32_t>(v.uintVal));
      break;
    case VT_I8:
      AppendDecimal(out, v.llVal);
      break;
    case VT_UI8:
      AppendUnsigned(out, v.ullVal);
      break;
    case VT_R4:
      AppendGeneral15(out, v.fltVal);
      break;
    case VT_R8:
      AppendGeneral15(out, v.dblVal);
      break;
    case VT_BOOL:
      out += v.boolVal != VARIANT_FALSE ? "true" : "false";
      break;
    case VT_BSTR:
      AppendBstr(out, v.bstrVal);
      break;
    case VT_UNKNOWN:
    case VT_DISPATCH:
      out += "(interface)";
      break;
    default:
      out += kUnknown;
      break;
  }
}

// Reads a reference into a value variant of the base type. Returns false for
// a type whose referenced value is not shown.
bool ReadThrough(const VARIANT& ref, VARIANT& v) {
  v.vt = ref.vt & VT_TYPEMASK;
  switch (v.vt) {
    case VT_I1:
      v.cVal = *ref.pcVal;
      return true;
    case VT_UI1:
      v.bVal = *ref.pbVal;
      return true;
    case VT_I2:
      v.iVal = *ref.piVal;
      return true;
    case VT_UI2:
      v.uiVal = *ref.puiVal;
      return true;
    case VT_I4:
      v.lVal = *ref.plVal;
      return true;
    case VT_INT:
      v.intVal = *ref.pintVal;
      return true;
    case VT_UI4:
      v.ulVal = *ref.pulVal;
      return true;
    case VT_UINT:
      v.uintVal = *ref.puintVal;
      return true;
    case VT_I8:
      v.llVal = *ref.pllVal;
      return true;
    case VT_UI8:
      v.ullVal = *ref.pullVal;
      return true;
    case VT_R4:
      v.fltVal = *ref.pfltVal;
      return true;
    case VT_R8:
      v.dblVal = *ref.pdblVal;
      return true;
    case VT_BOOL:
      v.boolVal = *ref.pboolVal;
      return true;
    case VT_BSTR:
      v.bstrVal = *ref.pbstrVal;
      return true;
    case VT_UNKNOWN:
      v.punkVal = *ref.ppunkVal;
      return true;
    case VT_DISPATCH:
      v.pdispVal = *ref.ppdispVal;
      return true;
    default:
      return false;
  }
}

}  // namespace

void AppendTraceDataType(std::string& out, VARTYPE type) {
  const VARTYPE base = type & VT_TYPEMASK;
  std::string_view name = base < kTypeNames.size() ? kTypeNames[base] : std::string_view{};
  if (name.empty()) {
    out += kUnknown;
    return;
  }
  out += name;
  if (type & VT_ARRAY) out += "[]";
}

void AppendTraceValue(std::string& out, const VARIANT& value) {
  const VARTYPE type = value.vt;
  if (type & VT_ARRAY) {  // arrays do not occur among this driver's parameters
    out += kUnknown;
    return;
  }
  if (!(type & VT_BYREF)) {
    AppendScalar(out, value);
    return;
  }
  if ((type & VT_TYPEMASK) == VT_VARIANT) {
    out += "(variant)";
    return;
  }
  VARIANT target;
  if (value.byref == nullptr || !ReadThrough(value, target)) {
    out += kUnknown;
    return;
  }
  AppendScalar(out, target);
}

}  // namespace korvane
