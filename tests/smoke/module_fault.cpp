#include "tests/smoke/module_fault.h"

#include <thread>

namespace korvane::smoke {

FaultyResource::FaultyResource(int status) : status_(status) {
  if (status != 0) throw ModuleFault(status, "resource refused to open: " + std::to_string(status));
}

std::exception_ptr FaultFromWorkerThread(int status) {
  std::exception_ptr fault;
  std::thread worker([&fault, status] {
    try {
      throw ModuleFault(status, "worker failed: " + std::to_string(status));
    } catch (...) {
      fault = std::current_exception();
    }
  });
  worker.join();
  return fault;
}

}  // namespace korvane::smoke
