#include "com/typelib/coclass_imports.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <stdexcept>

// The MSFT file: a header of 21 integers, one offset per type description (into the type
// description segment), an optional help DLL entry, a directory of 15 segments (offset, length,
// two reserved integers), the segments, then each type's member data, which its type
// description finds by file offset. Offsets inside segments are relative to their segment.

namespace korvane::typelib {
namespace {

enum Segment {
  kTypeInfos = 0,
  kImportInfos = 1,
  kImportFiles = 2,
  kReferences = 3,
  kGuidHash = 4,
  kGuids = 5,
  kNames = 7,
  kSegmentCount = 15,
};

constexpr std::size_t kHeaderSize = 0x54;
constexpr std::size_t kImportInfoCountField = 0x50;
constexpr std::size_t kLibraryGuidField = 0x08;
constexpr std::size_t kTypeCountField = 0x20;
constexpr std::size_t kFlagsField = 0x14;
constexpr int32_t kHelpDllFlag = 0x100;

// Fields of a type description record.
constexpr std::size_t kKindField = 0x00;
constexpr std::size_t kMemberDataField = 0x04;
constexpr std::size_t kTypeGuidField = 0x2C;
constexpr std::size_t kTypeNameField = 0x34;
constexpr std::size_t kImplCountField = 0x4C;  // 16 bits
constexpr std::size_t kFirstReferenceField = 0x54;
constexpr int32_t kCoClassKind = 5;

// A GUID entry: the GUID, the reference it stands for, the next entry of its hash chain.
constexpr std::size_t kGuidEntrySize = 24;
constexpr std::size_t kGuidHashSlots = 32;
// An import: flags (type kind << 24, by-GUID flag, index in its library), file, GUID entry.
constexpr std::size_t kImportInfoSize = 12;
constexpr int32_t kImportByGuid = 0x00010000;
// A reference of a co-class: the type, its IMPLTYPEFLAGS, custom data, the next reference.
constexpr std::size_t kReferenceSize = 16;

[[noreturn]] void Malformed(const std::string& what) {
  throw std::runtime_error("type library: " + what);
}

void AppendInt(std::string& out, int32_t value) {
  char bytes[4];
  std::memcpy(bytes, &value, 4);
  out.append(bytes, 4);
}

class MsftFile {
 public:
  explicit MsftFile(std::string bytes) : bytes_(std::move(bytes)) {
    if (bytes_.size() < kHeaderSize || bytes_.compare(0, 4, "MSFT") != 0) Malformed("not MSFT");
  }

  const std::string& bytes() const { return bytes_; }

  int32_t Int(std::size_t at) const {
    if (at + 4 > bytes_.size()) Malformed("an offset beyond the end");
    int32_t value;
    std::memcpy(&value, bytes_.data() + at, 4);
    return value;
  }
  void SetInt(std::size_t at, int32_t value) {
    if (at + 4 > bytes_.size()) Malformed("an offset beyond the end");
    std::memcpy(bytes_.data() + at, &value, 4);
  }

  int TypeCount() const { return Int(kTypeCountField); }
  std::size_t TypeOffsets() const {
    return kHeaderSize + ((Int(kFlagsField) & kHelpDllFlag) != 0 ? 4 : 0);
  }
  std::size_t Directory() const {
    return TypeOffsets() + 4 * static_cast<std::size_t>(TypeCount());
  }
  std::size_t DirectoryEntry(int segment) const {
    return Directory() + 16 * static_cast<std::size_t>(segment);
  }
  int32_t SegmentStart(int segment) const { return Int(DirectoryEntry(segment)); }
  int32_t SegmentLength(int segment) const { return Int(DirectoryEntry(segment) + 4); }
  std::size_t In(int segment, int32_t offset) const {
    if (SegmentStart(segment) < 0 || offset < 0) Malformed("a missing segment or entry");
    return static_cast<std::size_t>(SegmentStart(segment)) + static_cast<std::size_t>(offset);
  }

  // A type's reference (its offset in the type description segment) and its record.
  int32_t TypeReference(int index) const {
    return Int(TypeOffsets() + 4 * static_cast<std::size_t>(index));
  }
  std::size_t TypeRecord(int index) const { return In(kTypeInfos, TypeReference(index)); }
  int TypeKind(int index) const { return Int(TypeRecord(index) + kKindField) & 0xF; }
  std::string TypeName(int index) const { return Name(Int(TypeRecord(index) + kTypeNameField)); }
  std::string TypeGuid(int index) const { return Guid(Int(TypeRecord(index) + kTypeGuidField)); }

