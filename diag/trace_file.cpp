#include "diag/trace_file.h"

#include <string>
#include <utility>

namespace korvane {

TraceFile::TraceFile(TraceFile&& other) noexcept
    : file_(std::exchange(other.file_, INVALID_HANDLE_VALUE)), end_(std::exchange(other.end_, 0)) {}

TraceFile& TraceFile::operator=(TraceFile&& other) noexcept {
  if (this != &other) {
    Close();
    file_ = std::exchange(other.file_, INVALID_HANDLE_VALUE);
    end_ = std::exchange(other.end_, 0);
  }
  return *this;
}

HRESULT TraceFile::Create(const OLECHAR* path, DWORD disposition) {
  Close();
  HANDLE handle = CreateFileW(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ,
                              nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return HRESULT_FROM_WIN32(GetLastError());
  file_ = handle;
  end_ = 0;
  return S_OK;
}

HRESULT TraceFile::Write(std::string_view text) {
  if (!isOpen()) return HRESULT_FROM_WIN32(ERROR_INVALID_HANDLE);
  if (text.empty()) return S_OK;
  const uint64_t used = end_ % kPage;
  if (used != 0 && used + text.size() > kPage && text.size() <= kPage) {
    const auto gap = static_cast<size_t>(kPage - used);
    std::string blanks(gap >= 2 ? gap - 2 : gap, ' ');
    if (gap >= 2) blanks += "\r\n";
    if (HRESULT status = Append(blanks); FAILED(status)) return status;
  }
  return Append(text);
}

HRESULT TraceFile::Append(std::string_view text) {
  DWORD written = 0;
  if (WriteFile(file_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
      written == text.size()) {
    end_ += text.size();
    return S_OK;
  }
  const DWORD error = GetLastError();
  if (written != 0) {  // the disk took part of it: the file ends where it ended
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(end_);
    if (SetFilePointerEx(file_, end, nullptr, FILE_BEGIN)) SetEndOfFile(file_);
  }
  return HRESULT_FROM_WIN32(error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT);
}

TraceFile::Change TraceFile::Check() const {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!isOpen() || !GetFileInformationByHandle(file_, &info)) return Change::kNone;
  if (info.nNumberOfLinks == 0) return Change::kDeleted;
  const uint64_t size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  return size == end_ ? Change::kNone : Change::kResized;
}

bool TraceFile::Flush() {
  return isOpen() && FlushFileBuffers(file_);
}

void TraceFile::Close() {
  if (!isOpen()) return;
  CloseHandle(std::exchange(file_, INVALID_HANDLE_VALUE));
  end_ = 0;
}

}  // namespace korvane
