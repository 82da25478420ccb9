// Files, folders and path names.
#include <gtest/gtest.h>

#include <string>

#include "platform/ole_string.h"
#include "platform/win32.h"

namespace {

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
