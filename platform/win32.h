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
