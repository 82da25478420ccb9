#pragma once
// The open trace file. Text is copied into a shared view of the file's mapping, with no buffer
// in the process: what a call writes is the file's content (seen by every reader) once Write
// returns, and the system keeps it when the process dies right after, without any system call
// per write.
//
// The file grows a piece at a time. While it is open, and after a process that died with it
// open, the text is followed by zero bytes up to the end of the last piece: the text ends at the
// first zero byte (it never holds one). Close cuts the file there.

#include <cstdint>
#include <string_view>

#include "platform/win32.h"

namespace korvane {

class TraceFile {
 public:
  // The file grows by this much when a write finds no room (a multiple of the 64 KiB at which
  // views may start).
  static constexpr uint64_t kGrowth = 1 << 20;

  TraceFile() = default;
  ~TraceFile() { Close(); }
  // A copy would close the handles twice; ownership moves instead.
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;
  TraceFile(TraceFile&& other) noexcept;
  TraceFile& operator=(TraceFile&& other) noexcept;

  // Creates the file new, replacing one of that name, shared for reading by others. Returns the
  // system error as an HRESULT.
  HRESULT Create(const OLECHAR* path);
  // Appends `text`; false when the file could not grow to hold it (nothing is written then, and
  // the next write is attempted normally).
  bool Write(std::string_view text);
  // Writes the file to disk.
  bool Flush();
  // The length of the text written, or -1 when no file is open.
  LONGLONG Size() const { return isOpen() ? static_cast<LONGLONG>(end_) : -1; }
  // Cuts the file after its text and closes it.
  void Close();
  bool isOpen() const { return file_ != INVALID_HANDLE_VALUE; }

 private:
  // Makes room for `bytes` more after the text: the file grows and the view moves to its end.
  bool Reserve(uint64_t bytes);
  void Unmap();

  HANDLE file_ = INVALID_HANDLE_VALUE;
  HANDLE mapping_ = nullptr;
  char* view_ = nullptr;    // maps the file from viewStart_ to capacity_
  uint64_t viewStart_ = 0;  // a multiple of 64 KiB
  uint64_t capacity_ = 0;   // the file's size while open
  uint64_t end_ = 0;        // the text's length
};

}  // namespace korvane
