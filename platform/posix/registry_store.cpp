// The registry file shared by the processes of one user (see
// detail/registry_store.h).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/posix/detail/registry_format.h"
#include "platform/posix/detail/registry_store.h"
#include "platform/posix/winerror.h"

namespace korvane::platform {

namespace {

std::string DefaultRegistryPath() {
  if (const char* explicitPath = std::getenv("KORVANE_REGISTRY");
      explicitPath != nullptr && explicitPath[0] != '\0') {
    return explicitPath;
  }
  std::string config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] != '\0') {
    config = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    config = std::string(home) + "/.config";
  } else {
    config = "/tmp";
  }
  return config + "/korvane/registry";
}

// Creates the folders leading to path (like mkdir -p of its parent).
void CreateParentFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    ::mkdir(path.substr(0, slash).c_str(), 0777);
  }
}

// An exclusive advisory lock on "<path>.lock", held for the object's life.
// Copying would release the lock twice: deleted.
class FileLock {
 public:
  explicit FileLock(const std::string& path)
      : descriptor_(::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
    if (descriptor_ >= 0) {
      while (::flock(descriptor_, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock() {
    if (descriptor_ >= 0) ::close(descriptor_);  // closing releases the lock
  }
  bool held() const { return descriptor_ >= 0; }

 private:
  int descriptor_;
};

bool WriteAll(int descriptor, const std::string& text) {
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t result = ::write(descriptor, text.data() + written, text.size() - written);
    if (result < 0 && errno == EINTR) continue;
    if (result <= 0) return false;
    written += static_cast<std::size_t>(result);
  }
  return true;
}

}  // namespace

RegistryStore& RegistryStore::Instance() {
  static RegistryStore store;
  return store;
}

RegistryStore::RegistryStore() : path_(DefaultRegistryPath()) {}

RegistryStore::FileStamp RegistryStore::StampOfFile() const {
  struct stat info {};
  FileStamp stamp;
  if (::stat(path_.c_str(), &info) != 0) return stamp;
  stamp.exists = true;
  stamp.device = info.st_dev;
  stamp.inode = info.st_ino;
  stamp.size = info.st_size;
  stamp.modifiedNs =
      static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
  return stamp;
}

void RegistryStore::ReloadIfChanged() {
  const FileStamp stamp = StampOfFile();
  if (loadedOnce_ && stamp == loaded_) return;
  RegistryTree fresh;
  if (stamp.exists) {
    std::ifstream file(path_, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    ParseRegistry(text.str(), &fresh);
  }
  tree_ = std::move(fresh);
  loaded_ = stamp;
  loadedOnce_ = true;
}

bool RegistryStore::Save() {
  const std::string temporary = path_ + ".tmp." + std::to_string(::getpid());
  const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (descriptor < 0) return false;
  const bool written = WriteAll(descriptor, SerializeRegistry(tree_)) && ::fsync(descriptor) == 0;
  ::close(descriptor);
  if (!written || ::rename(temporary.c_str(), path_.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  loaded_ = StampOfFile();
  return true;
}

LONG RegistryStore::Read(const Query& query) {
  std::lock_guard<std::mutex> guard(mutex_);
  ReloadIfChanged();
  return query(tree_);
}

LONG RegistryStore::Write(const Change& change) {
  std::lock_guard<std::mutex> guard(mutex_);
  CreateParentFolders(path_);
  FileLock lock(path_);
  if (!lock.held()) return ERROR_CANTWRITE;
  ReloadIfChanged();
  bool modified = false;
  const LONG status = change(tree_, &modified);
  if (modified && !Save()) {
    loadedOnce_ = false;  // drop the unsaved change: reread the file next time
    return ERROR_CANTWRITE;
  }
  return status;
}

}  // namespace korvane::platform
