// The registry file shared by the processes of one user (see
// detail/registry_store.h).
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/posix/detail/last_error.h"
#include "platform/posix/detail/registry_format.h"
#include "platform/posix/detail/registry_store.h"
#include "platform/posix/winerror.h"

namespace korvane::platform {

namespace {

constexpr long kDefaultLockTimeoutMs = 10000;

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

std::chrono::milliseconds LockTimeout() {
  const char* text = std::getenv("KORVANE_REGISTRY_LOCK_TIMEOUT_MS");
  if (text == nullptr || text[0] == '\0') return std::chrono::milliseconds(kDefaultLockTimeoutMs);
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  const bool valid = *end == '\0' && value >= 0;
  return std::chrono::milliseconds(valid ? value : kDefaultLockTimeoutMs);
}

LONG LastErrno() {
  return static_cast<LONG>(Win32ErrorFromErrno(errno));
}

// Creates the folders leading to path (like mkdir -p of its parent).
void CreateParentFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    ::mkdir(path.substr(0, slash).c_str(), 0777);
  }
}

// A file descriptor, closed on destruction. Copying would close it twice: deleted.
class Descriptor {
 public:
  explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  int get() const { return descriptor_; }
  bool valid() const { return descriptor_ >= 0; }
  // Closes now: the status of close, which reports late write errors.
  bool Close() {
    const int descriptor = descriptor_;
    descriptor_ = -1;
    return ::close(descriptor) == 0;
  }

 private:
  int descriptor_;
};

// An exclusive advisory lock on "<path>.lock", held for the object's life
// (closing the descriptor releases it). It waits at most the lock timeout for
// another writer; status() is ERROR_TIMEOUT when that ran out.
class FileLock {
 public:
  explicit FileLock(const std::string& path)
      : descriptor_(::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666)) {
    if (!descriptor_.valid()) {
      status_ = LastErrno();
      return;
    }
    const auto deadline = std::chrono::steady_clock::now() + LockTimeout();
    while (::flock(descriptor_.get(), LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) {
        status_ = LastErrno();
        return;
      }
      if (std::chrono::steady_clock::now() >= deadline) {
        status_ = ERROR_TIMEOUT;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    status_ = ERROR_SUCCESS;
  }
  LONG status() const { return status_; }

 private:
  Descriptor descriptor_;
  LONG status_ = ERROR_SUCCESS;
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

// Reads the whole file behind descriptor; false with errno set on failure.
bool ReadAll(int descriptor, std::string* text) {
  char buffer[65536];
  for (;;) {
    const ssize_t result = ::read(descriptor, buffer, sizeof(buffer));
    if (result < 0 && errno == EINTR) continue;
    if (result < 0) return false;
    if (result == 0) return true;
    text->append(buffer, static_cast<std::size_t>(result));
  }
}

// Removes "<file>.tmp" and "<file>.tmp.<anything>" left by writers that died
// while saving. Only the lock holder calls it, so none of them is in use.
void RemoveStaleTemporaries(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string stem = (slash == std::string::npos ? path : path.substr(slash + 1)) + ".tmp";
  DIR* directory = ::opendir(folder.c_str());
  if (directory == nullptr) return;
  while (const dirent* entry = ::readdir(directory)) {
    const std::string_view name(entry->d_name);
    if (name == stem || (name.starts_with(stem) && name[stem.size()] == '.')) {
      ::unlink((folder + std::string(name)).c_str());
    }
  }
  ::closedir(directory);
}

}  // namespace

RegistryStore& RegistryStore::Instance() {
  static RegistryStore store(DefaultRegistryPath());
  return store;
}

RegistryStore::RegistryStore(std::string path) : path_(std::move(path)) {}

RegistryStore::FileStamp RegistryStore::StampOf(const struct stat& info) {
  return FileStamp{true,
                   info.st_dev,
                   info.st_ino,
                   info.st_size,
                   info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec,
                   info.st_ctim.tv_sec * 1000000000LL + info.st_ctim.tv_nsec};
}

LONG RegistryStore::ReloadIfChanged() {
  struct stat info {};
  if (loadedOnce_ && ::stat(path_.c_str(), &info) == 0 && StampOf(info) == loaded_) {
    return ERROR_SUCCESS;
  }
  Descriptor file(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
  FileStamp stamp;  // no file: an empty registry
  RegistryTree fresh;
  LONG status = ERROR_SUCCESS;
  if (file.valid()) {
    std::string text;
    if (::fstat(file.get(), &info) != 0 || !ReadAll(file.get(), &text)) {
      status = LastErrno();
    } else {
      stamp = StampOf(info);
      status = ParseRegistry(text, &fresh);
    }
  } else if (errno != ENOENT) {
    status = LastErrno();
  }
  if (status != ERROR_SUCCESS) {
    loadedOnce_ = false;
    tree_ = RegistryTree();
    return status;
  }
  tree_ = std::move(fresh);
  loaded_ = stamp;
  loadedOnce_ = true;
  return ERROR_SUCCESS;
}

LONG RegistryStore::Save() {
  RemoveStaleTemporaries(path_);
  struct stat info {};
  const mode_t mode = ::stat(path_.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0666;
  const std::string temporary = path_ + ".tmp";
  Descriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
  if (!file.valid()) return LastErrno();
  const bool written =
      WriteAll(file.get(), SerializeRegistry(tree_)) && ::fsync(file.get()) == 0 && file.Close();
  if (!written || ::rename(temporary.c_str(), path_.c_str()) != 0) {
    const LONG error = LastErrno();
    ::unlink(temporary.c_str());
    return error == ERROR_SUCCESS ? ERROR_CANTWRITE : error;
  }
  // Nobody else writes while the lock is held: the file is the one just written.
  loaded_ = ::stat(path_.c_str(), &info) == 0 ? StampOf(info) : FileStamp{};
  return ERROR_SUCCESS;
}

LONG RegistryStore::Read(const Query& query) {
  std::lock_guard<std::mutex> guard(mutex_);
  const LONG status = ReloadIfChanged();
  return status != ERROR_SUCCESS ? status : query(tree_);
}

LONG RegistryStore::Write(const Change& change) {
  std::lock_guard<std::mutex> guard(mutex_);
  CreateParentFolders(path_);
  const FileLock lock(path_);
  if (lock.status() != ERROR_SUCCESS) return lock.status();
  LONG status = ReloadIfChanged();
  if (status != ERROR_SUCCESS) return status;
  if (::access(path_.c_str(), W_OK) != 0 && errno != ENOENT) return LastErrno();
  bool modified = false;
  status = change(tree_, &modified);
  if (!modified) return status;
  const LONG saved = Save();
  if (saved != ERROR_SUCCESS) {
    loadedOnce_ = false;  // forget the unsaved change: take the file's content again
    ReloadIfChanged();
    return saved;
  }
  return status;
}

}  // namespace korvane::platform
