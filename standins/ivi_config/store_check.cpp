#include "standins/ivi_config/store_check.h"

#include "standins/ivi_config/com_text.h"
#include "standins/ivi_config/store_file.h"

namespace korvane::ivi_config {

StoreCheck CheckStoreFile(std::string_view path) {
  StoreCheck check;
  check.file = path;
  try {
    const StoreModel store = LoadStoreFile(Utf8ToOle(path));
    check.ok = true;
    for (const DriverSession& session : store.sessions) check.sessions.push_back(session.name);
    for (const LogicalName& logical : store.logicalNames) {
      check.logicalNames.emplace_back(logical.name, logical.session);
    }
  } catch (const StoreFileError& error) {
    check.line = error.line();
    check.reason = error.line() != 0 ? error.reason() : error.what();
    check.description = error.what();
  }
  return check;
}

}  // namespace korvane::ivi_config
