#include "diag/trace_file.h"

#include <algorithm>
#include <utility>

namespace korvane {

TraceFile::TraceFile(TraceFile&& other) noexcept
    : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}

TraceFile& TraceFile::operator=(TraceFile&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
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
  while (!text.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size(), 0x40000000));
    DWORD written = 0;
    if (!WriteFile(handle_, text.data(), chunk, &written, nullptr) || written == 0) return false;
    text.remove_prefix(written);
  }
  return true;
}

bool TraceFile::Flush() {
  return isOpen() && FlushFileBuffers(handle_);
}

LONGLONG TraceFile::Size() const {
  LARGE_INTEGER size;
  if (!isOpen() || !GetFileSizeEx(handle_, &size)) return -1;
  return size.QuadPart;
}

void TraceFile::Close() {
  if (isOpen()) CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE));
}

}  // namespace korvane
