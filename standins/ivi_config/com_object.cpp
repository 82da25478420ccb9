#include "standins/ivi_config/com_object.h"

namespace korvane::ivi_config {

namespace {
std::atomic<long> moduleUses{0};
}  // namespace

void AddModuleUse() {
  ++moduleUses;
}
void RemoveModuleUse() {
  --moduleUses;
}
bool ModuleInUse() {
  return moduleUses.load() > 0;
}

}  // namespace korvane::ivi_config
