// Share modes as open-file-description locks on bytes far beyond any file's end, which the
// system keeps per open (so across handles of one process as across processes) and drops when
// the open's last descriptor closes, also when its process dies.
//
// Each kind of access (read, write) has two bytes: every open holding that access keeps a shared
// lock on its "holds" byte, every open refusing to share it a shared lock on its "refuses" byte.
// An open first takes its own locks, then looks for another open's lock on the opposite byte.
// Two opens racing may then both see each other and both fail; never both succeed.
#include <fcntl.h>

#include "platform/posix/detail/share_mode.h"

namespace korvane::platform {
namespace {

constexpr DWORD kWriteAccess = GENERIC_WRITE | FILE_WRITE_DATA | FILE_APPEND_DATA;
constexpr DWORD kReadAccess = GENERIC_READ | FILE_READ_DATA;
constexpr off_t kFirstLockByte = off_t{1} << 62;

struct AccessKind {
  bool held;
  bool shared;
  off_t holdsByte;
  off_t refusesByte;
};

// A lock of the given type on one byte.
struct flock OneByte(short type, off_t byte) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = byte;
  lock.l_len = 1;
  return lock;
}

bool Lock(int descriptor, off_t byte) {
  struct flock lock = OneByte(F_RDLCK, byte);
  return ::fcntl(descriptor, F_OFD_SETLK, &lock) == 0;
}

// Whether another open keeps a lock on `byte`.
bool LockedByOthers(int descriptor, off_t byte) {
  struct flock probe = OneByte(F_WRLCK, byte);
  if (::fcntl(descriptor, F_OFD_GETLK, &probe) != 0) return false;
  return probe.l_type != F_UNLCK;
}

void UnlockAll(int descriptor) {
  struct flock lock {};
  lock.l_type = F_UNLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = kFirstLockByte;
  lock.l_len = 4;
  ::fcntl(descriptor, F_OFD_SETLK, &lock);
}

}  // namespace

bool ReadsFile(DWORD access) {
  return (access & kReadAccess) != 0;
}

bool WritesFile(DWORD access) {
  return (access & kWriteAccess) != 0;
}

DWORD TakeShareLocks(int lockDescriptor, DWORD access, DWORD shareMode) {
  const AccessKind kinds[] = {
      {ReadsFile(access), (shareMode & FILE_SHARE_READ) != 0, kFirstLockByte, kFirstLockByte + 1},
      {WritesFile(access), (shareMode & FILE_SHARE_WRITE) != 0, kFirstLockByte + 2,
       kFirstLockByte + 3},
  };
  for (const AccessKind& kind : kinds) {
    if ((kind.held && !Lock(lockDescriptor, kind.holdsByte)) ||
        (!kind.shared && !Lock(lockDescriptor, kind.refusesByte))) {
      UnlockAll(lockDescriptor);
      return ERROR_SHARING_VIOLATION;
    }
  }
  for (const AccessKind& kind : kinds) {
    if ((kind.held && LockedByOthers(lockDescriptor, kind.refusesByte)) ||
        (!kind.shared && LockedByOthers(lockDescriptor, kind.holdsByte))) {
      UnlockAll(lockDescriptor);
      return ERROR_SHARING_VIOLATION;
    }
  }
  return ERROR_SUCCESS;
}

}  // namespace korvane::platform
