#pragma once
// A new, empty folder under the system's temporary folder, made and removed
// through the same Windows services the driver uses, so that tests run
// unchanged on both systems.

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/ole_string.h"

namespace korvane::testing {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();                           // removes the folder with everything in it
  TempFolder(const TempFolder&) = delete;  // would remove the folder twice
  TempFolder& operator=(const TempFolder&) = delete;

  const OleString& path() const { return path_; }
  std::filesystem::path fsPath() const { return std::filesystem::path(path_); }
  // path() and `name` joined by the system's separator; a '/' in `name`
  // becomes that separator too.
  OleString File(std::string_view name) const;
  // Writes `text` to the file `name` of the folder and returns its path.
  std::filesystem::path Write(std::string_view name, std::string_view text) const;

 private:
  OleString path_;
  OLECHAR separator_;
};

}  // namespace korvane::testing
