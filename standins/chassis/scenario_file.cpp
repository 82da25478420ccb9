#include "standins/chassis/scenario_file.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <system_error>

#include "standins/chassis/scenario.h"
#include "standins/chassis/virtual_chassis_switch.h"

namespace korvane::virtual_chassis {
namespace {

// A scenario is a page of settings; a larger file is not one.
constexpr uintmax_t kMaxScenarioBytes = 256 * 1024;

}  // namespace

// Why every operation looks, and at what. Looking only when a session opens
// would be cheaper but wrong: `korvane watch` keeps its session open, so an
// injection taken out of the file would never stop failing. A look reads the
// file's size and modification time (two stat calls, nothing while no
// scenario is named), where reading the text each time would open and read
// the file. Those two can miss one change: a rewrite of the same size within
// the file system's timestamp granularity (a few milliseconds; two seconds on
// FAT). So while the file's last change is that recent, the text is compared
// as well, and so it is while the file could not be read (a permission given
// back changes neither). A changed stamp with the same text (a save without
// an edit) is no change: the chassis does not power on again for it.
bool ScenarioFile::Changed() {
  if (path_.empty()) return false;
  const auto now = std::filesystem::file_time_type::clock::now();
  const Stamp stamp = Look(path_);
  if (stamp == stamp_ && !recent_ && text_) return false;
  const auto text = Read(path_, stamp);
  if (text != text_) return true;
  if (!text && stamp != stamp_) return true;  // unreadable in another way: say why anew
  stamp_ = stamp;
  recent_ = text && Recent(stamp, now);
  return false;
}

ScenarioFile::Stamp ScenarioFile::Look(const std::string& path) {
  Stamp stamp;
  stamp.size = std::filesystem::file_size(path, stamp.error);  // fails for all but a regular file
  if (!stamp.error) {
    stamp.type = std::filesystem::file_type::regular;
    stamp.time = std::filesystem::last_write_time(path, stamp.error);
    if (!stamp.error) return stamp;
  }
  stamp = Stamp{};
  stamp.type = std::filesystem::status(path, stamp.error).type();
  return stamp;
}

std::optional<std::string> ScenarioFile::Read(const std::string& path, const Stamp& stamp) {
  if (stamp.type != std::filesystem::file_type::regular || stamp.size > kMaxScenarioBytes)
    return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (file.bad()) return std::nullopt;
  return text;
}

bool ScenarioFile::Recent(const Stamp& stamp, std::filesystem::file_time_type now) {
  // FAT's two seconds are the coarsest granularity in use; a file time ahead
  // of this clock (another machine's, on a network file system) is recent too.
  return now - stamp.time < std::chrono::seconds(2);
}

std::string ScenarioFile::Apply(ChassisState& chassis) {
  // The stamp before the text: a change made while the text is read shows at the next look.
  if (path_.empty()) return "";
  const auto now = std::filesystem::file_time_type::clock::now();
  stamp_ = Look(path_);
  text_.reset();
  recent_ = false;
  const std::string named = std::string("scenario ") + path_ + " (" + kScenarioVariable + ")";
  if (stamp_.type == std::filesystem::file_type::not_found)
    return named + " cannot be read: there is no such file";
  if (stamp_.error) return named + " cannot be read: " + stamp_.error.message();
  if (stamp_.type != std::filesystem::file_type::regular) return named + " is not a regular file";
  if (stamp_.size > kMaxScenarioBytes)
    return named + " is larger than " + std::to_string(kMaxScenarioBytes / 1024) + " KiB";
  text_ = Read(path_, stamp_);
  if (!text_) return named + " cannot be read";
  recent_ = Recent(stamp_, now);
  try {
    ApplyScenarioText(*text_, chassis);
  } catch (const ScenarioError& failure) {
    return "scenario " + path_ + ":" + std::to_string(failure.line()) + ": " + failure.what();
  }
  return "";
}

}  // namespace korvane::virtual_chassis
