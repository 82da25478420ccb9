#pragma once
// The one exception type of the driver. Thrown below an interface entry point
// and turned back into its status there; it never crosses an interface.

#include <exception>

#include "platform/win32.h"

namespace korvane {

class HResultError : public std::exception {
 public:
  explicit HResultError(HRESULT status) : status_(status) {}
  HRESULT status() const { return status_; }
  const char* what() const noexcept override { return "HRESULT failure"; }

 private:
  HRESULT status_;
};

// Throws HResultError for a failed status; lets success codes through.
inline void ThrowIfFailed(HRESULT status) {
  if (FAILED(status)) throw HResultError(status);
}

}  // namespace korvane
