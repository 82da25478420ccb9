// The cost of the interface entry point: a simulated property get through the
// whole recipe, next to a floor measured in the same run (an uncontended lock
// and unlock, a thread-local read and a virtual call).

#include <benchmark/benchmark.h>

#include "com/identifiers.h"
#include "com/interfaces.h"
#include "com/module.h"
#include "platform/com_ptr.h"
#include "platform/critical_section.h"
#include "platform/scoped_bstr.h"
#include "standins/chassis/virtual_chassis.h"

namespace korvane {
namespace {

struct Callee {
  virtual ~Callee() = default;
  virtual int Get() const = 0;
};
struct Answer final : Callee {
  int Get() const override { return 1; }
};

thread_local int tSlot = 1;

void BM_Floor(benchmark::State& state) {
  CriticalSection lock;
  Answer answer;
  Callee* callee = &answer;
  benchmark::DoNotOptimize(callee);
  for (auto _ : state) {
    lock.Enter();
    int value = tSlot + callee->Get();
    lock.Leave();
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_Floor);

ComPtr<IIviDriver> SimulatedDriver(const OLECHAR* optionText = OLESTR("Simulate=true")) {
  ComPtr<IClassFactory> factory;
  GetClassObject(kClsidKorvane, IID_IClassFactory, factory.GetVoidAddressOf());
  ComPtr<IIviDriver> driver;
  factory->CreateInstance(nullptr, IID_IIviDriver, driver.GetVoidAddressOf());
  ScopedBstr resource(OLESTR(""));
  ScopedBstr options(optionText);
  driver->Initialize(resource.Get(), VARIANT_FALSE, VARIANT_FALSE, options.Get());
  return driver;
}

void BM_SimulatedPropertyGet(benchmark::State& state) {
  ComPtr<IIviDriver> driver = SimulatedDriver();
  VARIANT_BOOL value = VARIANT_FALSE;
  for (auto _ : state) {
    driver->get_Initialized(&value);
    benchmark::DoNotOptimize(value);
  }
  driver->Close();
}
BENCHMARK(BM_SimulatedPropertyGet);

// A whole simulated session: Initialize (with its look for a configuration
// store) and Close.
void BM_SimulatedInitializeClose(benchmark::State& state) {
  ComPtr<IIviDriver> driver = SimulatedDriver();
  driver->Close();
  ScopedBstr resource(OLESTR(""));
  ScopedBstr options(OLESTR("Simulate=true"));
  for (auto _ : state) {
    driver->Initialize(resource.Get(), VARIANT_FALSE, VARIANT_FALSE, options.Get());
    driver->Close();
  }
}
BENCHMARK(BM_SimulatedInitializeClose);

// The same call with tracing on: one Method record formatted and written to
// a buffered file per call (the save check flushes at most once a minute).
// Items per second is records per second.
void BM_TracedPropertyGet(benchmark::State& state) {
  ComPtr<IIviDriver> driver =
      SimulatedDriver(OLESTR("Simulate=true, DriverSetup=Trace=true, TraceName=bench_trace, "
                             "TraceSizeMax=2000000000"));
  VARIANT_BOOL value = VARIANT_FALSE;
  for (auto _ : state) {
    driver->get_Initialized(&value);
    benchmark::DoNotOptimize(value);
  }
  state.SetItemsProcessed(state.iterations());
  driver->Close();
}
BENCHMARK(BM_TracedPropertyGet);

}  // namespace
}  // namespace korvane

BENCHMARK_MAIN();
