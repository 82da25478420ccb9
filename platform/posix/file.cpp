// File handles: CreateFileW, reading, writing, flushing, sizes, closing (of mappings too).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <string>

#include "platform/posix/detail/kernel_object.h"
#include "platform/posix/detail/last_error.h"
#include "platform/posix/detail/paths.h"
#include "platform/posix/detail/share_mode.h"
#include "platform/posix/detail/utf.h"

using korvane::platform::KernelObject;

namespace korvane::platform {

KernelObject* KernelObjectOf(HANDLE handle, KernelObject::Kind kind) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
  auto* object = static_cast<KernelObject*>(handle);
  return object->kind == kind ? object : nullptr;
}

HANDLE NewKernelObject(const KernelObject& object) {
  auto* created = new (std::nothrow) KernelObject(object);
  if (created == nullptr) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return created;
}

}  // namespace korvane::platform

namespace {

KernelObject* FileOf(HANDLE handle) {
  return korvane::platform::KernelObjectOf(handle, KernelObject::Kind::kFile);
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

int AccessFlags(DWORD access) {
  const bool read = korvane::platform::ReadsFile(access);
  const bool write = korvane::platform::WritesFile(access);
  // Appending only: every write goes to the end of the file, as on Windows.
  const int append =
      (access & FILE_APPEND_DATA) != 0 && (access & (GENERIC_WRITE | FILE_WRITE_DATA)) == 0
          ? O_APPEND
          : 0;
  if (read && write) return O_RDWR | append;
  return write ? O_WRONLY | append : O_RDONLY;
}

// The open(2) flags of a creation disposition, or -1 for an unknown one. Emptying the file waits
// for the share check (Truncates).
int DispositionFlags(DWORD disposition) {
  switch (disposition) {
    case CREATE_NEW:
      return O_CREAT | O_EXCL;
    case CREATE_ALWAYS:
    case OPEN_ALWAYS:
      return O_CREAT;
    case OPEN_EXISTING:
    case TRUNCATE_EXISTING:
      return 0;
    default:
      return -1;
  }
}

bool Truncates(DWORD disposition) {
  return disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
}

// A descriptor of the open file for reading that carries its share locks: the file's own when it
// reads, else the same file opened again for reading (-1 when it cannot be read: its share mode
// then goes unenforced).
int LockDescriptorFor(int descriptor, DWORD access) {
  if (korvane::platform::ReadsFile(access)) return descriptor;
  const std::string self = "/proc/self/fd/" + std::to_string(descriptor);
  return ::open(self.c_str(), O_RDONLY | O_CLOEXEC);
}

void CloseDescriptors(const KernelObject& file) {
  if (file.lockDescriptor >= 0) ::close(file.lockDescriptor);
  ::close(file.descriptor);
}

bool Exists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0;
}

}  // namespace

