// The registry file shared by the processes of one user: where it lives, when
// to read it again and how to change it without losing another process's
// change.
//
// The file is $KORVANE_REGISTRY, or else $XDG_CONFIG_HOME/korvane/registry
// (~/.config/korvane/registry). Readers reload it whenever it was replaced
// since they last read it. A writer takes an exclusive lock on the file's
// companion "<file>.lock" (waiting at most $KORVANE_REGISTRY_LOCK_TIMEOUT_MS,
// by default ten seconds), reloads, applies its change, writes the whole tree
// to "<file>.tmp" and renames it over the registry file, so readers always
// see a complete file. Temporary files of writers that died are removed by
// the next writer.
//
// A file that cannot be read or understood is never taken as empty: reads
// and writes fail with its error (ERROR_ACCESS_DENIED, ERROR_BADDB...) and
// leave it as it is.
#pragma once

#include <sys/stat.h>
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

  // The process's store, on the file named above.
  static RegistryStore& Instance();
  // A store on the file at path (the process has one; tests make more).
  explicit RegistryStore(std::string path);

  RegistryStore(const RegistryStore&) = delete;
  RegistryStore& operator=(const RegistryStore&) = delete;

  // The query's status, or the error that kept the file from being read.
  LONG Read(const Query& query);
  // The change's status, or the error that kept the file from being read or
  // written: then neither the file nor this store's view of it has changed.
  LONG Write(const Change& change);

 private:
  // What identifies one version of the file.
  struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modifiedNs = 0;
    long long changedNs = 0;
    bool operator==(const FileStamp&) const = default;
  };

  static FileStamp StampOf(const struct stat& info);
  LONG ReloadIfChanged();
  LONG Save();

  std::mutex mutex_;
  std::string path_;
  RegistryTree tree_;
  FileStamp loaded_;
  bool loadedOnce_ = false;
};

}  // namespace korvane::platform
