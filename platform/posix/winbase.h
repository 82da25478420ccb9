// Kernel services: critical sections, interlocked operations, thread-local
// slots, thread and process ids, clocks, the last-error value, modules, files
// and the thread locale.
//
// Paths are native Linux paths ('/' separates folders; '\' is an ordinary
// character), passed as UTF-16 and converted to UTF-8 for the system.
#pragma once

#include "platform/posix/winerror.h"

// --- Last error -------------------------------------------------------------
extern "C" DWORD GetLastError();
extern "C" void SetLastError(DWORD dwErrCode);

// --- Critical sections ------------------------------------------------------
// A re-entrant lock: the owning thread may enter again and must leave as many
// times as it entered. The storage is opaque; only the functions below use it.
struct CRITICAL_SECTION {
  alignas(8) BYTE opaque[64];
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;
using PCRITICAL_SECTION = CRITICAL_SECTION*;

extern "C" void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
extern "C" BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION lpCriticalSection,
                                                      DWORD dwSpinCount);
extern "C" void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
extern "C" BOOL TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
extern "C" void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
extern "C" void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection);

// --- Interlocked operations (sequentially consistent) ------------------------
// Each returns what the Windows function returns: the new value for
// Increment/Decrement, the previous value for the others.
inline LONG InterlockedIncrement(LONG volatile* addend) {
  return __atomic_add_fetch(addend, 1, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedDecrement(LONG volatile* addend) {
  return __atomic_sub_fetch(addend, 1, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedExchange(LONG volatile* target, LONG value) {
  return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedExchangeAdd(LONG volatile* addend, LONG value) {
  return __atomic_fetch_add(addend, value, __ATOMIC_SEQ_CST);
}
inline LONG InterlockedCompareExchange(LONG volatile* destination, LONG exchange, LONG comparand) {
  __atomic_compare_exchange_n(destination, &comparand, exchange, false, __ATOMIC_SEQ_CST,
                              __ATOMIC_SEQ_CST);
  return comparand;
}
inline PVOID InterlockedExchangePointer(PVOID volatile* target, PVOID value) {
  return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}
inline PVOID InterlockedCompareExchangePointer(PVOID volatile* destination, PVOID exchange,
                                               PVOID comparand) {
  __atomic_compare_exchange_n(destination, &comparand, exchange, false, __ATOMIC_SEQ_CST,
                              __ATOMIC_SEQ_CST);
  return comparand;
}

// --- Thread-local slots -----------------------------------------------------
inline constexpr DWORD TLS_OUT_OF_INDEXES = 0xFFFFFFFF;
extern "C" DWORD TlsAlloc();
extern "C" BOOL TlsFree(DWORD dwTlsIndex);
extern "C" LPVOID TlsGetValue(DWORD dwTlsIndex);
extern "C" BOOL TlsSetValue(DWORD dwTlsIndex, LPVOID lpTlsValue);

// Fiber-local slots, each thread being one fiber: a slot's callback receives a
// thread's value, when not null, as the thread ends. The subset has no
// FlsFree: a slot is kept until the process ends.
inline constexpr DWORD FLS_OUT_OF_INDEXES = 0xFFFFFFFF;
using PFLS_CALLBACK_FUNCTION = void(WINAPI*)(PVOID lpFlsData);
extern "C" DWORD FlsAlloc(PFLS_CALLBACK_FUNCTION lpCallback);
extern "C" PVOID FlsGetValue(DWORD dwFlsIndex);
extern "C" BOOL FlsSetValue(DWORD dwFlsIndex, PVOID lpFlsData);

// --- Threads, processes, clocks ---------------------------------------------
extern "C" DWORD GetCurrentThreadId();
extern "C" DWORD GetCurrentProcessId();
extern "C" void Sleep(DWORD dwMilliseconds);
// The pseudo handle of the calling process. TerminateProcess supports only
// that handle: the process ends at once, without running any cleanup (on
// this system through SIGKILL, so the exit code is not seen by the parent).
extern "C" HANDLE GetCurrentProcess();
extern "C" BOOL TerminateProcess(HANDLE hProcess, UINT uExitCode);

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;
  WORD wDayOfWeek;
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};
using LPSYSTEMTIME = SYSTEMTIME*;
using PSYSTEMTIME = SYSTEMTIME*;

extern "C" void GetLocalTime(LPSYSTEMTIME lpSystemTime);
extern "C" void GetSystemTime(LPSYSTEMTIME lpSystemTime);
// 100-nanosecond intervals since 1 January 1601 (UTC).
extern "C" void GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime);
// A monotonic counter and its ticks per second.
extern "C" BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount);
extern "C" BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency);
extern "C" DWORD GetTickCount();

// --- Thread locale ----------------------------------------------------------
// Kept per thread; a thread starts with 0x0409 (English, United States).
extern "C" LCID GetThreadLocale();
extern "C" BOOL SetThreadLocale(LCID Locale);
extern "C" LCID GetUserDefaultLCID();
extern "C" LCID GetSystemDefaultLCID();

// --- Modules ----------------------------------------------------------------
using FARPROC = INT_PTR (*)();
inline constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_PIN = 0x1;
inline constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT = 0x2;
inline constexpr DWORD GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS = 0x4;

// A name without '/' is looked for in the executable's folder first, then
// where the dynamic loader looks. The names of the system modules whose
// functions the platform layer provides (KERNEL32, ADVAPI32, OLE32, OLEAUT32,
// with or without ".dll", any letter case) name the platform layer's own
// library, here as in GetModuleHandleW, as those are always loaded on
// Windows. Failures: ERROR_MOD_NOT_FOUND for a missing
// file, ERROR_BAD_EXE_FORMAT for a file that is not a loadable module.
extern "C" HMODULE LoadLibraryW(LPCWSTR lpLibFileName);
extern "C" HMODULE LoadLibraryA(LPCSTR lpLibFileName);
extern "C" BOOL FreeLibrary(HMODULE hLibModule);
extern "C" FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
// A null name is the executable; with GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
// lpModuleName is an address inside the module wanted; with
// GET_MODULE_HANDLE_EX_FLAG_PIN the module stays loaded until the process ends.
extern "C" BOOL GetModuleHandleExW(DWORD dwFlags, LPCWSTR lpModuleName, HMODULE* phModule);
extern "C" HMODULE GetModuleHandleW(LPCWSTR lpModuleName);
// The module's full path; null is the executable. Returns the length without
// terminator; a small buffer gets the truncated, terminated path, the return
// value nSize and ERROR_INSUFFICIENT_BUFFER.
extern "C" DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);

