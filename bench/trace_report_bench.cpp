// The trace report at the size of a day's trace: `korvane trace report` of generated traces of
// 10 MB and 100 MB (and 1 GB when KORVANE_BENCH_TRACE_GB=1), each run in a child process so that
// its peak memory and processor time are its own. Counters: the trace's records, (wall) time per
// record, the report's processor time and its peak memory.
// The traces are made here and removed at the end; none is kept in the repository.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "tools/korvane/trace_report.h"

namespace korvane::cli {
namespace {

namespace fs = std::filesystem;

// Writes records like those of a health reading through the IVI-C face until the file holds
// `bytes`: item lookups, string reads done twice (size query, then read), two threads, one
// failure in a thousand, and a clock that passes midnight. Returns the number of records.
uint64_t MakeTrace(const fs::path& path, uint64_t bytes) {
  std::ofstream out(path, std::ios::binary);
  out << "<?xml version=\"1.0\"?>\r\n<TraceRecords>\r\n";
  uint64_t records = 0;
  int64_t clock = (23 * 3600 + 30 * 60) * int64_t{1000};
  char line[1024];
  const auto method = [&](const char* name, const char* interface, int thread) {
    const int64_t ms = clock++ % (24 * 3600 * 1000);
    std::snprintf(line, sizeof line,
                  "\t<Method Name=\"%s\" Interface=\"%s\" StartTime=\"%d:%d:%d:%d\" "
                  "Thread=\"%d\" Timestamp=\"%llu\">\r\n",
                  name, interface, static_cast<int>(ms / 3600000),
                  static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60),
                  static_cast<int>(ms % 1000), thread,
                  static_cast<unsigned long long>(records * 2417));
    out << line;
    ++records;
  };
  const auto end = [&](const char* status, double seconds) {
    out << "\t\t<HRESULT Value=\"" << status << '"';
    if (status[2] == '8')
      out << " Message=\"Korvane: The chassis generated an error: [Fan speed read failed] error "
             "code 0x00000007, IKorvaneFan.get_RPM\"";
    std::snprintf(line, sizeof line,
                  "/>\r\n\t\t<Execution ExecutionTime=\"%e\"/>\r\n\t</Method>\r\n", seconds);
    out << line;
  };
  static const char* const kRails[] = {"VPLUS_3_3", "VPLUS_5_0", "VPLUS_12_0", "VMINUS_12_0"};
  for (uint64_t round = 0; static_cast<uint64_t>(out.tellp()) < bytes; ++round) {
    const int thread = 4100 + static_cast<int>(round % 2);
    const char* rail = kRails[round % 4];
    for (int read = 0; read < 2; ++read) {
      method("get_Item", "IKorvaneVoltageRails", thread);
      out << "\t\t<Parameter Name=\"Name\" Direction=\"In\" Value=\"" << rail
          << "\" DataType=\"String\"/>\r\n\t\t<Parameter Name=\"val\" Direction=\"Out\" "
             "Value=\"(interface)\" DataType=\"IUnknown\"/>\r\n";
      end("0x00000000", 1.1e-6);
      method("get_Name", "IKorvaneVoltageRail", thread);
      out << "\t\t<Parameter Name=\"val\" Direction=\"Out\" Value=\"" << rail
          << "\" DataType=\"String\"/>\r\n";
      end("0x00000000", 0.7e-6 + static_cast<double>(round % 97) * 1e-8);
    }
    method("get_RPM", "IKorvaneFan", thread);
    const bool failed = round % 1000 == 999;
    out << "\t\t<Parameter Name=\"val\" Direction=\"Out\" Value=\"" << (failed ? 0 : 2400)
        << "\" DataType=\"Int32\"/>\r\n";
    end(failed ? "0x80044002" : "0x00000000", 2.0e-6 + static_cast<double>(round % 1013) * 1e-8);
  }
  out << "</TraceRecords>\r\n";
  return records;
}

class Traces {
 public:
  ~Traces() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  // The trace of about `megabytes`, made on first use.
  const std::pair<fs::path, uint64_t>& Get(uint64_t megabytes) {
    auto found = made_.find(megabytes);
    if (found != made_.end()) return found->second;
    fs::create_directories(folder_);
    const fs::path path = folder_ / ("trace" + std::to_string(megabytes) + "M.xml");
    const uint64_t records = MakeTrace(path, megabytes << 20);
    return made_.emplace(megabytes, std::make_pair(path, records)).first->second;
  }
  // KORVANE_BENCH_REPORT_PAGE names a page to keep (to look at the last report made).
  fs::path Page() const {
    const char* kept = std::getenv("KORVANE_BENCH_REPORT_PAGE");
    return kept != nullptr && *kept != '\0' ? fs::path(kept) : folder_ / "report.html";
  }

 private:
  fs::path folder_ =
      fs::temp_directory_path() / ("korvane_report_bench_" + std::to_string(getpid()));
  std::map<uint64_t, std::pair<fs::path, uint64_t>> made_;
};

Traces& SharedTraces() {
  static Traces traces;
  return traces;
}

void BM_TraceReport(benchmark::State& state) {
  const uint64_t megabytes = static_cast<uint64_t>(state.range(0));
  const auto& [trace, records] = SharedTraces().Get(megabytes);
  ReportRequest request;
  request.trace = trace.string();
  request.page = SharedTraces().Page().string();
  long peakKilobytes = 0;
  double cpuSeconds = 0;
  for (auto _ : state) {
    const pid_t child = fork();
    if (child == 0) _exit(TraceReport(request));
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("the report failed");
    peakKilobytes = std::max(peakKilobytes, usage.ru_maxrss);
    cpuSeconds += static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                  static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  }
  state.counters["records"] = static_cast<double>(records);
  state.counters["ns_per_record"] = benchmark::Counter(
      static_cast<double>(records) * 1e-9,
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  // The child's own processor time: on a busy machine the wall time also holds the waits.
  state.counters["child_cpu_s"] =
      benchmark::Counter(cpuSeconds, benchmark::Counter::kAvgIterations);
  state.counters["peak_MB"] = static_cast<double>(peakKilobytes) / 1024;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(trace)));
}

BENCHMARK(BM_TraceReport)
    ->Arg(10)
    ->Arg(100)
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1);

// The 1 GB trace takes a few minutes to make and report: opt-in.
const bool kGigabyte = [] {
  const char* wanted = std::getenv("KORVANE_BENCH_TRACE_GB");
  if (wanted != nullptr && std::string(wanted) == "1")
    benchmark::RegisterBenchmark("BM_TraceReport", BM_TraceReport)
        ->Arg(1024)
        ->Unit(benchmark::kSecond)
        ->UseRealTime()
        ->Iterations(1);
  return true;
}();

}  // namespace
}  // namespace korvane::cli
