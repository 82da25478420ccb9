// Basic Windows data types, calling-convention macros and the HRESULT helpers,
// for the Linux build. Sizes follow 64-bit Windows (LLP64): LONG, ULONG and
// DWORD are 32 bits wide, pointers and the *_PTR types 64 bits.
#pragma once

#include <cstddef>
#include <cstdint>

// Calling conventions have no meaning on x86-64 Linux; the macros exist so that
// code written for Windows compiles unchanged.
#define WINAPI
#define STDMETHODCALLTYPE
#define STDAPICALLTYPE
#define STDMETHOD(method) virtual HRESULT STDMETHODCALLTYPE method
#define STDMETHOD_(type, method) virtual type STDMETHODCALLTYPE method
#define STDMETHODIMP HRESULT STDMETHODCALLTYPE
#define STDMETHODIMP_(type) type STDMETHODCALLTYPE
#define STDAPI extern "C" HRESULT STDAPICALLTYPE
#define STDAPI_(type) extern "C" type STDAPICALLTYPE
#define EXTERN_C extern "C"

using BYTE = std::uint8_t;
using UCHAR = std::uint8_t;
using CHAR = char;
using BOOLEAN = std::uint8_t;
using WORD = std::uint16_t;
using USHORT = std::uint16_t;
using SHORT = std::int16_t;
using DWORD = std::uint32_t;
using ULONG = std::uint32_t;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using INT = std::int32_t;
using BOOL = std::int32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using DWORD64 = std::uint64_t;
using FLOAT = float;
using DOUBLE = double;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using INT_PTR = std::intptr_t;
using UINT_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using SIZE_T = std::size_t;
using SSIZE_T = std::ptrdiff_t;

using VOID = void;
using PVOID = void*;
using LPVOID = void*;
using LPCVOID = const void*;
using PBYTE = BYTE*;
using LPBYTE = BYTE*;
using LPWORD = WORD*;
using PDWORD = DWORD*;
using LPDWORD = DWORD*;
using PLONG = LONG*;
using LPLONG = LONG*;
using PULONG = ULONG*;
using PBOOL = BOOL*;
using LPBOOL = BOOL*;

// Wide characters are UTF-16 code units, as on Windows.
using WCHAR = char16_t;
using OLECHAR = WCHAR;
using LPWSTR = WCHAR*;
using PWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using PCWSTR = const WCHAR*;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using LPCWCH = const WCHAR*;
using LPSTR = CHAR*;
using PSTR = CHAR*;
using LPCSTR = const CHAR*;
using PCSTR = const CHAR*;
using LPCCH = const CHAR*;
using LPCH = CHAR*;

// A wide literal: OLESTR("abc") is u"abc" here and L"abc" on Windows.
#define OLESTR(str) u##str

using HANDLE = void*;
using PHANDLE = HANDLE*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;

using LCID = DWORD;
using LANGID = WORD;
using VARTYPE = std::uint16_t;
using DATE = double;
using SCODE = LONG;
using HRESULT = LONG;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;
inline constexpr DWORD MAX_PATH = 260;
inline constexpr DWORD INFINITE = 0xFFFFFFFF;

union LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  } u;
  LONGLONG QuadPart;
};
using PLARGE_INTEGER = LARGE_INTEGER*;

union ULARGE_INTEGER {
  struct {
    DWORD LowPart;
    DWORD HighPart;
  } u;
  ULONGLONG QuadPart;
};
using PULARGE_INTEGER = ULARGE_INTEGER*;

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
using PFILETIME = FILETIME*;
using LPFILETIME = FILETIME*;

struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;
using PSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// HRESULT layout: severity bit 31, facility bits 16-26, code bits 0-15.
inline constexpr LONG SEVERITY_SUCCESS = 0;
inline constexpr LONG SEVERITY_ERROR = 1;
inline constexpr LONG FACILITY_NULL = 0;
inline constexpr LONG FACILITY_RPC = 1;
inline constexpr LONG FACILITY_DISPATCH = 2;
inline constexpr LONG FACILITY_STORAGE = 3;
inline constexpr LONG FACILITY_ITF = 4;
inline constexpr LONG FACILITY_WIN32 = 7;
inline constexpr LONG FACILITY_WINDOWS = 8;

constexpr bool SUCCEEDED(HRESULT hr) {
  return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
  return hr < 0;
}
constexpr bool IS_ERROR(HRESULT hr) {
  return static_cast<ULONG>(hr) >> 31 == SEVERITY_ERROR;
}
constexpr LONG HRESULT_CODE(HRESULT hr) {
  return hr & 0xFFFF;
}
constexpr LONG SCODE_CODE(SCODE sc) {
  return sc & 0xFFFF;
}
constexpr LONG HRESULT_FACILITY(HRESULT hr) {
  return (hr >> 16) & 0x1FFF;
}
constexpr LONG HRESULT_SEVERITY(HRESULT hr) {
  return (hr >> 31) & 0x1;
}
constexpr HRESULT MAKE_HRESULT(ULONG severity, ULONG facility, ULONG code) {
  return static_cast<HRESULT>((severity << 31) | (facility << 16) | code);
}
constexpr SCODE MAKE_SCODE(ULONG severity, ULONG facility, ULONG code) {
  return MAKE_HRESULT(severity, facility, code);
}
// A Win32 error code as an HRESULT: 0 stays 0, everything else gets the
// FACILITY_WIN32 error form 0x8007xxxx (values that already look like
// HRESULTs pass through unchanged).
constexpr HRESULT HRESULT_FROM_WIN32(ULONG error) {
  return static_cast<HRESULT>(error) <= 0
             ? static_cast<HRESULT>(error)
             : static_cast<HRESULT>((error & 0x0000FFFF) | (FACILITY_WIN32 << 16) | 0x80000000);
}

constexpr WORD LOWORD(DWORD_PTR value) {
  return static_cast<WORD>(value & 0xFFFF);
}
constexpr WORD HIWORD(DWORD_PTR value) {
  return static_cast<WORD>((value >> 16) & 0xFFFF);
}
constexpr LANGID MAKELANGID(WORD primary, WORD sub) {
  return static_cast<LANGID>((sub << 10) | primary);
}
constexpr LCID MAKELCID(LANGID language, WORD sort) {
  return (static_cast<DWORD>(sort) << 16) | language;
}
inline constexpr WORD LANG_NEUTRAL = 0x00;
inline constexpr WORD LANG_ENGLISH = 0x09;
inline constexpr WORD SUBLANG_NEUTRAL = 0x00;
inline constexpr WORD SUBLANG_DEFAULT = 0x01;
inline constexpr WORD SUBLANG_SYS_DEFAULT = 0x02;
inline constexpr WORD SORT_DEFAULT = 0x0;
inline constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
inline constexpr LCID LOCALE_NEUTRAL = 0x0000;
inline constexpr LCID LOCALE_INVARIANT = 0x007F;
