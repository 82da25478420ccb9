// Conversion between 8-bit code pages and UTF-16. The ANSI code page (CP_ACP)
// of this system is UTF-8.
#pragma once

#include "platform/posix/winerror.h"

inline constexpr UINT CP_ACP = 0;
inline constexpr UINT CP_OEMCP = 1;
inline constexpr UINT CP_THREAD_ACP = 3;
inline constexpr UINT CP_UTF8 = 65001;

inline constexpr DWORD MB_PRECOMPOSED = 0x1;
inline constexpr DWORD MB_ERR_INVALID_CHARS = 0x8;
inline constexpr DWORD WC_ERR_INVALID_CHARS = 0x80;

// The ANSI code page: 65001.
extern "C" UINT GetACP();
extern "C" UINT GetOEMCP();

// Windows semantics: a source length of -1 means "up to and including the
// terminator"; a destination size of 0 asks for the needed size; a destination
// that is too small fails with ERROR_INSUFFICIENT_BUFFER. Malformed input
// becomes U+FFFD unless the *_ERR_INVALID_CHARS flag asks for failure with
// ERROR_NO_UNICODE_TRANSLATION. Code pages other than the four above fail with
// ERROR_INVALID_PARAMETER. Returns the number of units written (or needed), 0
// on failure with the reason in GetLastError.
extern "C" int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr,
                                   int cbMultiByte, LPWSTR lpWideCharStr, int cchWideChar);
// For CP_UTF8 lpDefaultChar and lpUsedDefaultChar must be null; for the other
// code pages a non-null lpUsedDefaultChar receives FALSE (every character has
// a UTF-8 form).
extern "C" int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr,
                                   int cchWideChar, LPSTR lpMultiByteStr, int cbMultiByte,
                                   LPCCH lpDefaultChar, LPBOOL lpUsedDefaultChar);
