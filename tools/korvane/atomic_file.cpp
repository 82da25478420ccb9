#include "tools/korvane/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <random>
#include <stdexcept>
#include <system_error>

namespace korvane::cli {
namespace {

// "<name>.tmp-<random>": not matched by "*.prom", so a textfile collector
// never reads it, and unlikely to meet another writer's file.
std::filesystem::path TemporaryBeside(const std::filesystem::path& path) {
  std::random_device random;
  const auto tag = std::to_string(random()) + std::to_string(random());
  std::filesystem::path temporary = path;
  temporary += ".tmp-" + tag;
  return temporary;
}

std::runtime_error Failure(const std::string& what, const std::filesystem::path& path,
                           const std::string& reason) {
  return std::runtime_error(what + " '" + path.string() + "': " + reason);
}

}  // namespace

AtomicFile::AtomicFile(std::filesystem::path path)
    : path_(std::move(path)), temporary_(TemporaryBeside(path_)) {
  out_.open(temporary_, std::ios::binary | std::ios::trunc);
  if (!out_) throw Failure("cannot create a file beside", path_, std::strerror(errno));
}

AtomicFile::~AtomicFile() {
  if (committed_) return;
  out_.close();
  std::error_code ignored;
  std::filesystem::remove(temporary_, ignored);
}

void AtomicFile::Commit() {
  out_.flush();
  out_.close();
  if (out_.fail()) throw Failure("cannot write", temporary_, std::strerror(errno));
  std::error_code error;
  std::filesystem::rename(temporary_, path_, error);
  if (error) throw Failure("cannot replace", path_, error.message());
  committed_ = true;
}

}  // namespace korvane::cli
