// Reading a configuration store file from its location.
#ifndef KORVANE_PLATFORM_IVI_CONFIG_STORE_FILE_H
#define KORVANE_PLATFORM_IVI_CONFIG_STORE_FILE_H

#include <stdexcept>
#include <string>

#include "standins/ivi_config/store_model.h"
#include "platform/ole_string.h"

namespace korvane::ivi_config {

// The store could not be read: code is IVICONFIG_E_NO_STORE, IVICONFIG_E_CANNOT_READ or
// IVICONFIG_E_BAD_FORMAT; what() describes it with the location.
class StoreFileError : public std::runtime_error {
 public:
  StoreFileError(HRESULT code, const std::string& description)
      : std::runtime_error(description), code_(code) {}
  HRESULT code() const { return code_; }

 private:
  HRESULT code_;
};

// Reads and parses the file at location (UTF-8, an optional byte-order mark is skipped). Throws
// StoreFileError, or std::bad_alloc when memory runs out.
StoreModel LoadStoreFile(OleStringView location);

}  // namespace korvane::ivi_config

#endif  // KORVANE_PLATFORM_IVI_CONFIG_STORE_FILE_H
