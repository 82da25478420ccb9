// VISA base types of the IVI-C face: the fixed-size integers, booleans, texts and handles that
// every IVI-C function signature is written in. Plain C so that C callers can include it too.
#ifndef KORVANE_PLATFORM_IVI_VISATYPE_H
#define KORVANE_PLATFORM_IVI_VISATYPE_H

#include <stdint.h>

typedef int16_t ViInt16;
typedef uint16_t ViUInt16;
typedef int32_t ViInt32;
typedef uint32_t ViUInt32;
typedef double ViReal64;

typedef ViUInt16 ViBoolean;

typedef char ViChar;
typedef ViChar* ViString;
typedef ViChar* ViRsrc;
typedef const ViChar* ViConstString;

typedef ViUInt32 ViSession;
typedef ViInt32 ViStatus;
typedef ViUInt32 ViAttr;

#define VI_NULL 0
#define VI_TRUE 1
#define VI_FALSE 0
#define VI_SUCCESS 0

#endif  // KORVANE_PLATFORM_IVI_VISATYPE_H
