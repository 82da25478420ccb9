// The registry file shared by the processes of one user: where it lives, when
// to read it again and how to change it without losing another process's
// change.
//
// The file is $KORVANE_REGISTRY, or else $XDG_CONFIG_HOME/korvane/registry
// (~/.config/korvane/registry). Readers reload it whenever it was replaced
// since they last read it. A writer takes an exclusive lock on the file's
// companion "<file>.lock", reloads, applies its change, writes the whole tree
// to a temporary file and renames it over the registry file, so readers
// always see a complete file.
#pragma once

#include <sys/types.h>

#include <functional>
#include <mutex>
#include <string>

#include "platform/posix/detail/registry_tree.h"

namespace korvane::platform {

class RegistryStore {
 public:
  // A change reports whether it modified the tree and returns its status.
  using Change = std::function<LONG(RegistryTree& tree, bool* modified)>;
  using Query = std::function<LONG(const RegistryTree& tree)>;

  static RegistryStore& Instance();

  RegistryStore(const RegistryStore&) = delete;  // one per process
  RegistryStore& operator=(const RegistryStore&) = delete;

  LONG Read(const Query& query);
  // Returns the change's status, or ERROR_CANTWRITE when the file could not be
  // written (the change is then dropped).
  LONG Write(const Change& change);

 private:
  // What identifies one version of the file.
  struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
  };

  RegistryStore();
  FileStamp StampOfFile() const;
  void ReloadIfChanged();
  bool Save();

  std::mutex mutex_;
  std::string path_;
  RegistryTree tree_;
  FileStamp loaded_;
  bool loadedOnce_ = false;
};

}  // namespace korvane::platform
