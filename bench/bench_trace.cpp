// The cost of tracing a call: a recorded call into a trace file (two writes
// to the system: the start before the member runs, the rest after it), one
// such write on its own, and a call while tracing is off.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "diag/method_trace.h"
#include "diag/trace_file.h"
#include "diag/trace_log.h"
#include "platform/ole_string.h"

namespace korvane {
namespace {

OleString TempFile(const char* name) {
  OLECHAR folder[MAX_PATH];
  const DWORD n = GetTempPathW(MAX_PATH, folder);
  return OleString(folder, n) + AnsiToOle(name + std::to_string(GetCurrentProcessId()) + ".xml");
}

// An entry point's tracing for get_Name(Index in long, val out string).
HRESULT TracedGetName(CTraceLog* log, BSTR name, BSTR* out) {
  HRESULT hr = S_OK;
  LONG index = 3;
  CMethodTrace trace(log, "IKorvaneTemperatureSensors", "get_Name", &hr);
  if (trace.active()) {
    trace.Add(TraceParam::In("Index", index));
    trace.Add(TraceParam::Out("val", out));
  }
  trace.WriteStart();
  *out = name;
  trace.Close();
  return hr;
}

// The trace file: a real file, or (argument 1) a link to /dev/null, which
// leaves the cost of the tracing with only the bare system call.
OleString TraceFilePath(bool nullDevice) {
  const OleString path = TempFile(nullDevice ? "korvane_bench_null_" : "korvane_bench_trace_");
  if (nullDevice) {
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::path(path), ignored);
    std::filesystem::create_symlink("/dev/null", std::filesystem::path(path), ignored);
  }
  return path;
}

void BM_TracedCallIntoFile(benchmark::State& state) {
  const OleString path = TraceFilePath(state.range(0) != 0);
  BSTR name = SysAllocString(OLESTR("TEMP_3"));
  BSTR out = nullptr;
  {
    CTraceLog log;
    log.SetFileName(path);
    log.SetSizeMax(0x7FFFFFFF);
    if (FAILED(log.SetEnabled(true))) state.SkipWithError("cannot create the trace file");
    for (auto _ : state) benchmark::DoNotOptimize(TracedGetName(&log, name, &out));
    state.SetItemsProcessed(state.iterations());
  }
  SysFreeString(name);
  DeleteFileW(path.c_str());
}
BENCHMARK(BM_TracedCallIntoFile)->ArgName("null_device")->Arg(0)->Arg(1);

// One WriteFile of about a record's size; the log makes two per record.
void BM_RecordSizedWrite(benchmark::State& state) {
  const OleString path = TraceFilePath(state.range(0) != 0);
  const std::string record(330, 'x');  // about the size of the record above
  {
    TraceFile file;
    if (FAILED(file.Create(path.c_str()))) state.SkipWithError("cannot create the file");
    for (auto _ : state) benchmark::DoNotOptimize(file.Write(record));
    state.SetItemsProcessed(state.iterations());
  }
  DeleteFileW(path.c_str());
}
BENCHMARK(BM_RecordSizedWrite)->ArgName("null_device")->Arg(0)->Arg(1);

void BM_CallWithTracingOff(benchmark::State& state) {
  CTraceLog log;  // never started
  BSTR out = nullptr;
  for (auto _ : state) benchmark::DoNotOptimize(TracedGetName(&log, nullptr, &out));
}
BENCHMARK(BM_CallWithTracingOff);

}  // namespace
}  // namespace korvane
