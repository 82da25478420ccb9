#pragma once
// The open trace file: a Windows file handle owned by one object.

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
  // Writes all of `text`; false when the system wrote less or failed.
  bool Write(std::string_view text);
  bool Flush();
  // The file's size in bytes, or -1 when it cannot be read.
  LONGLONG Size() const;
  void Close();
  bool isOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

}  // namespace korvane
