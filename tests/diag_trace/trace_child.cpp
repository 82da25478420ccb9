// The second process of the crash tests: traces `calls` calls into the file,
// begins one more, and ends abruptly while it runs.
//
//   diag_trace_child <file> <calls> terminate|exit
//
// terminate: the process is ended at once by the system; exit: it leaves
// through _Exit, with no destructor, Close or flush of its own.
#include <cstdlib>
#include <string>

#include "tests/diag_trace/trace_test_support.h"

int main(int argc, char** argv) {
  using namespace korvane;
  if (argc != 4) return 2;
  CTraceLog log;
  log.SetFileName(AnsiToOle(argv[1]));
  if (FAILED(log.SetEnabled(true))) return 3;
  const LONG calls = std::atoi(argv[2]);
  for (LONG i = 0; i < calls; ++i) {
    LONG rpm = 0;
    testing::TraceCall(log, "IKorvaneFan", "get_RPM", S_OK,
                       {TraceParam::In("Index", i), TraceParam::Out("val", &rpm)},
                       [&] { rpm = 1000 + i; });
  }
  HRESULT hr = S_OK;
  LONG rpm = 0;
  CMethodTrace inFlight(&log, "IKorvaneFan", "get_RPM", &hr);
  inFlight.Add(TraceParam::In("Index", calls));
  inFlight.Add(TraceParam::Out("val", &rpm));
  inFlight.WriteStart();
  if (std::string(argv[3]) == "terminate") TerminateProcess(GetCurrentProcess(), 9);
  std::_Exit(0);
}
