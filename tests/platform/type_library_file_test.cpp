// The platform layer's type library reader on hostile files: a library whose
// structure points outside itself is refused when read, a module is read as
// data without running it, and what is not a regular file is refused.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/posix/detail/type_library.h"
#include "tests/support/beside_program.h"

namespace korvane::test {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes BuiltLibrary() {
  std::ifstream in(KORVANE_TYPELIB_FILE, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int32_t Get(const Bytes& bytes, std::size_t at) {
  int32_t value = 0;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}
void Set(Bytes& bytes, std::size_t at, int32_t value) {
  std::memcpy(bytes.data() + at, &value, 4);
}

// Where the parts of the built library lie (it has no help DLL entry).
struct Layout {
  explicit Layout(const Bytes& b)
      : directory(0x54 + 4 * static_cast<std::size_t>(Get(b, 0x20))),
        types(static_cast<std::size_t>(Get(b, directory))),
        // Type 3 is the first interface; its member data, then its first function.
        base(types + static_cast<std::size_t>(Get(b, 0x54 + 4 * 3))),
        data(static_cast<std::size_t>(Get(b, base + 4))),
        tables(data + 4 + static_cast<std::size_t>(Get(b, data))),
        firstOffset(tables + 4 * 2 * static_cast<std::size_t>(Get(b, base + 24) & 0xFFFF)),
        firstRecord(data + 4 + static_cast<std::size_t>(Get(b, firstOffset))) {}
  std::size_t Segment(int s) const { return directory + 16 * static_cast<std::size_t>(s); }
  std::size_t directory, types, base, data, tables, firstOffset, firstRecord;
};

HRESULT Load(Bytes bytes) {
  ComPtr<ITypeLib> library;
  return platform::LoadTypeLibFromBytes(std::move(bytes), library.GetAddressOf());
}

// Every count, offset and length of the file that points past what holds it
// refuses the whole file when it is read, before any walk.
TEST(TypeLibraryFile, StructureOutsideTheFileIsRefusedWhenRead) {
  const Bytes built = BuiltLibrary();
  ASSERT_GT(built.size(), 0x1000u);
  ASSERT_EQ(Load(built), S_OK);
  const Layout at(built);
  const auto size = static_cast<int32_t>(built.size());
  struct Fault {
    const char* what;
    std::size_t field;
    int32_t value;
  };
  const Fault faults[] = {
      {"type count", 0x20, 0x7FFFFFFF},
      {"type count below zero", 0x20, -2},
      {"name segment before the file", at.Segment(7), -8},
      {"string segment past the end", at.Segment(8), size},
      {"type segment longer than the file", at.Segment(0) + 4, size},
      {"type record past its segment", 0x54, Get(built, at.Segment(0) + 4) - 50},
      {"member data past the end", at.base + 4, size - 2},
      {"function record before its records", at.firstOffset, -4},
      {"parameters beyond their record", at.firstRecord + 20, 0x8000},
      {"record length beyond the records", at.firstRecord, 0xFFF0},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.what);
    Bytes bytes = built;
    Set(bytes, fault.field, fault.value);
    EXPECT_EQ(Load(bytes), TYPE_E_CANTLOADLIBRARY);
  }
}

// A module is read from its file, never loaded: its constructor (which marks
// the environment) does not run, and without a library it is refused.
TEST(TypeLibraryFile, ModuleIsReadAsDataWithoutRunningIt) {
  ComPtr<ITypeLib> library;
  EXPECT_EQ(LoadTypeLib(testing::BesideProgram(KORVANE_PROBE_MODULE_FILE).c_str(),
                        library.GetAddressOf()),
            TYPE_E_CANTLOADLIBRARY);
  EXPECT_EQ(std::getenv("KORVANE_PROBE_MODULE_RAN"), nullptr);
  EXPECT_EQ(
      LoadTypeLib(testing::BesideProgram(KORVANE_IVI_TYPELIB_FILE).c_str(), library.GetAddressOf()),
      S_OK);
}

// Without a writer, opening the pipe would wait for ever.
TEST(TypeLibraryFile, WhatIsNotARegularFileIsRefused) {
  const std::string pipe = "/tmp/korvane-type-library-pipe-" + std::to_string(::getpid());
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const std::u16string pipeName(pipe.begin(), pipe.end());
  for (const char16_t* path :
       {u"/dev/zero", u"/tmp", u"/nonexistent/library.tlb", pipeName.c_str()}) {
    ComPtr<ITypeLib> library;
    EXPECT_EQ(LoadTypeLib(path, library.GetAddressOf()), TYPE_E_CANTLOADLIBRARY);
  }
  ::unlink(pipe.c_str());
}

}  // namespace
}  // namespace korvane::test
