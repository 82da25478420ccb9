#include "tests/support/small_file_system.h"

#ifndef _WIN32
#include <sys/mount.h>
#endif

#include <cerrno>
#include <cstring>

namespace korvane::testing {

#ifndef _WIN32

SmallFileSystem::SmallFileSystem(size_t bytes, bool readOnly) {
  const std::string options = "size=" + std::to_string(bytes);
  const unsigned long flags = readOnly ? MS_RDONLY : 0;
  if (::mount("tmpfs", folder_.fsPath().c_str(), "tmpfs", flags, options.c_str()) == 0) {
    mounted_ = true;
  } else {
    reason_ = std::string("cannot mount a small tmpfs here (") + std::strerror(errno) +
              "); run the suite as root, or in a container allowed to mount";
  }
}

SmallFileSystem::~SmallFileSystem() {
  if (mounted_) ::umount2(folder_.fsPath().c_str(), MNT_DETACH);
}

#else

SmallFileSystem::SmallFileSystem(size_t, bool) {
  reason_ = "a small file system of its own is mounted on Linux only";
}

SmallFileSystem::~SmallFileSystem() = default;

#endif

}  // namespace korvane::testing
