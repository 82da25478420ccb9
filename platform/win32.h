// The one include for COM, OLE automation and the Win32 services. On Windows it
// is the system's own headers; on Linux the subset under platform/posix/,
// which has the same names, types, values and behaviour.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <objbase.h>
#include <ocidl.h>
#include <oleauto.h>
#include <windows.h>
#else
#include "platform/posix/guid.h"
#include "platform/posix/objbase.h"
#include "platform/posix/ocidl.h"
#include "platform/posix/oleauto.h"
#include "platform/posix/unknwn.h"
#include "platform/posix/winbase.h"
#include "platform/posix/winerror.h"
#include "platform/posix/winnls.h"
#include "platform/posix/winreg.h"
#include "platform/posix/wintypes.h"
#endif

#include "platform/iid_of.h"

// The sizes and values the driver depends on, the same on both systems.
static_assert(sizeof(OLECHAR) == 2 && sizeof(VARIANT_BOOL) == 2);
static_assert(sizeof(LONG) == 4 && sizeof(ULONG) == 4 && sizeof(DWORD) == 4 &&
              sizeof(HRESULT) == 4);
static_assert(sizeof(GUID) == 16 && sizeof(VARIANT) == 24 && sizeof(LARGE_INTEGER) == 8);
static_assert(SUCCEEDED(S_FALSE) && FAILED(E_FAIL));
static_assert(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x4002) ==
              static_cast<HRESULT>(0x80044002));
static_assert((CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER |
               CLSCTX_REMOTE_SERVER) == 23);
