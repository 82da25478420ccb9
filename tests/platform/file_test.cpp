// Files, folders and path names.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/ole_string.h"
#include "platform/win32.h"
#include "tests/platform/child_process.h"
#include "tests/support/file_bytes.h"

namespace {

using korvane::testing::ReadWholeFile;

OleString TempFolder() {
  OLECHAR buffer[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  EXPECT_GT(length, 0u);
  return OleString(buffer, length);
}

OleString CurrentFolder() {
  const DWORD needed = GetCurrentDirectoryW(0, nullptr);
  OleString buffer(needed, OLECHAR{});
  const DWORD length = GetCurrentDirectoryW(needed, buffer.data());
  EXPECT_EQ(length + 1, needed) << "the size query counts the terminator";
  buffer.resize(length);
  return buffer;
}

// A file name unique to this process inside the temporary folder.
OleString TempName(const char* stem) {
  return TempFolder() +
         AnsiToOle(std::string("korvane_") + stem + "_" + std::to_string(GetCurrentProcessId()));
}

TEST(File, WriteThenReadBack) {
  const OleString path = TempName("file");
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const char text[] = "<?xml version=\"1.0\"?>\r\n";
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file, text, sizeof(text) - 1, &written, nullptr));
  EXPECT_EQ(written, sizeof(text) - 1);
  EXPECT_TRUE(FlushFileBuffers(file));
  LARGE_INTEGER size{};
  ASSERT_TRUE(GetFileSizeEx(file, &size));
  EXPECT_EQ(size.QuadPart, static_cast<LONGLONG>(sizeof(text) - 1));
  EXPECT_TRUE(CloseHandle(file));

  file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char buffer[64] = {};
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(file, buffer, sizeof(buffer), &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), text);
  ASSERT_TRUE(ReadFile(file, buffer, sizeof(buffer), &read, nullptr));
  EXPECT_EQ(read, 0u) << "at the end of the file";
  EXPECT_TRUE(CloseHandle(file));

  // CREATE_ALWAYS on an existing file empties it and says so.
  SetLastError(0);
  file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  ASSERT_TRUE(GetFileSizeEx(file, &size));
  EXPECT_EQ(size.QuadPart, 0);
  CloseHandle(file);

  EXPECT_NE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(DeleteFileW(path.c_str()));
  EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Windows' sharing rule: a second open of a file is refused when it asks for
// access that the first does not share, or refuses to share access that the
// first holds (appending counts as writing). Both opens are of this process;
// the rule holds across processes as well.
TEST(File, ShareModesRefuseConflictingOpens) {
  constexpr DWORD kRead = 1, kWrite = 2;
  struct Access {
    DWORD rights;
    DWORD kinds;
  };
  const Access accesses[] = {{GENERIC_READ, kRead},
                             {GENERIC_WRITE, kWrite},
                             {GENERIC_READ | GENERIC_WRITE, kRead | kWrite},
                             {FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, kWrite}};
  const DWORD shares[] = {0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
  auto shared = [](DWORD share) {
    return ((share & FILE_SHARE_READ) != 0 ? kRead : 0) |
           ((share & FILE_SHARE_WRITE) != 0 ? kWrite : 0);
  };
  const OleString path = TempName("share");
  for (const Access& first : accesses) {
    for (DWORD firstShare : shares) {
      HANDLE held = CreateFileW(path.c_str(), first.rights, firstShare, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
      ASSERT_NE(held, INVALID_HANDLE_VALUE);
      for (const Access& second : accesses) {
        for (DWORD secondShare : shares) {
          const bool conflict = (second.kinds & ~shared(firstShare)) != 0 ||
                                (first.kinds & ~shared(secondShare)) != 0;
          HANDLE other = CreateFileW(path.c_str(), second.rights, secondShare, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
          const DWORD error = GetLastError();
          EXPECT_EQ(other == INVALID_HANDLE_VALUE, conflict)
              << "first " << first.rights << "/" << firstShare << ", second " << second.rights
              << "/" << secondShare;
          if (other != INVALID_HANDLE_VALUE) {
            CloseHandle(other);
          } else {
            EXPECT_EQ(error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
          }
        }
      }
      CloseHandle(held);
    }
  }
  EXPECT_TRUE(DeleteFileW(path.c_str()));
}

// A refused CREATE_ALWAYS leaves the file's content; another process's
// writer is refused while the file is held and admitted once it is closed.
TEST(File, ARefusedWriterChangesNothingInThisOrAnotherProcess) {
  const OleString path = TempName("writer");
  HANDLE held = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(held, "kept", 4, &written, nullptr));
  EXPECT_EQ(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(ReadWholeFile(path), "kept");
  EXPECT_NE(korvane::test::RunChild("open-for-writing " + OleToAnsi(path)), 0);
  CloseHandle(held);
  EXPECT_EQ(korvane::test::RunChild("open-for-writing " + OleToAnsi(path)), 0);
  EXPECT_TRUE(DeleteFileW(path.c_str()));
}

// A mapping larger than its file grows the file with zero bytes; what a view holds is the file's
// content for every other reader at once, and stays after the view and the mapping are gone;
// SetEndOfFile then cuts the file at its pointer.
TEST(FileMapping, AViewWritesTheFileThatGrowsAndIsCutAfterwards) {
  const OleString path = TempName("mapped");
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  constexpr DWORD kSize = 0x20000;  // two pieces of 64 KiB
  HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READWRITE, 0, kSize, nullptr);
  ASSERT_NE(mapping, nullptr);
  LARGE_INTEGER size{};
  ASSERT_TRUE(GetFileSizeEx(file, &size));
  EXPECT_EQ(size.QuadPart, kSize);

  // A view of the second piece.
  auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0x10000, 0x10000));
  ASSERT_NE(view, nullptr);
  std::memcpy(view, "abc", 3);
  std::string seen = ReadWholeFile(path);
  ASSERT_EQ(seen.size(), kSize);
  EXPECT_EQ(seen.substr(0x10000, 4), std::string("abc\0", 4));
  EXPECT_EQ(seen.find_first_not_of('\0'), 0x10000u) << "the file grew with zero bytes";
  EXPECT_TRUE(FlushViewOfFile(view, 0));
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_TRUE(CloseHandle(mapping));
  EXPECT_EQ(ReadWholeFile(path).substr(0x10000, 3), "abc") << "kept after the view is gone";

  LARGE_INTEGER end{};
  end.QuadPart = 0x10002;
  ASSERT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN));
  EXPECT_TRUE(SetEndOfFile(file));
  EXPECT_EQ(ReadWholeFile(path), std::string(0x10000, '\0') + "ab");
  CloseHandle(file);
  DeleteFileW(path.c_str());
}

