// The bytes of a type library in the format the IDL compiler writes, checked
// once when read: the header, one offset per type description, a directory
// of segments (type descriptions, GUIDs, names, strings, ...), then each
// type's member data: the size of its records, the function records (each
// ending in its parameters), then the members' ids, names and record offsets.
//
// Read() refuses a file whose type count, segment directory, type records or
// member tables do not fit inside it, so that every walk over types and
// members is bounded by the file's size; each later read of a name, string,
// GUID or reference is checked against its segment and never wraps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace korvane::platform {

enum class MsftSegment {
  kTypeInfo = 0,
  kImportInfo = 1,
  kImportFile = 2,
  kReference = 3,
  kGuid = 5,
  kName = 7,
  kString = 8,
};

// One function of a type: its record (fixed part, optional fields, then
// 12 bytes per parameter), its member id and its name's offset.
struct MsftFunction {
  std::size_t record;
  std::size_t length;
  uint16_t parameters;
  MEMBERID id;
  int32_t name;
};

// One type description: its record and its functions in vtable order.
struct MsftType {
  std::size_t base;
  int variables;
  std::vector<MsftFunction> functions;
};

class MsftFile {
 public:
  // The size beyond which a file is not taken for a type library.
  static constexpr std::size_t kMaxSize = std::size_t{16} << 20;

  // The file, or nothing when any count, offset or length does not fit.
  static std::optional<MsftFile> Read(std::vector<unsigned char> bytes);

  // A field at a file offset; -1 (all ones) beyond the file.
  int32_t Int(std::size_t offset) const;
  uint16_t Word(std::size_t offset) const { return static_cast<uint16_t>(Int(offset) & 0xFFFF); }
  int32_t Header(int field) const { return Int(4 * static_cast<std::size_t>(field)); }

  const std::vector<MsftType>& Types() const { return types_; }
  // The index of the type whose record lies at `reference` in its segment, or -1.
  int TypeOfReference(HREFTYPE reference) const;

  // The file offset of `offset` in `segment` when `need` bytes from there lie
  // inside the segment; nothing otherwise (a negative offset included).
  std::optional<std::size_t> In(MsftSegment segment, int32_t offset, std::size_t need) const;

  std::u16string Name(int32_t offset) const;
  std::u16string String(int32_t offset) const;
  GUID Guid(int32_t offset) const;  // zero when out of range

 private:
  struct Span {
    std::size_t offset = 0;
    std::size_t length = 0;
  };
  explicit MsftFile(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}
  bool ReadDirectory();
  bool ReadTypes();
  bool ReadFunctions(MsftType& type, int functions) const;
  std::u16string Text(std::size_t at, std::size_t length) const;

  std::vector<unsigned char> bytes_;
  Span segments_[9];
  std::vector<int32_t> references_;  // each type's record offset in its segment
  std::vector<MsftType> types_;
};

}  // namespace korvane::platform
