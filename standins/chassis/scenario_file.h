// The scenario file named by KORVANE_CHASSIS_SCENARIO (scenario.h gives its
// format): read as the virtual chassis powers on, and looked at again before
// each operation, so that a process that runs on sees it as it is now.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

namespace korvane::virtual_chassis {

struct ChassisState;

// The file, and what was last read of it.
class ScenarioFile {
 public:
  explicit ScenarioFile(std::string path = "") : path_(std::move(path)) {}

  // Applies the file ("": none). A file that is not a regular file, is too
  // large, cannot be read or has an error is not applied at all; the result
  // then says why, naming the file (and line), and is "" otherwise.
  std::string Apply(ChassisState& chassis);

  // Whether the file has changed since Apply: its text is another, it can be
  // read where it could not or the other way round, or it looks different
  // and still cannot be read (for another reason, perhaps).
  bool Changed();

 private:
  // What one look at the file's metadata sees.
  struct Stamp {
    std::filesystem::file_type type = std::filesystem::file_type::none;
    uintmax_t size = 0;
    std::filesystem::file_time_type time{};
    std::error_code error;  // why the file's type could not be told
    bool operator==(const Stamp&) const = default;
  };
  static Stamp Look(const std::string& path);
  // The file's text, if it is a regular file of scenario size that can be read.
  static std::optional<std::string> Read(const std::string& path, const Stamp& stamp);
  // Whether a rewrite of the same size could still leave the stamp as it is:
  // the file changed within the file system's timestamp granularity of `now`.
  static bool Recent(const Stamp& stamp, std::filesystem::file_time_type now);

  std::string path_;
  Stamp stamp_;                      // as Apply (or the last look that found the same text) saw it
  std::optional<std::string> text_;  // the text Apply read; none when it read none
  bool recent_ = false;              // Recent(stamp_) when last looked at
};

}  // namespace korvane::virtual_chassis
