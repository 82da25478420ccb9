// Reading a configuration store file from its location.
#ifndef KORVANE_PLATFORM_IVI_CONFIG_STORE_FILE_H
#define KORVANE_PLATFORM_IVI_CONFIG_STORE_FILE_H

#include <stdexcept>
#include <string>

#include "platform/ole_string.h"
#include "standins/ivi_config/store_model.h"

namespace korvane::ivi_config {

// The store could not be read: code is IVICONFIG_E_NO_STORE, IVICONFIG_E_CANNOT_READ or
// IVICONFIG_E_BAD_FORMAT; what() describes it with the location. line() is the line at fault
// of a malformed file, 0 otherwise; reason() the description without the location.
class StoreFileError : public std::runtime_error {
 public:
  StoreFileError(HRESULT code, const std::string& description, int line = 0,
                 std::string reason = {})
      : std::runtime_error(description), code_(code), line_(line), reason_(std::move(reason)) {}
  HRESULT code() const { return code_; }
  int line() const { return line_; }
  const std::string& reason() const { return reason_; }

 private:
  HRESULT code_;
  int line_;
  std::string reason_;
};

// Reads the file's text at location (UTF-8; an optional byte-order mark is skipped). Throws
// StoreFileError with IVICONFIG_E_NO_STORE or IVICONFIG_E_CANNOT_READ, or std::bad_alloc.
std::string ReadStoreFile(OleStringView location);

// Reads and parses the file at location. Throws StoreFileError, or std::bad_alloc when memory
// runs out.
StoreModel LoadStoreFile(OleStringView location);

}  // namespace korvane::ivi_config

#endif  // KORVANE_PLATFORM_IVI_CONFIG_STORE_FILE_H
