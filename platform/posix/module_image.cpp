// Resources read from a module's file (64-bit little-endian ELF) without
// loading it: the section that holds the resource block, found through the
// section headers, every offset and size checked against the file.
#include "platform/posix/detail/module_image.h"

#include <cstdint>
#include <cstring>
#include <optional>

#include "platform/posix/module_resources.h"

namespace korvane::platform {
namespace {

struct Span {
  std::size_t offset;
  std::size_t size;
};

// A little-endian field of `width` bytes at `at`, or nothing beyond the file.
std::optional<uint64_t> Field(const std::vector<unsigned char>& image, std::size_t at,
                              std::size_t width) {
  if (at > image.size() || width > image.size() - at) return std::nullopt;
  uint64_t value = 0;
  for (std::size_t i = width; i-- > 0;) value = value << 8 | image[at + i];
  return value;
}

bool Within(const std::vector<unsigned char>& image, uint64_t offset, uint64_t size) {
  return offset <= image.size() && size <= image.size() - offset;
}

// The file span of the section named `name`.
std::optional<Span> SectionNamed(const std::vector<unsigned char>& image, std::string_view name) {
  constexpr unsigned char kIdent[] = {0x7F, 'E', 'L', 'F', 2 /* 64-bit */, 1 /* little-endian */};
  constexpr std::size_t kHeaderSize = 64;
  constexpr std::size_t kSectionHeaderSize = 64;
  if (image.size() < kHeaderSize || std::memcmp(image.data(), kIdent, sizeof kIdent) != 0) {
    return std::nullopt;
  }
  const uint64_t table = *Field(image, 0x28, 8);
  const uint64_t entrySize = *Field(image, 0x3A, 2);
  const uint64_t count = *Field(image, 0x3C, 2);
  const uint64_t namesIndex = *Field(image, 0x3E, 2);
  if (entrySize != kSectionHeaderSize || namesIndex >= count ||
      !Within(image, table, count * kSectionHeaderSize)) {
    return std::nullopt;
  }
  // A section's header: name offset at 0, file offset at 24, size at 32.
  const auto section = [&](uint64_t index) {
    const std::size_t at = static_cast<std::size_t>(table + index * kSectionHeaderSize);
    return Span{static_cast<std::size_t>(*Field(image, at + 24, 8)),
                static_cast<std::size_t>(*Field(image, at + 32, 8))};
  };
  const Span names = section(namesIndex);
  if (!Within(image, names.offset, names.size)) return std::nullopt;
  for (uint64_t i = 0; i < count; ++i) {
    const std::size_t at = static_cast<std::size_t>(table + i * kSectionHeaderSize);
    const uint64_t nameAt = *Field(image, at, 4);
    if (nameAt >= names.size || name.size() >= names.size - nameAt) continue;
    const char* text = reinterpret_cast<const char*>(image.data() + names.offset + nameAt);
    if (std::string_view(text, name.size()) != name || text[name.size()] != '\0') continue;
    const Span found = section(i);
    if (!Within(image, found.offset, found.size)) return std::nullopt;
    return found;
  }
  return std::nullopt;
}

}  // namespace

bool ResourceOfImage(const std::vector<unsigned char>& image, std::u16string_view type, int id,
                     std::vector<unsigned char>& bytes) {
  const std::optional<Span> section = SectionNamed(image, kResourceSection);
  if (!section) return false;
  // The block is copied so that its entries are read at their own alignment.
  const std::vector<unsigned char> block(
      image.begin() + static_cast<std::ptrdiff_t>(section->offset),
      image.begin() + static_cast<std::ptrdiff_t>(section->offset + section->size));
  bool typeFound = false;
  const ResourceEntry* entry = FindResourceEntry(block.data(), block.size(), type, id, &typeFound);
  if (entry == nullptr) return false;
  const auto* first = reinterpret_cast<const unsigned char*>(entry) + entry->offset;
  bytes.assign(first, first + entry->size);
  return true;
}

}  // namespace korvane::platform
