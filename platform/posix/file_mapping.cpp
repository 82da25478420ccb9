// File mappings: CreateFileMappingW, MapViewOfFile, FlushViewOfFile, UnmapViewOfFile. A view is
// a shared mapping of the file, so what is written into it is the file's content for every
// reader at once, and stays when the process ends without unmapping it.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <new>

#include "platform/posix/detail/kernel_object.h"
#include "platform/posix/detail/last_error.h"
#include "platform/posix/detail/share_mode.h"

using korvane::platform::KernelObject;

namespace {

constexpr ULONGLONG kAllocationGranularity = 0x10000;

ULONGLONG Combine(DWORD high, DWORD low) {
  return (ULONGLONG{high} << 32) | low;
}

// The views mapped now, by base address, with their lengths (UnmapViewOfFile and
// FlushViewOfFile are given the base alone).
class ViewTable {
 public:
  void Add(void* base, size_t length) {
    std::lock_guard guard(mutex_);
    views_[base] = length;
  }
  // The view's length, or 0 when no view starts there.
  size_t Length(const void* base) {
    std::lock_guard guard(mutex_);
    const auto found = views_.find(base);
    return found == views_.end() ? 0 : found->second;
  }
  size_t Remove(const void* base) {
    std::lock_guard guard(mutex_);
    const auto found = views_.find(base);
    if (found == views_.end()) return 0;
    const size_t length = found->second;
    views_.erase(found);
    return length;
  }

 private:
  std::mutex mutex_;
  std::map<const void*, size_t> views_;
};

ViewTable& Views() {
  static ViewTable& views = *new ViewTable;  // views may outlive the static objects
  return views;
}

HANDLE Fail(DWORD error) {
  SetLastError(error);
  return nullptr;
}

// The file's size, or -1 with the last error set.
off_t FileSize(int descriptor) {
  struct stat info {};
  if (::fstat(descriptor, &info) != 0) {
    korvane::platform::SetLastErrorFromErrno();
    return -1;
  }
  return info.st_size;
}

}  // namespace

extern "C" HANDLE CreateFileMappingW(HANDLE hFile, LPSECURITY_ATTRIBUTES, DWORD flProtect,
                                     DWORD dwMaximumSizeHigh, DWORD dwMaximumSizeLow,
                                     LPCWSTR lpName) {
  const KernelObject* file = korvane::platform::KernelObjectOf(hFile, KernelObject::Kind::kFile);
  if (file == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (lpName != nullptr) return Fail(ERROR_NOT_SUPPORTED);
  if (flProtect != PAGE_READONLY && flProtect != PAGE_READWRITE) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  const bool writable = flProtect == PAGE_READWRITE;
  if (!korvane::platform::ReadsFile(file->access) ||
      (writable && !korvane::platform::WritesFile(file->access))) {
    return Fail(ERROR_ACCESS_DENIED);
  }

  const off_t fileSize = FileSize(file->descriptor);
  if (fileSize < 0) return nullptr;
  ULONGLONG size = Combine(dwMaximumSizeHigh, dwMaximumSizeLow);
  if (size == 0) {
    if (fileSize == 0) return Fail(ERROR_FILE_INVALID);  // nothing to map
    size = static_cast<ULONGLONG>(fileSize);
  } else if (size > static_cast<ULONGLONG>(fileSize)) {
    if (!writable) return Fail(ERROR_NOT_ENOUGH_MEMORY);  // a read-only file cannot grow
    // The blocks are reserved as on Windows, so that a full disk fails here and never a later
    // store into a view.
    if (const int error = ::posix_fallocate(file->descriptor, 0, static_cast<off_t>(size));
        error != 0) {
      SetLastError(korvane::platform::Win32ErrorFromErrno(error));
      return nullptr;
    }
  }
  const int descriptor = ::dup(file->descriptor);
  if (descriptor < 0) {
    korvane::platform::SetLastErrorFromErrno();
    return nullptr;
  }
  HANDLE mapping = korvane::platform::NewKernelObject(
      {KernelObject::Kind::kFileMapping, descriptor, 0, size, writable});
  if (mapping == nullptr) ::close(descriptor);
  return mapping;
}

extern "C" LPVOID MapViewOfFile(HANDLE hFileMappingObject, DWORD dwDesiredAccess,
                                DWORD dwFileOffsetHigh, DWORD dwFileOffsetLow,
                                SIZE_T dwNumberOfBytesToMap) {
  const KernelObject* mapping =
      korvane::platform::KernelObjectOf(hFileMappingObject, KernelObject::Kind::kFileMapping);
  if (mapping == nullptr) return Fail(ERROR_INVALID_HANDLE);
  const bool write = (dwDesiredAccess & FILE_MAP_WRITE) != 0;
  if (write && !mapping->writable) return Fail(ERROR_ACCESS_DENIED);
  const ULONGLONG offset = Combine(dwFileOffsetHigh, dwFileOffsetLow);
  if (offset % kAllocationGranularity != 0) return Fail(ERROR_MAPPED_ALIGNMENT);
  if (offset >= mapping->size) return Fail(ERROR_ACCESS_DENIED);
  const ULONGLONG length =
      dwNumberOfBytesToMap == 0 ? mapping->size - offset : ULONGLONG{dwNumberOfBytesToMap};
  if (length > mapping->size - offset) return Fail(ERROR_ACCESS_DENIED);

  void* view = ::mmap(nullptr, length, write ? PROT_READ | PROT_WRITE : PROT_READ, MAP_SHARED,
                      mapping->descriptor, static_cast<off_t>(offset));
  if (view == MAP_FAILED) {
    korvane::platform::SetLastErrorFromErrno();
    return nullptr;
  }
  try {
    Views().Add(view, length);
  } catch (const std::bad_alloc&) {
    ::munmap(view, length);
    return Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
  return view;
}

extern "C" BOOL FlushViewOfFile(LPCVOID lpBaseAddress, SIZE_T dwNumberOfBytesToFlush) {
  const size_t length = Views().Length(lpBaseAddress);
  if (length == 0) {
    SetLastError(ERROR_INVALID_ADDRESS);
    return FALSE;
  }
  const size_t flushed = dwNumberOfBytesToFlush == 0 ? length : dwNumberOfBytesToFlush;
  if (::msync(const_cast<void*>(lpBaseAddress), flushed < length ? flushed : length, MS_SYNC) !=
      0) {
    korvane::platform::SetLastErrorFromErrno();
    return FALSE;
  }
  return TRUE;
}

extern "C" BOOL UnmapViewOfFile(LPCVOID lpBaseAddress) {
  const size_t length = Views().Remove(lpBaseAddress);
  if (length == 0) {
    SetLastError(ERROR_INVALID_ADDRESS);
    return FALSE;
  }
  ::munmap(const_cast<void*>(lpBaseAddress), length);
  return TRUE;
}