  // A name entry: reference, next in hash chain, length in the low byte, the characters.
  std::string Name(int32_t offset) const {
    const std::size_t at = In(kNames, offset);
    const std::size_t length = static_cast<std::size_t>(Int(at + 8) & 0xFF);
    if (at + 12 + length > bytes_.size()) Malformed("a name beyond the end");
    return bytes_.substr(at + 12, length);
  }
  std::string Guid(int32_t offset) const {
    const std::size_t at = In(kGuids, offset);
    if (at + 16 > bytes_.size()) Malformed("a GUID beyond the end");
    return bytes_.substr(at, 16);
  }

 private:
  std::string bytes_;
};

// The slot of a GUID's hash chain: the 16-bit words folded by exclusive or.
std::size_t GuidHash(const std::string& guid) {
  uint16_t hash = 0;
  for (std::size_t i = 0; i < 16; i += 2) {
    hash ^= static_cast<uint16_t>(static_cast<unsigned char>(guid[i]) |
                                  static_cast<unsigned char>(guid[i + 1]) << 8);
  }
  return hash % kGuidHashSlots;
}

struct ImportedType {
  int index;
  int kind;
  std::string guid;
};

// The import file entry (offset in its segment) of the library with that GUID. An entry: GUID
// entry, locale, version, the name's length times 4 plus 1 in 16 bits, the name, padding to 4.
int32_t FindImportFile(const MsftFile& file, const std::string& libraryGuid) {
  const int32_t length = file.SegmentLength(kImportFiles);
  for (int32_t offset = 0; offset + 14 <= length;) {
    const std::size_t at = file.In(kImportFiles, offset);
    if (file.Guid(file.Int(at)) == libraryGuid) return offset;
    const int32_t nameLength = (file.Int(at + 12) & 0xFFFF) >> 2;
    offset += (14 + nameLength + 3) & ~3;
  }
  Malformed("the imported library is not in the import table");
}

// Grows the library's segments: the additions are written at the ends of their segments, and
// every segment and member data block after them moves on.
class Builder {
 public:
  explicit Builder(MsftFile& file) : file_(file) {}

  // The offset in `segment` that the bytes will have.
  int32_t Append(int segment, const std::string& bytes) {
    const int32_t offset =
        file_.SegmentLength(segment) + static_cast<int32_t>(added_[segment].size());
    added_[segment] += bytes;
    return offset;
  }
  int32_t AddedLength(int segment) { return static_cast<int32_t>(added_[segment].size()); }

  std::string Build() {
    // Segments in file order.
    std::map<int32_t, int> order;
    for (int segment = 0; segment < kSegmentCount; ++segment) {
      if (file_.SegmentStart(segment) >= 0) order.emplace(file_.SegmentStart(segment), segment);
    }
    for (int i = 0; i < file_.TypeCount(); ++i) {
      const std::size_t field = file_.TypeRecord(i) + kMemberDataField;
      if (file_.Int(field) >= 0) file_.SetInt(field, Moved(file_.Int(field)));
    }
    const std::string& old = file_.bytes();
    std::string out;
    std::size_t copied = 0;
    for (const auto& [start, segment] : order) {
      const std::size_t end = static_cast<std::size_t>(start + file_.SegmentLength(segment));
      out.append(old, copied, end - copied);
      out += added_[segment];
      copied = end;
    }
    out.append(old, copied, std::string::npos);
    // The directory, rewritten in the new bytes (it lies before every segment).
    for (int segment = 0; segment < kSegmentCount; ++segment) {
      const int32_t start = file_.SegmentStart(segment);
      if (start < 0) continue;
      std::string entry;
      AppendInt(entry, Moved(start));
      AppendInt(entry, file_.SegmentLength(segment) + AddedLength(segment));
      out.replace(file_.DirectoryEntry(segment), 8, entry);
    }
    return out;
  }

 private:
  // Where an old file offset lies after the growth of the segments that end at or before it.
  int32_t Moved(int32_t offset) {
    int32_t moved = offset;
    for (int segment = 0; segment < kSegmentCount; ++segment) {
      const int32_t start = file_.SegmentStart(segment);
      if (start >= 0 && start + file_.SegmentLength(segment) <= offset) {
        moved += AddedLength(segment);
      }
    }
    return moved;
  }

