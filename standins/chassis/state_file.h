// The file in which the virtual chassis keeps, per resource, what a real
// chassis keeps between the processes that use it: a few hundred bytes of
// text under the user's runtime folder, replaced whole on every change
// (written to a temporary file, then renamed over the old one), so that a
// reader sees the old state or the new one, never a mix.
//
// The folder is $XDG_RUNTIME_DIR/korvane-virtual-chassis, or without that
// variable a per-user folder in the temporary directory; on Windows
// %LOCALAPPDATA%\Korvane\VirtualChassis, or without that the temporary directory's.
#pragma once

#include <filesystem>
#include <string>

namespace korvane::virtual_chassis {

class StateFile {
 public:
  explicit StateFile(const std::string& resource);

  // The file's text; "" when there is none (or it cannot be read).
  std::string Read() const;
  // Replaces the file's text; false when the folder or file cannot be written.
  bool Write(const std::string& text) const;
  // Removes the file: the resource's chassis powers on afresh.
  void Remove() const;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// The folder of the state files.
std::filesystem::path StateFolder();

}  // namespace korvane::virtual_chassis
