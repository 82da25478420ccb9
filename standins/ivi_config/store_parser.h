// Reads the text of a configuration store file into a StoreModel. The format is described in the
// repository's README.md under "Configuration store file".
#ifndef KORVANE_PLATFORM_IVI_CONFIG_STORE_PARSER_H
#define KORVANE_PLATFORM_IVI_CONFIG_STORE_PARSER_H

#include <stdexcept>
#include <string>
#include <string_view>

#include "standins/ivi_config/store_model.h"

namespace korvane::ivi_config {

// A store file that does not follow the format; what() reads "line <n>: <reason>".
class StoreFormatError : public std::runtime_error {
 public:
  StoreFormatError(int line, const std::string& reason);
  int line() const { return line_; }
  const std::string& reason() const { return reason_; }

 private:
  int line_;
  std::string reason_;
};

// Throws StoreFormatError for malformed text and std::bad_alloc when memory runs out.
StoreModel ParseStore(std::string_view text);

}  // namespace korvane::ivi_config

#endif  // KORVANE_PLATFORM_IVI_CONFIG_STORE_PARSER_H
