// A file written whole or not at all: the text goes to a temporary file in the
// same folder, which replaces the file only when everything was written.
// Readers (such as node_exporter's textfile collector) never see half a file,
// and no temporary file is left behind, whether writing succeeds or fails.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace korvane::cli {

class AtomicFile {
 public:
  // Creates the temporary file beside path; throws std::runtime_error naming
  // it and the reason when it cannot.
  explicit AtomicFile(std::filesystem::path path);
  // Removes the temporary file unless Commit succeeded.
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  std::ostream& stream() { return out_; }
  // Writes out the text and puts it in the place of the file; throws
  // std::runtime_error when either fails (the file is then unchanged).
  void Commit();

 private:
  std::filesystem::path path_;
  std::filesystem::path temporary_;
  std::ofstream out_;
  bool committed_ = false;
};

}  // namespace korvane::cli