// --- Resources --------------------------------------------------------------
// A module's resources are its embedded files, named by type and number
// (platform/posix/module_resources.h). Only numbered resources exist here.
struct HRSRC__;
using HRSRC = HRSRC__*;
using HGLOBAL = void*;
inline LPWSTR MAKEINTRESOURCEW(int id) {
  return reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(id)));
}
// ERROR_RESOURCE_TYPE_NOT_FOUND, ERROR_RESOURCE_NAME_NOT_FOUND or
// ERROR_RESOURCE_DATA_NOT_FOUND (a module without resources) on failure.
extern "C" HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType);
extern "C" HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo);
extern "C" LPVOID LockResource(HGLOBAL hResData);
extern "C" DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo);

// --- Files ------------------------------------------------------------------
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD GENERIC_WRITE = 0x40000000;
inline constexpr DWORD FILE_READ_DATA = 0x1;
inline constexpr DWORD FILE_WRITE_DATA = 0x2;
// Writing at the end of the file only, wherever the file pointer is.
inline constexpr DWORD FILE_APPEND_DATA = 0x4;
inline constexpr DWORD FILE_READ_ATTRIBUTES = 0x80;
inline constexpr DWORD FILE_SHARE_READ = 0x1;
inline constexpr DWORD FILE_SHARE_WRITE = 0x2;
inline constexpr DWORD FILE_SHARE_DELETE = 0x4;
inline constexpr DWORD CREATE_NEW = 1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD OPEN_ALWAYS = 4;
inline constexpr DWORD TRUNCATE_EXISTING = 5;
inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
inline constexpr DWORD FILE_BEGIN = 0;
inline constexpr DWORD FILE_CURRENT = 1;
inline constexpr DWORD FILE_END = 2;

struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;

// Share modes are enforced across handles and processes as on Windows (ERROR_SHARING_VIOLATION),
// among the opens made through this function; the system's other programs do not see them.
// CREATE_ALWAYS and TRUNCATE_EXISTING empty the file only once the open is allowed.
extern "C" HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                              LPSECURITY_ATTRIBUTES lpSecurityAttributes,
                              DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes,
                              HANDLE hTemplateFile);
// Overlapped I/O is not supported: lpOverlapped must be null.
extern "C" BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                          LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped);
extern "C" BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                         LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped);
extern "C" BOOL FlushFileBuffers(HANDLE hFile);
extern "C" BOOL GetFileSizeEx(HANDLE hFile, PLARGE_INTEGER lpFileSize);
extern "C" BOOL SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove,
                                 PLARGE_INTEGER lpNewFilePointer, DWORD dwMoveMethod);
// Ends the file at its file pointer, cutting or extending it.
extern "C" BOOL SetEndOfFile(HANDLE hFile);
extern "C" BOOL CloseHandle(HANDLE hObject);

