#pragma once
// The open trace file: a Windows file handle owned by one object, written
// through a buffer of its own so that a record costs no system call. The
// buffer goes to the file when it fills, at every Flush (the log's save
// check) and at Close.

#include <string>
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
  // Buffers `text`, writing the buffer out when it is full; false when the
  // system wrote less or failed.
  bool Write(std::string_view text);
  // Writes the buffer out to the file; false when the system wrote less.
  bool WriteBuffered();
  // Writes the buffer out and the file to disk.
  bool Flush();
  // The file's size in bytes with what is still buffered, or -1 when it
  // cannot be read.
  LONGLONG Size() const;
  void Close();
  bool isOpen() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  static constexpr size_t kBufferSize = 64 * 1024;

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::string buffer_;
};

}  // namespace korvane
