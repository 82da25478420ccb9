#include "diag/trace_file.h"

#include <algorithm>
#include <utility>

namespace korvane {

TraceFile::TraceFile(TraceFile&& other) noexcept
    : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)),
      buffer_(std::move(other.buffer_)) {}

TraceFile& TraceFile::operator=(TraceFile&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
    buffer_ = std::move(other.buffer_);
  }
  return *this;
}

HRESULT TraceFile::Create(const OLECHAR* path) {
  Close();
  HANDLE handle = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return HRESULT_FROM_WIN32(GetLastError());
  handle_ = handle;
  return S_OK;
}

bool TraceFile::Write(std::string_view text) {
  if (!isOpen()) return false;
  buffer_.append(text);
  return buffer_.size() < kBufferSize || WriteBuffered();
}

bool TraceFile::WriteBuffered() {
  std::string_view text = buffer_;
  bool writtenAll = true;
  while (!text.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size(), 0x40000000));
    DWORD written = 0;
    if (!WriteFile(handle_, text.data(), chunk, &written, nullptr) || written == 0) {
      writtenAll = false;
      break;
    }
    text.remove_prefix(written);
  }
  // A failed write is not retried: the next record is attempted normally.
  buffer_.clear();
  return writtenAll;
}

bool TraceFile::Flush() {
  return isOpen() && WriteBuffered() && FlushFileBuffers(handle_);
}

LONGLONG TraceFile::Size() const {
  LARGE_INTEGER size;
  if (!isOpen() || !GetFileSizeEx(handle_, &size)) return -1;
  return size.QuadPart + static_cast<LONGLONG>(buffer_.size());
}

void TraceFile::Close() {
  if (!isOpen()) return;
  WriteBuffered();
  CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE));
}

}  // namespace korvane
