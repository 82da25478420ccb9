#include "standins/ivi_config/store_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "standins/ivi_config/com_text.h"
#include "standins/ivi_config/ivi_config_server.h"
#include "standins/ivi_config/store_parser.h"

namespace korvane::ivi_config {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The location as a path of the file system; none when it is not valid text (an unpaired
// surrogate, say), which no file can be named.
std::optional<std::filesystem::path> PathOf(OleStringView location) {
  try {
    return std::filesystem::path{OleString(location)};
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace

std::string ReadStoreFile(OleStringView location) {
  const std::string shownPath = OleToUtf8(location);
  if (location.empty()) {
    throw StoreFileError(IVICONFIG_E_NO_STORE, "No configuration store: the location is empty.");
  }
  const auto path = PathOf(location);
  if (!path) {
    throw StoreFileError(
        IVICONFIG_E_CANNOT_READ,
        "The configuration store '" + shownPath + "' cannot be read: its name is not valid text.");
  }
  std::error_code error;
  if (!std::filesystem::is_regular_file(*path, error)) {
    throw StoreFileError(IVICONFIG_E_NO_STORE, "No configuration store at '" + shownPath + "'.");
  }
  std::ifstream file(*path, std::ios::binary);
  if (!file.is_open()) {
    throw StoreFileError(IVICONFIG_E_CANNOT_READ,
                         "The configuration store '" + shownPath + "' cannot be read.");
  }
  std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (text.starts_with(kByteOrderMark)) text.erase(0, kByteOrderMark.size());
  return text;
}

StoreModel LoadStoreFile(OleStringView location) {
  const std::string text = ReadStoreFile(location);
  try {
    return ParseStore(text);
  } catch (const StoreFormatError& format) {
    throw StoreFileError(IVICONFIG_E_BAD_FORMAT,
                         "The configuration store '" + OleToUtf8(location) +
                             "' is malformed: " + format.what() + ".",
                         format.line(), format.reason());
  }
}

}  // namespace korvane::ivi_config
