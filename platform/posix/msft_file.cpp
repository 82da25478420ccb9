#include "platform/posix/detail/msft_file.h"

#include <algorithm>
#include <cstring>

#include "platform/posix/detail/utf.h"

namespace korvane::platform {
namespace {

constexpr std::size_t kHeaderSize = 0x54;
constexpr std::size_t kSegmentCount = 15;
constexpr std::size_t kSegmentEntrySize = 16;
constexpr std::size_t kTypeRecordSize = 0x64;
constexpr std::size_t kFunctionFixedSize = 24;
constexpr std::size_t kParameterSize = 12;
constexpr int32_t kNoSegment = -1;

std::size_t Index(MsftSegment segment) {
  return static_cast<std::size_t>(segment);
}

// Whether `size` bytes from `offset` lie inside a span of `length` bytes.
bool Fits(std::size_t offset, std::size_t size, std::size_t length) {
  return offset <= length && size <= length - offset;
}

}  // namespace

std::optional<MsftFile> MsftFile::Read(std::vector<unsigned char> bytes) {
  if (bytes.size() < kHeaderSize || bytes.size() > kMaxSize ||
      std::memcmp(bytes.data(), "MSFT", 4) != 0) {
    return std::nullopt;
  }
  MsftFile file(std::move(bytes));
  if (!file.ReadDirectory() || !file.ReadTypes()) return std::nullopt;
  return file;
}

int32_t MsftFile::Int(std::size_t offset) const {
  if (!Fits(offset, 4, bytes_.size())) return -1;
  int32_t value;
  std::memcpy(&value, bytes_.data() + offset, 4);
  return value;
}

// The type offsets follow the header and the help DLL's entry, if any; the
// segment directory follows them. A type count the file cannot hold, or a
// segment reaching outside the file, refuses the file.
bool MsftFile::ReadDirectory() {
  const int32_t count = Header(8);
  const std::size_t offsets = kHeaderSize + ((Header(5) & 0x100) != 0 ? 4 : 0);
  if (count < 0 || !Fits(offsets, 4 * static_cast<std::size_t>(count), bytes_.size())) {
    return false;
  }
  const std::size_t directory = offsets + 4 * static_cast<std::size_t>(count);
  if (!Fits(directory, kSegmentCount * kSegmentEntrySize, bytes_.size())) return false;
  for (std::size_t s = 0; s < std::size(segments_); ++s) {
    const int32_t offset = Int(directory + kSegmentEntrySize * s);
    const int32_t length = Int(directory + kSegmentEntrySize * s + 4);
    if (offset == kNoSegment && length <= 0) continue;  // an empty segment
    if (offset < 0 || length < 0 ||
        !Fits(static_cast<std::size_t>(offset), static_cast<std::size_t>(length), bytes_.size())) {
      return false;
    }
    segments_[s] = {static_cast<std::size_t>(offset), static_cast<std::size_t>(length)};
  }
  // Every type has a record of its own size in the type segment.
  const Span& records = segments_[Index(MsftSegment::kTypeInfo)];
  if (static_cast<std::size_t>(count) > records.length / kTypeRecordSize) return false;
  references_.reserve(static_cast<std::size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    references_.push_back(Int(offsets + 4 * static_cast<std::size_t>(i)));
  }
  return segments_[Index(MsftSegment::kName)].length > 0;
}

bool MsftFile::ReadTypes() {
  types_.reserve(references_.size());
  for (const int32_t reference : references_) {
    const std::optional<std::size_t> base = In(MsftSegment::kTypeInfo, reference, kTypeRecordSize);
    if (!base) return false;
    MsftType type{*base, (Int(*base + 24) >> 16) & 0xFFFF, {}};
    if (!ReadFunctions(type, Int(*base + 24) & 0xFFFF)) return false;
    types_.push_back(std::move(type));
  }
  return true;
}

// The member data: the records' size, the records, then three tables of one
// entry per member (ids, names, record offsets). Every record, with its
// parameters, lies inside the records.
bool MsftFile::ReadFunctions(MsftType& type, int functions) const {
  const std::size_t members = static_cast<std::size_t>(functions + type.variables);
  if (members == 0) return true;
  const int32_t data = Int(type.base + 4);
  if (data < 0) return false;
  const std::size_t records = static_cast<std::size_t>(data) + 4;
  const int32_t recordsLength = Int(static_cast<std::size_t>(data));
  if (recordsLength < 0 || !Fits(records, static_cast<std::size_t>(recordsLength), bytes_.size()))
    return false;
  const std::size_t tables = records + static_cast<std::size_t>(recordsLength);
  if (!Fits(tables, 3 * 4 * members, bytes_.size())) return false;
  type.functions.reserve(static_cast<std::size_t>(functions));
  for (std::size_t i = 0; i < static_cast<std::size_t>(functions); ++i) {
    const int32_t offset = Int(tables + 4 * (2 * members + i));
    if (offset < 0 || !Fits(static_cast<std::size_t>(offset), kFunctionFixedSize,
                            static_cast<std::size_t>(recordsLength))) {
      return false;
    }
    const std::size_t record = records + static_cast<std::size_t>(offset);
    const std::size_t length = static_cast<std::size_t>(Int(record) & 0xFFFF);
    const uint16_t parameters = Word(record + 20);
    if (length < kFunctionFixedSize + kParameterSize * parameters ||
        !Fits(static_cast<std::size_t>(offset), length, static_cast<std::size_t>(recordsLength))) {
      return false;
    }
    type.functions.push_back(
        {record, length, parameters, Int(tables + 4 * i), Int(tables + 4 * (members + i))});
  }
  return true;
}

int MsftFile::TypeOfReference(HREFTYPE reference) const {
  for (std::size_t i = 0; i < references_.size(); ++i) {
    if (static_cast<HREFTYPE>(references_[i]) == reference) return static_cast<int>(i);
  }
  return -1;
}

std::optional<std::size_t> MsftFile::In(MsftSegment segment, int32_t offset,
                                        std::size_t need) const {
  const Span& span = segments_[Index(segment)];
  if (offset < 0 || !Fits(static_cast<std::size_t>(offset), need, span.length)) return std::nullopt;
  return span.offset + static_cast<std::size_t>(offset);
}

// A name: hash and links (8 bytes), its length in the low byte, then its text.
std::u16string MsftFile::Name(int32_t offset) const {
  const std::optional<std::size_t> at = In(MsftSegment::kName, offset, 12);
  if (!at) return {};
  const std::size_t length = static_cast<std::size_t>(Int(*at + 8) & 0xFF);
  return In(MsftSegment::kName, offset, 12 + length) ? Text(*at + 12, length) : std::u16string();
}

// A string: its length in two bytes, then its text.
std::u16string MsftFile::String(int32_t offset) const {
  const std::optional<std::size_t> at = In(MsftSegment::kString, offset, 2);
  if (!at) return {};
  const std::size_t length = Word(*at);
  return In(MsftSegment::kString, offset, 2 + length) ? Text(*at + 2, length) : std::u16string();
}

GUID MsftFile::Guid(int32_t offset) const {
  GUID guid{};
  if (const std::optional<std::size_t> at = In(MsftSegment::kGuid, offset, sizeof guid)) {
    std::memcpy(&guid, bytes_.data() + *at, sizeof guid);
  }
  return guid;
}

// Names and help strings are nearly always ASCII, which widens as it is.
std::u16string MsftFile::Text(std::size_t at, std::size_t length) const {
  const unsigned char* first = bytes_.data() + at;
  const unsigned char* last = first + length;
  if (std::all_of(first, last, [](unsigned char c) { return c < 0x80; })) {
    return std::u16string(first, last);
  }
  return Utf8ToUtf16(std::string(reinterpret_cast<const char*>(first), length));
}

}  // namespace korvane::platform
