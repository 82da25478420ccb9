#include "standins/chassis/state_file.h"

#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

#include "standins/chassis/environment.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace korvane::virtual_chassis {
namespace {

// A state file is small; anything larger is not one of ours.
constexpr std::streamsize kMaxStateBytes = 64 * 1024;

std::filesystem::path FromVariable(const char* name) {
  return std::filesystem::path(EnvironmentVariable(name));
}

std::filesystem::path UserFolder() {
#if defined(_WIN32)
  if (auto local = FromVariable("LOCALAPPDATA"); !local.empty())
    return local / "Korvane" / "VirtualChassis";
  std::error_code error;
  return std::filesystem::temp_directory_path(error) / "Korvane-VirtualChassis";
#else
  std::error_code error;
  return std::filesystem::temp_directory_path(error) /
         ("korvane-virtual-chassis-" + std::to_string(::getuid()));
#endif
}

// A resource descriptor as a file name: letters and digits kept, the rest '_'.
std::string FileName(const std::string& resource) {
  std::string name;
  for (const char c : resource) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    name += plain ? static_cast<char>(c | 0x20) : '_';  // names compare without letter case
  }
  return name + ".state";
}

}  // namespace

std::filesystem::path StateFolder() {
#if !defined(_WIN32)
  if (auto runtime = FromVariable("XDG_RUNTIME_DIR"); !runtime.empty())
    return runtime / "korvane-virtual-chassis";
#endif
  return UserFolder();
}

StateFile::StateFile(const std::string& resource) : path_(StateFolder() / FileName(resource)) {}

std::string StateFile::Read() const {
  std::ifstream file(path_, std::ios::binary);
  if (!file) return "";
  std::string text(static_cast<size_t>(kMaxStateBytes), '\0');
  file.read(text.data(), kMaxStateBytes);
  text.resize(static_cast<size_t>(file.gcount()));
  return text;
}

bool StateFile::Write(const std::string& text) const {
  std::error_code error;
  std::filesystem::create_directories(path_.parent_path(), error);
  // A name of its own per writer, so that two processes never share a temporary file.
  const auto temporary = path_.parent_path() /
                         (path_.filename().string() + "." + std::to_string(std::random_device{}()));
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (!(file << text) || !file.flush()) {
      file.close();
      std::filesystem::remove(temporary, error);
      return false;
    }
  }
  std::filesystem::rename(temporary, path_, error);
  if (!error) return true;
  std::filesystem::remove(temporary, error);
  return false;
}

void StateFile::Remove() const {
  std::error_code error;
  std::filesystem::remove(path_, error);
}

}  // namespace korvane::virtual_chassis
