// IIviDriverOperation: the operation settings of the session. Of the six
// operation flags only Simulate acts; the others read fixed values and refuse
// to be set, and the interchange, coercion and invalidation methods are not
// supported.

#include "driver/korvane.h"
#include "platform/scoped_bstr.h"

namespace korvane {
namespace {

VARIANT_BOOL ToVariantBool(bool value) {
  return value ? VARIANT_TRUE : VARIANT_FALSE;
}

}  // namespace

HRESULT Korvane::IIviDriverOperation_get_LogicalName(BSTR* val) {
  *val = AllocBstr(LogicalName());
  return S_OK;
}

HRESULT Korvane::IIviDriverOperation_get_IoResourceDescriptor(BSTR* val) {
  *val = AllocBstr(IoResourceDescriptor());
  return S_OK;
}

// Cache, InterchangeCheck, QueryInstrumentStatus, RangeCheck and
// RecordCoercions: whatever the configuration set is stored but changes
// nothing, so the getters answer what the driver really does.

HRESULT Korvane::IIviDriverOperation_get_Cache(VARIANT_BOOL* val) {
  *val = VARIANT_FALSE;
  return S_OK;
}

HRESULT Korvane::IIviDriverOperation_put_Cache(VARIANT_BOOL) {
  return Reporter().ReportAttributeNotSupported(OLESTR("Cache"));
}

HRESULT Korvane::IIviDriverOperation_get_InterchangeCheck(VARIANT_BOOL* val) {
  *val = VARIANT_FALSE;
  return S_OK;
}

HRESULT Korvane::IIviDriverOperation_put_InterchangeCheck(VARIANT_BOOL) {
  return Reporter().ReportAttributeNotSupported(OLESTR("InterchangeCheck"));
}

HRESULT Korvane::IIviDriverOperation_get_QueryInstrumentStatus(VARIANT_BOOL* val) {
  *val = VARIANT_TRUE;
  return S_OK;
}

HRESULT Korvane::IIviDriverOperation_put_QueryInstrumentStatus(VARIANT_BOOL) {
  return Reporter().ReportAttributeNotSupported(OLESTR("QueryInstrumentStatus"));
}

HRESULT Korvane::IIviDriverOperation_get_RangeCheck(VARIANT_BOOL* val) {
  *val = VARIANT_TRUE;
  return S_OK;
}

HRESULT Korvane::IIviDriverOperation_put_RangeCheck(VARIANT_BOOL) {
  return Reporter().ReportAttributeNotSupported(OLESTR("RangeCheck"));
}

HRESULT Korvane::IIviDriverOperation_get_RecordCoercions(VARIANT_BOOL* val) {
  *val = VARIANT_FALSE;
  return S_OK;
}

HRESULT Korvane::IIviDriverOperation_put_RecordCoercions(VARIANT_BOOL) {
  return Reporter().ReportAttributeNotSupported(OLESTR("RecordCoercions"));
}

HRESULT Korvane::IIviDriverOperation_get_Simulate(VARIANT_BOOL* val) {
  *val = ToVariantBool(IsSimulating());
  return S_OK;
}

// A session opened on hardware may switch to simulation and back; a session
// opened simulated cannot leave simulation. The chassis connection is not
// touched either way: an open chassis stays open, idle while simulating.
HRESULT Korvane::IIviDriverOperation_put_Simulate(VARIANT_BOOL val) {
  const bool on = val != VARIANT_FALSE;
  if (InitialFlags().simulate && !on) return Reporter().ReportCannotChangeSimulationState();
  SetSimulating(on);
  return S_OK;
}

HRESULT Korvane::IIviDriverOperation_get_DriverSetup(BSTR* val) {
  *val = AllocBstr(DriverSetup());
  return S_OK;
}

HRESULT Korvane::IIviDriverOperation_InvalidateAllAttributes() {
  return Reporter().ReportFunctionNotSupported(OLESTR("InvalidateAllAttributes"));
}

HRESULT Korvane::IIviDriverOperation_ClearInterchangeWarnings() {
  return Reporter().ReportFunctionNotSupported(OLESTR("ClearInterchangeWarnings"));
}

HRESULT Korvane::IIviDriverOperation_GetNextInterchangeWarning(BSTR* val) {
  *val = AllocBstr(OleString());
  return Reporter().ReportFunctionNotSupported(OLESTR("GetNextInterchangeWarning"));
}

HRESULT Korvane::IIviDriverOperation_ResetInterchangeCheck() {
  return Reporter().ReportFunctionNotSupported(OLESTR("ResetInterchangeCheck"));
}

HRESULT Korvane::IIviDriverOperation_GetNextCoercionRecord(BSTR* val) {
  *val = AllocBstr(OleString());
  return Reporter().ReportFunctionNotSupported(OLESTR("GetNextCoercionRecord"));
}

}  // namespace korvane
