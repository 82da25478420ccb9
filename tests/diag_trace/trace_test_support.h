#pragma once
// Files and folders for the trace tests, through the same Windows services
// the log uses, so the tests run unchanged on both systems.

#include <initializer_list>
#include <string>

#include "diag/method_trace.h"
#include "platform/ole_string.h"
#include "platform/win32.h"
#include "tests/support/error_info.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_folder.h"
#include "tests/support/text.h"

namespace korvane::testing {

// Makes a folder the current directory for a test and restores the previous
// one afterwards.
class CurrentDirectory {
 public:
  explicit CurrentDirectory(const OleString& folder);
  ~CurrentDirectory();
  CurrentDirectory(const CurrentDirectory&) = delete;  // would restore twice
  CurrentDirectory& operator=(const CurrentDirectory&) = delete;

 private:
  OleString previous_;
};

// The text of a trace file, which never holds a zero byte (a failure of the test when it does).
std::string ReadTraceText(const OleString& path);
// The README's recipe for a trace cut short (its writer died, or its log stopped on a fault;
// a file that ends with the root's end is complete and stays as it is): complete the root's start
// tag when the file ends inside it, end the Method left open, if any, and end the root.
std::string CompleteCutTrace(std::string text);
bool FileExists(const OleString& path);
// The last part of a path (after the last '\' or '/').
OleString FileNamePart(const OleString& path);
// The folder part of a path, without its final separator.
OleString FolderPart(const OleString& path);

OleString CurrentDirectoryPath();

// One traced call as an entry point makes it: the record opens, the
// parameters are added while it records, its start is written, the call
// "runs" (sets the status and then `run`, which may write outputs), and the
// record closes.
template <class Run>
HRESULT TraceCall(CTraceLog& log, const char* interfaceName, const char* memberName, HRESULT status,
                  std::initializer_list<TraceParam> params, Run run) {
  HRESULT hr = S_OK;
  CMethodTrace trace(&log, interfaceName, memberName, &hr);
  if (trace.active()) {
    for (const TraceParam& p : params) trace.Add(p);
  }
  trace.WriteStart();
  hr = status;
  run();
  trace.Close();
  return hr;
}

inline HRESULT TraceCall(CTraceLog& log, const char* interfaceName, const char* memberName,
                         HRESULT status = S_OK, std::initializer_list<TraceParam> params = {}) {
  return TraceCall(log, interfaceName, memberName, status, params, [] {});
}

}  // namespace korvane::testing