struct BY_HANDLE_FILE_INFORMATION {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD dwVolumeSerialNumber;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD nNumberOfLinks;
  DWORD nFileIndexHigh;
  DWORD nFileIndexLow;
};
using LPBY_HANDLE_FILE_INFORMATION = BY_HANDLE_FILE_INFORMATION*;
// Fills the attributes, size, link count (0 once the file was deleted) and the volume and index
// that name the file; the times are left zero.
extern "C" BOOL GetFileInformationByHandle(HANDLE hFile,
                                           LPBY_HANDLE_FILE_INFORMATION lpFileInformation);
extern "C" BOOL DeleteFileW(LPCWSTR lpFileName);
extern "C" DWORD GetFileAttributesW(LPCWSTR lpFileName);
extern "C" BOOL CreateDirectoryW(LPCWSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes);
extern "C" BOOL RemoveDirectoryW(LPCWSTR lpPathName);
// The functions that fill a caller's buffer return the length without
// terminator on success, and the needed size with terminator when the buffer
// is too small (nothing is written then).
extern "C" DWORD GetCurrentDirectoryW(DWORD nBufferLength, LPWSTR lpBuffer);
extern "C" BOOL SetCurrentDirectoryW(LPCWSTR lpPathName);
// Makes a path absolute against the current directory and removes "." and
// ".." parts, without looking at the file system. *lpFilePart (when asked for)
// points at the last part, or is null when the path ends with '/'.
extern "C" DWORD GetFullPathNameW(LPCWSTR lpFileName, DWORD nBufferLength, LPWSTR lpBuffer,
                                  LPWSTR* lpFilePart);
// --- File mappings -------------------------------------------------------------
inline constexpr DWORD PAGE_READONLY = 0x02;
inline constexpr DWORD PAGE_READWRITE = 0x04;
inline constexpr DWORD FILE_MAP_WRITE = 0x0002;
inline constexpr DWORD FILE_MAP_READ = 0x0004;
inline constexpr DWORD FILE_MAP_ALL_ACCESS = 0xF001F;

// Mappings of files only (hFile a file handle), unnamed, PAGE_READONLY or PAGE_READWRITE. A size
// of 0 is the file's; a larger size extends a file mapped for writing, as on Windows. The
// mapping holds the file open until its handle is closed; its views are shared with the file and
// every other reader of it.
extern "C" HANDLE CreateFileMappingW(HANDLE hFile, LPSECURITY_ATTRIBUTES lpFileMappingAttributes,
                                     DWORD flProtect, DWORD dwMaximumSizeHigh,
                                     DWORD dwMaximumSizeLow, LPCWSTR lpName);
// The offset is a multiple of the allocation granularity, 64 KiB (else ERROR_MAPPED_ALIGNMENT);
// dwNumberOfBytesToMap 0: to the end of the mapping.
extern "C" LPVOID MapViewOfFile(HANDLE hFileMappingObject, DWORD dwDesiredAccess,
                                DWORD dwFileOffsetHigh, DWORD dwFileOffsetLow,
                                SIZE_T dwNumberOfBytesToMap);
extern "C" BOOL UnmapViewOfFile(LPCVOID lpBaseAddress);
// Writes the view's changed pages to the file (all of the view when dwNumberOfBytesToFlush is 0).
extern "C" BOOL FlushViewOfFile(LPCVOID lpBaseAddress, SIZE_T dwNumberOfBytesToFlush);

// $TMPDIR or /tmp, ending with '/'.
extern "C" DWORD GetTempPathW(DWORD nBufferLength, LPWSTR lpBuffer);

// --- Environment ------------------------------------------------------------
// GetEnvironmentVariableW returns the value's length without terminator, the
// needed size with terminator when the buffer is too small (nothing written),
// or 0 with ERROR_ENVVAR_NOT_FOUND for a missing variable. A null value in
// SetEnvironmentVariableW removes the variable.
extern "C" DWORD GetEnvironmentVariableW(LPCWSTR lpName, LPWSTR lpBuffer, DWORD nSize);
extern "C" BOOL SetEnvironmentVariableW(LPCWSTR lpName, LPCWSTR lpValue);

// --- System messages --------------------------------------------------------
// Only FORMAT_MESSAGE_FROM_SYSTEM with FORMAT_MESSAGE_IGNORE_INSERTS into the
// caller's buffer, for the Win32 errors this layer reports; each text ends
// with CR LF as Windows writes it. Returns the length written without the
// terminator, or 0 with ERROR_MR_MID_NOT_FOUND for another code and
// ERROR_INSUFFICIENT_BUFFER when the text does not fit.
inline constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x200;
inline constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x1000;
extern "C" DWORD FormatMessageW(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId,
                                DWORD dwLanguageId, LPWSTR lpBuffer, DWORD nSize, void* Arguments);

// --- Wide string helpers ----------------------------------------------------
extern "C" int lstrlenW(LPCWSTR lpString);  // 0 for null
