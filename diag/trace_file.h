#pragma once
// The open trace file: a Windows file handle owned by one object. Every Write
// goes straight to the system, with no buffer in the process: what a call
// writes is in the file (and visible to readers) once Write returns, and stays
// there when the process dies right after.

#include <string_view>

#include "platform/win32.h"

namespace korvane {

class TraceFile {
 public:
  TraceFile() = default;
  ~TraceFile() { Close(); }
  // A copy would close the handle twice; ownership moves instead.
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;
  TraceFile(TraceFile&& other) noexcept;
  TraceFile& operator=(TraceFile&& other) noexcept;

  // Creates the file new, replacing one of that name, for writing, shared
  // for reading by others. Returns the system error as an HRESULT.
  HRESULT Create(const OLECHAR* path);
  // Hands `text` to the system; false when it wrote less or failed (a failed
  // write is not retried: the next one is attempted normally).
  bool Write(std::string_view text);
  // Writes the file to disk.
  bool Flush();
  // The file's size in bytes, or -1 when it cannot be read.
  LONGLONG Size() const;
  void Close();
  bool isOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace korvane
