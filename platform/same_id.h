#pragma once
// Whether two identifiers (GUIDs: class, interface and library ids) are equal,
// compared inline as two 64-bit words. A byte-wise library comparison costs
// more than the rest of a short QueryInterface, which may compare a dozen ids.

#include <cstdint>
#include <cstring>

namespace korvane {

template <class Id>
inline bool SameId(const Id& a, const Id& b) {
  static_assert(sizeof(Id) == 2 * sizeof(uint64_t), "an identifier is 16 bytes");
  uint64_t wordsA[2];
  uint64_t wordsB[2];
  std::memcpy(wordsA, &a, sizeof wordsA);
  std::memcpy(wordsB, &b, sizeof wordsB);
  return ((wordsA[0] ^ wordsB[0]) | (wordsA[1] ^ wordsB[1])) == 0;
}

}  // namespace korvane
