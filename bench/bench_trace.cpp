// The cost of tracing a call: a recorded call into a trace file (its start
// written before the member runs, the rest after it, each with one WriteFile,
// the log held for the whole call) on one and on two threads; beside it a
// record-sized write through the trace file and through WriteFile alone, and
// a call while tracing is off.
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

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
  const TraceCallHold hold(log);
  HRESULT hr = S_OK;
  LONG index = 3;
  CMethodTrace trace(hold.log(), "IKorvaneTemperatureSensors", "get_Name", &hr);
  if (trace.active()) {
    trace.Add(TraceParam::In("Index", index));
    trace.Add(TraceParam::Out("val", out));
  }
  trace.WriteStart();
  *out = name;
  trace.Close();
  return hr;
}

// The threads share one log, made and ended by the first thread outside the
// timed loop (whose start and end every thread passes together).
void BM_TracedCallIntoFile(benchmark::State& state) {
  static CTraceLog* log = nullptr;
  static const OleString path = TempFile("korvane_bench_trace_");
  if (state.thread_index() == 0) {
    log = new CTraceLog;
    log->SetFileName(path);
    log->SetSizeMax(0x7FFFFFFF);
    if (FAILED(log->SetEnabled(true))) state.SkipWithError("cannot create the trace file");
  }
  BSTR name = SysAllocString(OLESTR("TEMP_3"));
  BSTR out = nullptr;
  for (auto _ : state) benchmark::DoNotOptimize(TracedGetName(log, name, &out));
  state.SetItemsProcessed(state.iterations());
  SysFreeString(name);
  if (state.thread_index() == 0) {
    delete log;
    DeleteFileW(path.c_str());
  }
}
BENCHMARK(BM_TracedCallIntoFile)->Threads(1)->Threads(2)->UseRealTime();

constexpr size_t kRecordSize = 330;  // about the size of the record above

// One record-sized write into the trace file: one WriteFile at its end, and
// now and then a second one that fills the rest of a page.
void BM_RecordSizedTraceFileWrite(benchmark::State& state) {
  const OleString path = TempFile("korvane_bench_mapped_");
  const std::string record(kRecordSize, 'x');
  {
    TraceFile file;
    if (FAILED(file.Create(path.c_str()))) state.SkipWithError("cannot create the file");
    for (auto _ : state) benchmark::DoNotOptimize(file.Write(record));
    state.SetItemsProcessed(state.iterations());
  }
  DeleteFileW(path.c_str());
}
BENCHMARK(BM_RecordSizedTraceFileWrite);

// A file of the temporary folder open for writing, closed and deleted at the end. Copying it
// would close the handle twice.
class ScratchFile {
 public:
  explicit ScratchFile(const char* name)
      : path_(TempFile(name)),
        handle_(CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~ScratchFile() {
    if (ok()) CloseHandle(handle_);
    DeleteFileW(path_.c_str());
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
  BOOL Write(std::string_view bytes) {
    DWORD written = 0;
    return WriteFile(handle_, bytes.data(), DWORD(bytes.size()), &written, nullptr);
  }

 private:
  OleString path_;
  HANDLE handle_;
};

// One record-sized WriteFile.
void BM_RecordSizedWriteFile(benchmark::State& state) {
  ScratchFile file("korvane_bench_write_");
  if (!file.ok()) state.SkipWithError("cannot create the file");
  const std::string record(kRecordSize, 'x');
  for (auto _ : state) benchmark::DoNotOptimize(file.Write(record));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RecordSizedWriteFile);

void BM_CallWithTracingOff(benchmark::State& state) {
  CTraceLog log;  // never started
  BSTR out = nullptr;
  for (auto _ : state) benchmark::DoNotOptimize(TracedGetName(&log, nullptr, &out));
}
BENCHMARK(BM_CallWithTracingOff);

}  // namespace
}  // namespace korvane
