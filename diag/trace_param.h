#pragma once
// One parameter of a traced call, as the entry point hands it to its
// CMethodTrace, and the trace file's text for its value and data type.

#include <cstdint>
#include <string>
#include <type_traits>

#include "platform/win32.h"

namespace korvane {

enum : int32_t {
  kTraceIn = 0,   // an input passed by value, written as "In"
  kTraceOut = 1,  // a pointer read when the call ends, written as "Out"
};

// The record is a plain aggregate so that CMethodTrace can keep 25 of them on
// the stack without initializing any when tracing is off. Its variant borrows:
// the BSTR of an input and the pointers of outputs stay the caller's, and
// they outlive the record (both live for the entry point's call), so the
// variant is never cleared and a record costs a few stores to build.
struct TraceParam {
  const char* name;
  VARIANT value;
  int32_t direction;
  int32_t elementCount;  // -1 for scalars

  static TraceParam In(const char* name, BSTR value) {
    TraceParam p = Make(name, VT_BSTR, kTraceIn);
    p.value.bstrVal = value;
    return p;
  }
  static TraceParam In(const char* name, LONG value) {
    TraceParam p = Make(name, VT_I4, kTraceIn);
    p.value.lVal = value;
    return p;
  }
  static TraceParam In(const char* name, double value) {
    TraceParam p = Make(name, VT_R8, kTraceIn);
    p.value.dblVal = value;
    return p;
  }
  static TraceParam In(const char* name, VARIANT_BOOL value) {
    TraceParam p = Make(name, VT_BOOL, kTraceIn);
    p.value.boolVal = value;
    return p;
  }
  // Enumerations travel as Int32.
  template <class E>
  requires std::is_enum_v<E>
  static TraceParam In(const char* name, E value) { return In(name, static_cast<LONG>(value)); }

  static TraceParam Out(const char* name, BSTR* value) {
    TraceParam p = Make(name, VT_BSTR | VT_BYREF, kTraceOut);
    p.value.pbstrVal = value;
    return p;
  }
  static TraceParam Out(const char* name, LONG* value) {
    TraceParam p = Make(name, VT_I4 | VT_BYREF, kTraceOut);
    p.value.plVal = value;
    return p;
  }
  static TraceParam Out(const char* name, double* value) {
    TraceParam p = Make(name, VT_R8 | VT_BYREF, kTraceOut);
    p.value.pdblVal = value;
    return p;
  }
  static TraceParam Out(const char* name, VARIANT_BOOL* value) {
    TraceParam p = Make(name, VT_BOOL | VT_BYREF, kTraceOut);
    p.value.pboolVal = value;
    return p;
  }
  // Any interface out-pointer (IKorvaneSystem** and the like).
  template <class I>
  requires std::is_base_of_v<IUnknown, I>
  static TraceParam Out(const char* name, I** value) {
    TraceParam p = Make(name, VT_UNKNOWN | VT_BYREF, kTraceOut);
    p.value.ppunkVal = reinterpret_cast<IUnknown**>(value);
    return p;
  }
  template <class E>
  requires std::is_enum_v<E>
  static TraceParam Out(const char* name, E* value) {
    static_assert(sizeof(E) == sizeof(LONG), "automation enumerations are 32-bit");
    return Out(name, reinterpret_cast<LONG*>(value));
  }

 private:
  static TraceParam Make(const char* name, VARTYPE type, int32_t direction) {
    TraceParam p;
    p.name = name;
    p.value.vt = type;
    p.direction = direction;
    p.elementCount = -1;
    return p;
  }
};

// "Int32", "String", "Boolean[]", ... or "(unknown)", from the variant type.
void AppendTraceDataType(std::string& out, VARTYPE type);

// The value as the trace file shows it; pointers are read through.
void AppendTraceValue(std::string& out, const VARIANT& value);

}  // namespace korvane