// The refusals, each with the system's error.
TEST(FileMapping, RefusalsGiveTheSystemsErrors) {
  const OleString path = TempName("refused");
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  SetLastError(0);
  EXPECT_EQ(CreateFileMappingW(file, nullptr, PAGE_READWRITE, 0, 0, nullptr), nullptr)
      << "an empty file with no size";
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_INVALID));

  HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READWRITE, 0, 0x10000, nullptr);
  ASSERT_NE(mapping, nullptr);
  struct ViewCase {
    DWORD offset;
    SIZE_T bytes;
    DWORD error;
  };
  for (const ViewCase& c : {ViewCase{0x1000, 0x1000, ERROR_MAPPED_ALIGNMENT},
                            ViewCase{0, 0x10001, ERROR_ACCESS_DENIED}}) {
    SCOPED_TRACE(c.offset + c.bytes);
    SetLastError(0);
    EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, c.offset, c.bytes), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
  }
  void* whole = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0x10000);
  EXPECT_NE(whole, nullptr) << "exactly the mapping's size";
  if (whole != nullptr) UnmapViewOfFile(whole);
  CloseHandle(mapping);
  CloseHandle(file);

  HANDLE readOnly = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(readOnly, INVALID_HANDLE_VALUE);
  SetLastError(0);
  EXPECT_EQ(CreateFileMappingW(readOnly, nullptr, PAGE_READWRITE, 0, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_ACCESS_DENIED)) << "writing needs a handle that writes";
  CloseHandle(readOnly);
  DeleteFileW(path.c_str());
}

TEST(File, MissingFilesAndFoldersAreReported) {
  const OleString missing = TempName("missing");
  SetLastError(0);
  EXPECT_EQ(CreateFileW(missing.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  const OleString inMissingFolder = missing + OLESTR("/") + OLESTR("file.xml");
  SetLastError(0);
  EXPECT_EQ(CreateFileW(inMissingFolder.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

  SetLastError(0);
  EXPECT_FALSE(DeleteFileW(missing.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(File, FoldersAreCreatedAndSeen) {
  const OleString folder = TempName("folder");
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  EXPECT_EQ(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            FILE_ATTRIBUTE_DIRECTORY);
  SetLastError(0);
  EXPECT_FALSE(CreateDirectoryW(folder.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
}

TEST(Path, RelativeNamesAreMadeFullAgainstTheCurrentFolder) {
  const OleString current = CurrentFolder();
  OLECHAR full[MAX_PATH];
  LPWSTR filePart = nullptr;
  const DWORD length = GetFullPathNameW(OLESTR("run1.xml"), MAX_PATH, full, &filePart);
  ASSERT_GT(length, 0u);
  const OleString result(full, length);
  EXPECT_EQ(result.compare(0, current.size(), current), 0) << "starts with the current folder";
  EXPECT_TRUE(result.ends_with(OLESTR("run1.xml")));
  EXPECT_EQ(result.size(), current.size() + 1 + 8) << "one separator in between";
  ASSERT_NE(filePart, nullptr);
  EXPECT_TRUE(OleView(filePart) == OLESTR("run1.xml"));

  // The size query returns the size with terminator and writes nothing.
  EXPECT_EQ(GetFullPathNameW(OLESTR("run1.xml"), 0, nullptr, nullptr), length + 1);

  // "." and ".." parts are resolved.
  const OleString viaParent = OleString(OLESTR("sub")) + result.substr(current.size(), 1) +
                              OLESTR("..") + result.substr(current.size(), 1) + OLESTR("run1.xml");
  OLECHAR resolved[MAX_PATH];
  const DWORD resolvedLength = GetFullPathNameW(viaParent.c_str(), MAX_PATH, resolved, nullptr);
  EXPECT_TRUE(OleString(resolved, resolvedLength) == result);
}

TEST(Path, CurrentFolderCanBeChanged) {
  const OleString original = CurrentFolder();
  OleString temp = TempFolder();
  temp.pop_back();  // without the trailing separator
  ASSERT_TRUE(SetCurrentDirectoryW(temp.c_str()));
  OLECHAR full[MAX_PATH];
  const DWORD length = GetFullPathNameW(OLESTR("x"), MAX_PATH, full, nullptr);
  EXPECT_TRUE(OleString(full, length) == TempFolder() + OLESTR("x"));
  ASSERT_TRUE(SetCurrentDirectoryW(original.c_str()));
  EXPECT_TRUE(CurrentFolder() == original);
}

}  // namespace
