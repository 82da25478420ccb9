// The system's texts for the Win32 errors this layer reports, as Windows
// words them in English.
#include <cstring>
#include <string_view>

#include "platform/posix/detail/last_error.h"
#include "platform/posix/winbase.h"

namespace {

struct SystemMessage {
  LONG code;
  std::u16string_view text;
};

constexpr SystemMessage kMessages[] = {
    {ERROR_FILE_NOT_FOUND, u"The system cannot find the file specified.\r\n"},
    {ERROR_PATH_NOT_FOUND, u"The system cannot find the path specified.\r\n"},
    {ERROR_TOO_MANY_OPEN_FILES, u"The system cannot open the file.\r\n"},
    {ERROR_ACCESS_DENIED, u"Access is denied.\r\n"},
    {ERROR_INVALID_HANDLE, u"The handle is invalid.\r\n"},
    {ERROR_NOT_ENOUGH_MEMORY,
     u"Not enough memory resources are available to process this command.\r\n"},
    {ERROR_SHARING_VIOLATION,
     u"The process cannot access the file because it is being used by another process.\r\n"},
    {ERROR_INVALID_PARAMETER, u"The parameter is incorrect.\r\n"},
    {ERROR_DISK_FULL, u"There is not enough space on the disk.\r\n"},
    {ERROR_INVALID_NAME, u"The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {ERROR_DIR_NOT_EMPTY, u"The directory is not empty.\r\n"},
    {ERROR_ALREADY_EXISTS, u"Cannot create a file when that file already exists.\r\n"},
    {ERROR_FILENAME_EXCED_RANGE, u"The filename or extension is too long.\r\n"},
};

}  // namespace

extern "C" DWORD FormatMessageW(DWORD dwFlags, LPCVOID, DWORD dwMessageId, DWORD, LPWSTR lpBuffer,
                                DWORD nSize, void*) {
  if (dwFlags != (FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS) ||
      lpBuffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  for (const SystemMessage& message : kMessages) {
    if (static_cast<DWORD>(message.code) != dwMessageId) continue;
    if (message.text.size() >= nSize) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    std::memcpy(lpBuffer, message.text.data(), message.text.size() * sizeof(OLECHAR));
    lpBuffer[message.text.size()] = 0;
    return static_cast<DWORD>(message.text.size());
  }
  SetLastError(ERROR_MR_MID_NOT_FOUND);
  return 0;
}
