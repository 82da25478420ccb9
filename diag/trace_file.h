#pragma once
// The open trace file. Each Write appends its text with one system write at the end of the file,
// so the file holds exactly the text written so far: it grows as records arrive, a reader (tail
// -f, an editor) sees plain text at every moment, and what a Write returned from stays in the
// file when the process dies right after.
//
// A kill can cut a system write only where the write crosses from one 4 KiB page of the file to
// the next; so a text that would cross a page boundary, and fits in a page, starts on the next
// page, the gap before it filled with blanks (spaces and a line end, which XML ignores). A text
// longer than a page (a value of thousands of characters) is written as it is.

#include <cstdint>
#include <string_view>

#include "platform/win32.h"

namespace korvane {

class TraceFile {
 public:
  static constexpr uint64_t kPage = 4096;

  // Why the file is no longer this writer's to append to.
  enum class Change { kNone, kDeleted, kResized };

  TraceFile() = default;
  ~TraceFile() { Close(); }
  // A copy would close the handle twice; ownership moves instead.
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;
  TraceFile(TraceFile&& other) noexcept;
  TraceFile& operator=(TraceFile&& other) noexcept;

  // Creates the file for appending, shared for reading by others: CREATE_ALWAYS replaces a file
  // of that name, CREATE_NEW fails on one. Returns the system error as an HRESULT (a file that
  // another writer holds open gives ERROR_SHARING_VIOLATION).
  HRESULT Create(const OLECHAR* path, DWORD disposition = CREATE_ALWAYS);
  // Appends `text`. On failure returns the system error as an HRESULT and leaves the file as it
  // was before (a write the disk cut short is taken back).
  HRESULT Write(std::string_view text);
  // Whether another program deleted the file or changed its length since the last write.
  Change Check() const;
  // Writes the file to disk.
  bool Flush();
  // The length of the text written, or -1 when no file is open.
  LONGLONG Size() const { return isOpen() ? static_cast<LONGLONG>(end_) : -1; }
  void Close();
  bool isOpen() const { return file_ != INVALID_HANDLE_VALUE; }

 private:
  HRESULT Append(std::string_view text);

  HANDLE file_ = INVALID_HANDLE_VALUE;
  uint64_t end_ = 0;  // the text's length
};

}  // namespace korvane
