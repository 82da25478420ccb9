#pragma once
// A module of its own that fails the way the chassis access library can: its
// constructor throws, or a worker thread inside it does. The smoke test checks
// that such failures reach the calling module intact on both builds.
#include <exception>
#include <stdexcept>
#include <string>

namespace korvane::smoke {

// The exception type both modules know: matched by type, not just by base.
class ModuleFault : public std::runtime_error {
 public:
  ModuleFault(int status, const std::string& what) : std::runtime_error(what), status_(status) {}
  int status() const noexcept { return status_; }

 private:
  int status_;
};

// Opens when `status` is 0; otherwise its constructor throws ModuleFault.
class FaultyResource {
 public:
  explicit FaultyResource(int status);
  int status() const noexcept { return status_; }

 private:
  int status_;
};

// Runs a worker thread that throws ModuleFault(status) and hands the
// exception back as captured by std::current_exception().
std::exception_ptr FaultFromWorkerThread(int status);

}  // namespace korvane::smoke
