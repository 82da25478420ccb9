#pragma once
// What the harnesses make of libFuzzer's bytes.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/ole_string.h"

namespace korvane::fuzz {

// The bytes as UTF-16 code units, two bytes each, little-endian (an odd last
// byte is dropped): every unit value, lone surrogates included, is reachable.
inline OleString Utf16Units(const uint8_t* data, size_t size) {
  OleString text;
  text.reserve(size / 2);
  for (size_t i = 0; i + 1 < size; i += 2) {
    text.push_back(static_cast<OLECHAR>(data[i] | (data[i + 1] << 8)));
  }
  return text;
}

// A broken rule: printed, then the harness aborts so libFuzzer keeps the input.
[[noreturn]] inline void Fail(const char* rule) {
  std::fprintf(stderr, "fuzz: broken rule: %s\n", rule);
  std::abort();
}

inline void Require(bool holds, const char* rule) {
  if (!holds) Fail(rule);
}

}  // namespace korvane::fuzz
