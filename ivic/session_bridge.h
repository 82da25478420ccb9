// The link between a C session and its COM driver object: the per-thread COM entry, opening
// and closing a session, the driver lookup through the Global Interface Table, and the
// forwarding of one C call to one member of the driver.
#pragma once

#include "com/interfaces.h"
#include "ivic/status_codes.h"
#include "ivic/text.h"
#include "platform/com_ptr.h"
#include "platform/iid_of.h"

namespace korvane::ivic {

// Puts the calling thread into the multithreaded apartment once; a thread already in COM
// (either apartment) is left as it is.
HRESULT EnterCom();

// A new, uninitialized driver object (the class is made known in this process first).
HRESULT CreateDriver(ComPtr<IUnknown>& driver);

ViStatus OpenSession(ViConstString resourceName, ViBoolean idQuery, ViBoolean reset,
                     ViConstString optionString, ViSession* vi);
ViStatus CloseSession(ViSession vi);

// The session's driver object, a new reference; the session lock is held only meanwhile.
ViStatus LookUpDriver(ViSession vi, ComPtr<IUnknown>& driver);

// Queries an object for a face and translates the query's result for the session.
template <class Interface>
ViStatus QueryFace(ViSession vi, IUnknown* object, ComPtr<Interface>& face) {
  return TranslateResult(vi, object->QueryInterface(IidOf<Interface>(), face.GetVoidAddressOf()));
}

// The session's driver as one face: driver lookup, query, translation.
template <class Interface>
ViStatus DriverFace(ViSession vi, ComPtr<Interface>& face) {
  ComPtr<IUnknown> driver;
  if (const ViStatus status = LookUpDriver(vi, driver)) return status;
  return QueryFace(vi, driver.Get(), face);
}

// One driver call: the face, then `call(face)` (an HRESULT), translated for the session.
template <class Interface, class Call>
ViStatus CallDriver(ViSession vi, Call&& call) {
  ComPtr<Interface> face;
  if (const ViStatus status = DriverFace(vi, face)) return status;
  return TranslateResult(vi, call(face.Get()));
}

// The outcome of a call with a string result: a failed call writes nothing; otherwise the text
// goes to the buffer, and the status is the call's when nonzero, else the string return rule's.
inline ViStatus StringResult(ViStatus status, BSTR text, ViInt32 bufferSize, ViChar* buffer) {
  if (status < 0) return status;
  const ViStatus copied = ReturnString(text, bufferSize, buffer);
  return status != VI_SUCCESS ? status : copied;
}

// A driver call with a string result.
template <class Interface, class Call>
ViStatus CallDriverForString(ViSession vi, ViInt32 bufferSize, ViChar* buffer, Call&& call) {
  ScopedBstr text;
  const ViStatus status =
      CallDriver<Interface>(vi, [&](Interface* face) { return call(face, text.Receive()); });
  return StringResult(status, text.Get(), bufferSize, buffer);
}

inline VARIANT_BOOL ToVariantBool(ViBoolean value) {
  return value != VI_FALSE ? VARIANT_TRUE : VARIANT_FALSE;
}
inline ViBoolean ToViBoolean(VARIANT_BOOL value) {
  return value != VARIANT_FALSE ? VI_TRUE : VI_FALSE;
}

}  // namespace korvane::ivic
