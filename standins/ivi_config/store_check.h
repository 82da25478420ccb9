// Checking a configuration store file without a COM client: the first error it holds, or what
// it declares. For tools that tell a user why a store is not used.
#ifndef KORVANE_PLATFORM_IVI_CONFIG_STORE_CHECK_H
#define KORVANE_PLATFORM_IVI_CONFIG_STORE_CHECK_H

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvane::ivi_config {

struct StoreCheck {
  bool ok = false;
  std::string file;  // the file as given (UTF-8)
  // When not ok: the line at fault (0 when the file cannot be found or read) and the reason,
  // without file or line; description is the whole message, as Deserialize reports it.
  int line = 0;
  std::string reason;
  std::string description;
  // When ok: the names of the sessions, and each logical name with its session, in file order.
  std::vector<std::string> sessions;
  std::vector<std::pair<std::string, std::string>> logicalNames;
};

// Reads and parses the store file at path (UTF-8). Never throws but std::bad_alloc.
StoreCheck CheckStoreFile(std::string_view path);

}  // namespace korvane::ivi_config

#endif  // KORVANE_PLATFORM_IVI_CONFIG_STORE_CHECK_H
