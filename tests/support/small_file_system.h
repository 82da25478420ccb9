#pragma once
// A small tmpfs of a test's own, mounted on a new temporary folder (Linux, with the right to
// mount; else available() is false and reason() says why, for the test's skip message).

#include <cstddef>
#include <string>

#include "platform/ole_string.h"
#include "tests/support/temp_folder.h"

namespace korvane::testing {

class SmallFileSystem {
 public:
  // `bytes` of room; `readOnly` mounts it so that nothing can be created in it.
  explicit SmallFileSystem(size_t bytes, bool readOnly = false);
  ~SmallFileSystem();                                // unmounts
  SmallFileSystem(const SmallFileSystem&) = delete;  // one unmount
  SmallFileSystem& operator=(const SmallFileSystem&) = delete;

  bool available() const { return mounted_; }
  const std::string& reason() const { return reason_; }
  OleString File(std::string_view name) const { return folder_.File(name); }

 private:
  TempFolder folder_;
  bool mounted_ = false;
  std::string reason_;
};

}  // namespace korvane::testing