extern "C" HANDLE CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                              LPSECURITY_ATTRIBUTES, DWORD dwCreationDisposition,
                              DWORD dwFlagsAndAttributes, HANDLE) {
  const int disposition = DispositionFlags(dwCreationDisposition);
  if (lpFileName == nullptr || disposition < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const std::string path = korvane::platform::Utf8Of(lpFileName);
  if (path.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  const bool existed = Exists(path);
  const mode_t mode = (dwFlagsAndAttributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
  const int descriptor =
      ::open(path.c_str(), AccessFlags(dwDesiredAccess) | disposition | O_CLOEXEC, mode);
  if (descriptor < 0) {
    const int error = errno;
    SetLastError(error == EEXIST ? ERROR_FILE_EXISTS
                                 : korvane::platform::Win32ErrorForPath(path, error));
    return INVALID_HANDLE_VALUE;
  }
  KernelObject opened{KernelObject::Kind::kFile, descriptor, dwDesiredAccess};
  struct stat info {};
  if (::fstat(descriptor, &info) != 0 || S_ISDIR(info.st_mode)) {
    CloseDescriptors(opened);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  const int lockDescriptor = LockDescriptorFor(descriptor, dwDesiredAccess);
  if (lockDescriptor != descriptor) opened.lockDescriptor = lockDescriptor;
  if (lockDescriptor >= 0) {
    if (const DWORD refused =
            korvane::platform::TakeShareLocks(lockDescriptor, dwDesiredAccess, dwShareMode);
        refused != ERROR_SUCCESS) {
      CloseDescriptors(opened);
      SetLastError(refused);
      return INVALID_HANDLE_VALUE;
    }
  }
  if (Truncates(dwCreationDisposition) && ::ftruncate(descriptor, 0) != 0) {
    const DWORD error = korvane::platform::SetLastErrorFromErrno();
    CloseDescriptors(opened);
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
  }
  HANDLE file = korvane::platform::NewKernelObject(opened);
  if (file == nullptr) {
    CloseDescriptors(opened);
    return INVALID_HANDLE_VALUE;
  }
  const bool reportsExisting =
      dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS;
  SetLastError(reportsExisting && existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return file;
}

extern "C" BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                          LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED lpOverlapped) {
  if (lpNumberOfBytesWritten != nullptr) *lpNumberOfBytesWritten = 0;
  KernelObject* file = FileOf(hFile);
  if (file == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (lpOverlapped != nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (!korvane::platform::WritesFile(file->access)) return Fail(ERROR_ACCESS_DENIED);
  const auto* bytes = static_cast<const char*>(lpBuffer);
  DWORD written = 0;
  while (written < nNumberOfBytesToWrite) {
    const ssize_t result =
        ::write(file->descriptor, bytes + written, nNumberOfBytesToWrite - written);
    if (result < 0) {
      if (errno == EINTR) continue;
      korvane::platform::SetLastErrorFromErrno();
      if (lpNumberOfBytesWritten != nullptr) *lpNumberOfBytesWritten = written;
      return FALSE;
    }
    written += static_cast<DWORD>(result);
  }
  if (lpNumberOfBytesWritten != nullptr) *lpNumberOfBytesWritten = written;
  return TRUE;
}

// Reads until the request is filled or the file ends; at the end of the file
// it succeeds with fewer (or 0) bytes.
extern "C" BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                         LPDWORD lpNumberOfBytesRead, LPOVERLAPPED lpOverlapped) {
  if (lpNumberOfBytesRead != nullptr) *lpNumberOfBytesRead = 0;
  KernelObject* file = FileOf(hFile);
  if (file == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (lpOverlapped != nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (!korvane::platform::ReadsFile(file->access)) return Fail(ERROR_ACCESS_DENIED);
  auto* bytes = static_cast<char*>(lpBuffer);
  DWORD read = 0;
  while (read < nNumberOfBytesToRead) {
    const ssize_t result = ::read(file->descriptor, bytes + read, nNumberOfBytesToRead - read);
    if (result < 0) {
      if (errno == EINTR) continue;
      korvane::platform::SetLastErrorFromErrno();
      return FALSE;
    }
    if (result == 0) break;
    read += static_cast<DWORD>(result);
  }
  if (lpNumberOfBytesRead != nullptr) *lpNumberOfBytesRead = read;
  return TRUE;
}

extern "C" BOOL FlushFileBuffers(HANDLE hFile) {
  KernelObject* file = FileOf(hFile);
  if (file == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (::fsync(file->descriptor) != 0) {
    korvane::platform::SetLastErrorFromErrno();
    return FALSE;
  }
  return TRUE;
}

extern "C" BOOL GetFileSizeEx(HANDLE hFile, PLARGE_INTEGER lpFileSize) {
  KernelObject* file = FileOf(hFile);
  if (file == nullptr) return Fail(ERROR_INVALID_HANDLE);
  struct stat info {};
  if (::fstat(file->descriptor, &info) != 0) {
    korvane::platform::SetLastErrorFromErrno();
    return FALSE;
  }
  lpFileSize->QuadPart = static_cast<LONGLONG>(info.st_size);
  return TRUE;
}

extern "C" BOOL SetFilePointerEx(HANDLE hFile, LARGE_INTEGER liDistanceToMove,
                                 PLARGE_INTEGER lpNewFilePointer, DWORD dwMoveMethod) {
  KernelObject* file = FileOf(hFile);
  if (file == nullptr) return Fail(ERROR_INVALID_HANDLE);
  int whence = SEEK_SET;
  if (dwMoveMethod == FILE_CURRENT) {
    whence = SEEK_CUR;
  } else if (dwMoveMethod == FILE_END) {
    whence = SEEK_END;
  } else if (dwMoveMethod != FILE_BEGIN) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const off_t position = ::lseek(file->descriptor, liDistanceToMove.QuadPart, whence);
  if (position < 0) {
    korvane::platform::SetLastErrorFromErrno();
    return FALSE;
  }
  if (lpNewFilePointer != nullptr) lpNewFilePointer->QuadPart = position;
  return TRUE;
}

extern "C" BOOL SetEndOfFile(HANDLE hFile) {
  KernelObject* file = FileOf(hFile);
  if (file == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (!korvane::platform::WritesFile(file->access)) return Fail(ERROR_ACCESS_DENIED);
  const off_t position = ::lseek(file->descriptor, 0, SEEK_CUR);
  if (position < 0 || ::ftruncate(file->descriptor, position) != 0) {
    korvane::platform::SetLastErrorFromErrno();
    return FALSE;
  }
  return TRUE;
}

extern "C" BOOL GetFileInformationByHandle(HANDLE hFile,
                                           LPBY_HANDLE_FILE_INFORMATION lpFileInformation) {
  KernelObject* file = FileOf(hFile);
  if (file == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (lpFileInformation == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  struct stat info {};
  if (::fstat(file->descriptor, &info) != 0) {
    korvane::platform::SetLastErrorFromErrno();
    return FALSE;
  }
  const auto size = static_cast<uint64_t>(info.st_size);
  const auto index = static_cast<uint64_t>(info.st_ino);
  *lpFileInformation = {};
  lpFileInformation->dwFileAttributes =
      (info.st_mode & S_IWUSR) != 0 ? FILE_ATTRIBUTE_ARCHIVE : FILE_ATTRIBUTE_READONLY;
  lpFileInformation->dwVolumeSerialNumber = static_cast<DWORD>(info.st_dev);
  lpFileInformation->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  lpFileInformation->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFF);
  lpFileInformation->nNumberOfLinks = static_cast<DWORD>(info.st_nlink);
  lpFileInformation->nFileIndexHigh = static_cast<DWORD>(index >> 32);
  lpFileInformation->nFileIndexLow = static_cast<DWORD>(index & 0xFFFFFFFF);
  return TRUE;
}

extern "C" BOOL CloseHandle(HANDLE hObject) {
  KernelObject* object = FileOf(hObject);
  if (object == nullptr) {
    object = korvane::platform::KernelObjectOf(hObject, KernelObject::Kind::kFileMapping);
  }
  if (object == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (object->lockDescriptor >= 0) ::close(object->lockDescriptor);
  const int result = ::close(object->descriptor);
  delete object;
  if (result != 0) {
    korvane::platform::SetLastErrorFromErrno();
    return FALSE;
  }
  return TRUE;
}
