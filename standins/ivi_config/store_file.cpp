#include "standins/ivi_config/store_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "standins/ivi_config/com_text.h"
#include "standins/ivi_config/ivi_config_server.h"
#include "standins/ivi_config/store_parser.h"

namespace korvane::ivi_config {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string ReadWholeFile(const std::filesystem::path& path, const std::string& shownPath) {
  std::ifstream file(path, std::ios::binary);
  if (!file.is_open()) {
    throw StoreFileError(IVICONFIG_E_CANNOT_READ,
                         "The configuration store '" + shownPath + "' cannot be read.");
  }
  std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (text.starts_with(kByteOrderMark)) text.erase(0, kByteOrderMark.size());
  return text;
}

}  // namespace

StoreModel LoadStoreFile(OleStringView location) {
  const std::string shownPath = OleToUtf8(location);
  if (location.empty()) {
    throw StoreFileError(IVICONFIG_E_NO_STORE, "No configuration store: the location is empty.");
  }
  const std::filesystem::path path{OleString(location)};
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    throw StoreFileError(IVICONFIG_E_NO_STORE, "No configuration store at '" + shownPath + "'.");
  }
  try {
    return ParseStore(ReadWholeFile(path, shownPath));
  } catch (const StoreFormatError& format) {
    throw StoreFileError(IVICONFIG_E_BAD_FORMAT, "The configuration store '" + shownPath +
                                                     "' is malformed: " + format.what() + ".");
  }
}

}  // namespace korvane::ivi_config