  MsftFile& file_;
  std::string added_[kSegmentCount];
};

}  // namespace

std::string CompleteCoClasses(const std::string& library, const std::string& imported,
                              const std::vector<CoClassInterfaces>& coClasses) {
  MsftFile file(library);
  const MsftFile source(imported);
  Builder builder(file);

  std::map<std::string, int> localTypes;
  for (int i = 0; i < file.TypeCount(); ++i) localTypes.emplace(file.TypeName(i), i);
  std::map<std::string, ImportedType> importedTypes;
  for (int i = 0; i < source.TypeCount(); ++i) {
    importedTypes.emplace(source.TypeName(i),
                          ImportedType{i, source.TypeKind(i), source.TypeGuid(i)});
  }
  // The library's imports by GUID: the reference of each is its offset plus one.
  std::map<std::string, int32_t> imports;
  for (int32_t offset = 0; offset < file.SegmentLength(kImportInfos); offset += kImportInfoSize) {
    imports.emplace(file.Guid(file.Int(file.In(kImportInfos, offset) + 8)), offset);
  }
  const int32_t importFile = FindImportFile(file, source.Guid(source.Int(kLibraryGuidField)));

  // A new import: its GUID entry heads the GUID's hash chain.
  int32_t newImports = 0;
  const auto importOf = [&](const ImportedType& type) {
    if (const auto found = imports.find(type.guid); found != imports.end()) return found->second;
    const int32_t offset = file.SegmentLength(kImportInfos) + builder.AddedLength(kImportInfos);
    const std::size_t slot = file.In(kGuidHash, static_cast<int32_t>(4 * GuidHash(type.guid)));
    std::string entry = type.guid;
    AppendInt(entry, offset + 1);
    AppendInt(entry, file.Int(slot));
    const int32_t guid = builder.Append(kGuids, entry);
    file.SetInt(slot, guid);
    std::string import;
    AppendInt(import, type.kind << 24 | kImportByGuid | type.index);
    AppendInt(import, importFile);
    AppendInt(import, guid);
    builder.Append(kImportInfos, import);
    imports.emplace(type.guid, offset);
    ++newImports;
    return offset;
  };

  for (const CoClassInterfaces& coClass : coClasses) {
    const auto local = localTypes.find(coClass.coClass);
    if (local == localTypes.end() || file.TypeKind(local->second) != kCoClassKind) {
      Malformed("no co-class " + coClass.coClass);
    }
    const std::size_t record = file.TypeRecord(local->second);
    // The flags the compiler gave (the default interface's) stay with their references.
    std::map<int32_t, int32_t> flags;
    for (int32_t reference = file.Int(record + kFirstReferenceField); reference >= 0;
         reference = file.Int(file.In(kReferences, reference) + 12)) {
      const std::size_t at = file.In(kReferences, reference);
      flags[file.Int(at)] = file.Int(at + 4);
    }
    std::string references;
    const int32_t first = file.SegmentLength(kReferences) + builder.AddedLength(kReferences);
    for (std::size_t i = 0; i < coClass.interfaces.size(); ++i) {
      const std::string& name = coClass.interfaces[i];
      int32_t type;
      if (const auto own = localTypes.find(name); own != localTypes.end()) {
        type = file.TypeReference(own->second);
      } else if (const auto other = importedTypes.find(name); other != importedTypes.end()) {
        type = importOf(other->second) + 1;
      } else {
        Malformed("no interface " + name + " for co-class " + coClass.coClass);
      }
      const bool last = i + 1 == coClass.interfaces.size();
      AppendInt(references, type);
      AppendInt(references, flags.count(type) != 0 ? flags[type] : 0);
      AppendInt(references, -1);
      AppendInt(references, last ? -1 : first + static_cast<int32_t>((i + 1) * kReferenceSize));
    }
    builder.Append(kReferences, references);
    file.SetInt(record + kFirstReferenceField, first);
    const int32_t counts = file.Int(record + kImplCountField);
    file.SetInt(record + kImplCountField,
                (counts & ~0xFFFF) | static_cast<int32_t>(coClass.interfaces.size()));
  }
  file.SetInt(kImportInfoCountField, file.Int(kImportInfoCountField) + newImports);
  return builder.Build();
}

}  // namespace korvane::typelib
