// What a kernel HANDLE of this layer points at: an open file or a file mapping. Each holds a
// descriptor of its file of its own, so either can be closed first; CloseHandle ends both kinds.
#pragma once

#include "platform/posix/winbase.h"

namespace korvane::platform {

struct KernelObject {
  enum class Kind { kFile, kFileMapping };

  Kind kind;
  int descriptor;
  DWORD access = 0;         // a file's access rights as asked for
  ULONGLONG size = 0;       // a mapping's size in bytes
  bool writable = false;    // whether a mapping's views may be written
  int lockDescriptor = -1;  // a file's descriptor holding its share locks, when not `descriptor`
};

// The object behind `handle` when it is one of that kind, else null.
KernelObject* KernelObjectOf(HANDLE handle, KernelObject::Kind kind);

// A new object, or null (ERROR_NOT_ENOUGH_MEMORY set) when there is no memory for it.
HANDLE NewKernelObject(const KernelObject& object);

}  // namespace korvane::platform
