// The registry subset. Keys and values live in one text file shared by all
// processes of the user (see registry_store.cpp); every change is written at
// once, so another process sees it on its next call.
//
// HKEY_CLASSES_ROOT is the merged view of HKEY_CURRENT_USER\Software\Classes
// over HKEY_LOCAL_MACHINE\Software\Classes: a key is found in the user's part
// first; new keys are created in the machine part; values are written to the
// user's key when the key exists there. Key and value names compare without
// regard to case. Every function returns a Win32 error code.
#pragma once

#include "platform/posix/winerror.h"

using LSTATUS = LONG;
using REGSAM = DWORD;

// The predefined keys have the Windows handle values (sign-extended 0x8000000n).
inline const HKEY HKEY_CLASSES_ROOT =
    reinterpret_cast<HKEY>(static_cast<LONG_PTR>(LONG{-0x7FFFFFFF - 1}));
inline const HKEY HKEY_CURRENT_USER =
    reinterpret_cast<HKEY>(static_cast<LONG_PTR>(LONG{-0x7FFFFFFF}));
inline const HKEY HKEY_LOCAL_MACHINE =
    reinterpret_cast<HKEY>(static_cast<LONG_PTR>(LONG{-0x7FFFFFFE}));

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_DWORD_LITTLE_ENDIAN = 4;
inline constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
inline constexpr DWORD REG_MULTI_SZ = 7;
inline constexpr DWORD REG_QWORD = 11;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0x0;
inline constexpr DWORD REG_OPTION_VOLATILE = 0x1;
inline constexpr DWORD REG_CREATED_NEW_KEY = 0x1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 0x2;

// Access masks are accepted and not enforced.
inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_CREATE_LINK = 0x0020;
inline constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
inline constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_EXECUTE = 0x20019;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// Key names use '\' as separator. A null or empty sub key names the key itself.
extern "C" LSTATUS RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD Reserved, LPWSTR lpClass,
                                   DWORD dwOptions, REGSAM samDesired,
                                   const LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                                   PHKEY phkResult, LPDWORD lpdwDisposition);
extern "C" LSTATUS RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD ulOptions, REGSAM samDesired,
                                 PHKEY phkResult);
extern "C" LSTATUS RegCloseKey(HKEY hKey);
// A null or empty value name is the key's default value. Data is stored as the
// given bytes.
extern "C" LSTATUS RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD Reserved, DWORD dwType,
                                  const BYTE* lpData, DWORD cbData);
// With lpData null only the type and size are returned; a buffer that is too
// small gives ERROR_MORE_DATA with the needed size in *lpcbData.
extern "C" LSTATUS RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD lpReserved,
                                    LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);
// Sub keys are enumerated in the order of their names (ignoring case), values
// in the order they were first set. *lpcchName is the buffer size in
// characters on entry and the name's length without terminator on return.
extern "C" LSTATUS RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName,
                                 LPDWORD lpReserved, LPWSTR lpClass, LPDWORD lpcchClass,
                                 PFILETIME lpftLastWriteTime);
extern "C" LSTATUS RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName,
                                 LPDWORD lpcchValueName, LPDWORD lpReserved, LPDWORD lpType,
                                 LPBYTE lpData, LPDWORD lpcbData);
// Deletes a key that has no sub keys (ERROR_ACCESS_DENIED otherwise).
extern "C" LSTATUS RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey);
// Deletes the sub key with everything below it; with a null sub key, empties
// hKey of its sub keys and values but keeps it.
extern "C" LSTATUS RegDeleteTreeW(HKEY hKey, LPCWSTR lpSubKey);
extern "C" LSTATUS RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName);
// Counts of sub keys and values with the longest sub key name, value name (in
// characters, without terminator) and value data (in bytes). Keys have no class
// names, security descriptors or write times here: those come back as 0.
extern "C" LSTATUS RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass,
                                    LPDWORD lpReserved, LPDWORD lpcSubKeys,
                                    LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                                    LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen,
                                    LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                                    PFILETIME lpftLastWriteTime);
