#include "diag/trace_file.h"

#include <cstring>
#include <utility>

namespace korvane {
namespace {

// Views start at multiples of the system's allocation granularity: 64 KiB on every Windows.
constexpr uint64_t kViewAlignment = 0x10000;
static_assert(TraceFile::kGrowth % kViewAlignment == 0);

DWORD High(uint64_t value) {
  return static_cast<DWORD>(value >> 32);
}
DWORD Low(uint64_t value) {
  return static_cast<DWORD>(value & 0xFFFFFFFF);
}

}  // namespace

TraceFile::TraceFile(TraceFile&& other) noexcept
    : file_(std::exchange(other.file_, INVALID_HANDLE_VALUE)),
      mapping_(std::exchange(other.mapping_, nullptr)),
      view_(std::exchange(other.view_, nullptr)),
      viewStart_(std::exchange(other.viewStart_, 0)),
      capacity_(std::exchange(other.capacity_, 0)),
      end_(std::exchange(other.end_, 0)) {}

TraceFile& TraceFile::operator=(TraceFile&& other) noexcept {
  if (this != &other) {
    Close();
    file_ = std::exchange(other.file_, INVALID_HANDLE_VALUE);
    mapping_ = std::exchange(other.mapping_, nullptr);
    view_ = std::exchange(other.view_, nullptr);
    viewStart_ = std::exchange(other.viewStart_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    end_ = std::exchange(other.end_, 0);
  }
  return *this;
}

HRESULT TraceFile::Create(const OLECHAR* path) {
  Close();
  // Mapping the file for writing needs read access as well.
  HANDLE handle = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return HRESULT_FROM_WIN32(GetLastError());
  file_ = handle;
  return S_OK;
}

bool TraceFile::Write(std::string_view text) {
  if (!isOpen()) return false;
  if (text.empty()) return true;
  if (!Reserve(text.size())) return false;
  std::memcpy(view_ + (end_ - viewStart_), text.data(), text.size());
  end_ += text.size();
  return true;
}

bool TraceFile::Reserve(uint64_t bytes) {
  if (end_ + bytes <= capacity_) return true;
  Unmap();
  const uint64_t capacity = (end_ + bytes + kGrowth - 1) / kGrowth * kGrowth;
  mapping_ =
      CreateFileMappingW(file_, nullptr, PAGE_READWRITE, High(capacity), Low(capacity), nullptr);
  if (mapping_ == nullptr) return false;
  const uint64_t viewStart = end_ / kViewAlignment * kViewAlignment;
  view_ =
      static_cast<char*>(MapViewOfFile(mapping_, FILE_MAP_WRITE, High(viewStart), Low(viewStart),
                                       static_cast<SIZE_T>(capacity - viewStart)));
  if (view_ == nullptr) {
    Unmap();
    return false;
  }
  viewStart_ = viewStart;
  capacity_ = capacity;
  return true;
}

void TraceFile::Unmap() {
  if (view_ != nullptr) UnmapViewOfFile(std::exchange(view_, nullptr));
  if (mapping_ != nullptr) CloseHandle(std::exchange(mapping_, nullptr));
  capacity_ = 0;
}

bool TraceFile::Flush() {
  if (!isOpen()) return false;
  const bool viewFlushed = view_ == nullptr || FlushViewOfFile(view_, 0);
  return FlushFileBuffers(file_) && viewFlushed;
}

void TraceFile::Close() {
  if (!isOpen()) return;
  Unmap();
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(end_);
  if (SetFilePointerEx(file_, end, nullptr, FILE_BEGIN)) SetEndOfFile(file_);
  CloseHandle(std::exchange(file_, INVALID_HANDLE_VALUE));
  end_ = 0;
  viewStart_ = 0;
}

}  // namespace korvane
