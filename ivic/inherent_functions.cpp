// The exported session and inherent functions of the C face.
#include "ivic/Korvane.h"
#include "ivic/session_bridge.h"
#include "standins/ivi_session/ivi_session.h"

using korvane::ScopedBstr;
using namespace korvane::ivic;

namespace {

ViStatus NullParameter(ViSession vi, const char* message) {
  return StoreMessage(vi, IVI_ERROR_NULL_POINTER, message);
}

}  // namespace

extern "C" {

ViStatus Korvane_init(ViRsrc ResourceName, ViBoolean IdQuery, ViBoolean Reset, ViSession* Vi) {
  return Korvane_InitWithOptions(ResourceName, IdQuery, Reset, "", Vi);
}

ViStatus Korvane_InitWithOptions(ViRsrc ResourceName, ViBoolean IdQuery, ViBoolean Reset,
                                 ViConstString OptionString, ViSession* Vi) {
  return Guarded([&] { return OpenSession(ResourceName, IdQuery, Reset, OptionString, Vi); });
}

ViStatus Korvane_close(ViSession Vi) {
  return Guarded([&] { return CloseSession(Vi); });
}

ViStatus Korvane_LockSession(ViSession Vi, ViBoolean* CallerHasLock) {
  return IviSession_Lock(Vi, CallerHasLock);
}

ViStatus Korvane_UnlockSession(ViSession Vi, ViBoolean* CallerHasLock) {
  return IviSession_Unlock(Vi, CallerHasLock);
}

ViStatus Korvane_GetError(ViSession Vi, ViStatus* ErrorCode, ViInt32 BufferSize,
                          ViChar Description[]) {
  if (ErrorCode == nullptr) return NullParameter(Vi, "Parameter ErrorCode is VI_NULL.");
  return IviSession_GetError(Vi, BufferSize, ErrorCode, Description);
}

ViStatus Korvane_ClearError(ViSession Vi) {
  return IviSession_ClearError(Vi);
}

ViStatus Korvane_error_message(ViSession, ViStatus ErrorCode, ViChar ErrorMessage[256]) {
  const std::string_view text = MessageOfStatus(ErrorCode);
  return ReturnString(text.data(), text.size(), kFixedBufferSize, ErrorMessage);
}

ViStatus Korvane_error_query(ViSession Vi, ViInt32* ErrorCode, ViChar ErrorMessage[256]) {
  if (ErrorCode == nullptr) return NullParameter(Vi, "Parameter ErrorCode is VI_NULL.");
  return Guarded([&] {
    LONG code = *ErrorCode;
    ScopedBstr message;
    const ViStatus status = CallDriver<IIviDriverUtility>(Vi, [&](IIviDriverUtility* utility) {
      return utility->ErrorQuery(&code, message.Receive());
    });
    if (status >= 0) *ErrorCode = code;
    return StringResult(status, message.Get(), kFixedBufferSize, ErrorMessage);
  });
}

ViStatus Korvane_self_test(ViSession Vi, ViInt16* TestResult, ViChar TestMessage[256]) {
  if (TestResult == nullptr) return NullParameter(Vi, "Parameter TestResult is VI_NULL.");
  return Guarded([&] {
    LONG result = *TestResult;
    ScopedBstr message;
    const ViStatus status = CallDriver<IIviDriverUtility>(Vi, [&](IIviDriverUtility* utility) {
      return utility->SelfTest(&result, message.Receive());
    });
    if (status >= 0) *TestResult = static_cast<ViInt16>(result);
    return StringResult(status, message.Get(), kFixedBufferSize, TestMessage);
  });
}

ViStatus Korvane_reset(ViSession Vi) {
  return Guarded([&] {
    return CallDriver<IIviDriverUtility>(Vi, [](IIviDriverUtility* u) { return u->Reset(); });
  });
}

ViStatus Korvane_ResetWithDefaults(ViSession Vi) {
  return Guarded([&] {
    return CallDriver<IIviDriverUtility>(
        Vi, [](IIviDriverUtility* u) { return u->ResetWithDefaults(); });
  });
}

ViStatus Korvane_Disable(ViSession Vi) {
  return Guarded([&] {
    return CallDriver<IIviDriverUtility>(Vi, [](IIviDriverUtility* u) { return u->Disable(); });
  });
}

ViStatus Korvane_revision_query(ViSession Vi, ViChar InstrumentDriverRevision[256],
                                ViChar FirmwareRevision[256]) {
  return Guarded([&] {
    const ViStatus driver = CallDriverForString<IIviDriverIdentity>(
        Vi, kFixedBufferSize, InstrumentDriverRevision,
        [](IIviDriverIdentity* identity, BSTR* text) { return identity->get_Revision(text); });
    if (driver < 0) return driver;
    return CallDriverForString<IIviDriverIdentity>(
        Vi, kFixedBufferSize, FirmwareRevision, [](IIviDriverIdentity* identity, BSTR* text) {
          return identity->get_InstrumentFirmwareRevision(text);
        });
  });
}

ViStatus Korvane_InvalidateAllAttributes(ViSession Vi) {
  return Guarded([&] {
    return CallDriver<IIviDriverOperation>(
        Vi, [](IIviDriverOperation* o) { return o->InvalidateAllAttributes(); });
  });
}

ViStatus Korvane_ResetInterchangeCheck(ViSession Vi) {
  return Guarded([&] {
    return CallDriver<IIviDriverOperation>(
        Vi, [](IIviDriverOperation* o) { return o->ResetInterchangeCheck(); });
  });
}

ViStatus Korvane_ClearInterchangeWarnings(ViSession Vi) {
  return Guarded([&] {
    return CallDriver<IIviDriverOperation>(
        Vi, [](IIviDriverOperation* o) { return o->ClearInterchangeWarnings(); });
  });
}

ViStatus Korvane_GetNextInterchangeWarning(ViSession Vi, ViInt32 BufferSize,
                                           ViChar InterchangeWarning[]) {
  return Guarded([&] {
    return CallDriverForString<IIviDriverOperation>(
        Vi, BufferSize, InterchangeWarning,
        [](IIviDriverOperation* o, BSTR* text) { return o->GetNextInterchangeWarning(text); });
  });
}

ViStatus Korvane_GetNextCoercionRecord(ViSession Vi, ViInt32 BufferSize, ViChar CoercionRecord[]) {
  return Guarded([&] {
    return CallDriverForString<IIviDriverOperation>(
        Vi, BufferSize, CoercionRecord,
        [](IIviDriverOperation* o, BSTR* text) { return o->GetNextCoercionRecord(text); });
  });
}

}  // extern "C"
