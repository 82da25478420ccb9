#include "diag/member_record.h"

#include <string_view>

namespace korvane {
namespace {

OleString Widen(std::string_view text) {
  return OleString(text.begin(), text.end());
}

// "(Index, val)" -> {"Index", "val"}; "()" -> {}.
std::vector<std::string> SplitNames(std::string_view list) {
  std::vector<std::string> names;
  list.remove_prefix(1);
  list.remove_suffix(1);
  while (!list.empty()) {
    size_t comma = list.find(',');
    std::string_view name = list.substr(0, comma);
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    names.emplace_back(name);
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return names;
}

// get_SerialNumber of IKorvaneSystem -> IKorvaneSystem.SerialNumber.
std::string QualifiedName(std::string_view interfaceName, std::string_view memberName) {
  if (memberName.starts_with("get_") || memberName.starts_with("put_")) memberName.remove_prefix(4);
  std::string name(interfaceName);
  name += '.';
  name += memberName;
  return name;
}

}  // namespace

MemberRecord::MemberRecord(const IID& interfaceId, const char* interfaceName,
                           const char* memberName, const char* argumentNames, unsigned flags)
    : context_{interfaceId, interfaceName, memberName, Widen(memberName),
               Widen(QualifiedName(interfaceName, memberName))},
      flags_(flags),
      parameterNames_(SplitNames(argumentNames)) {
  for (const std::string& name : parameterNames_) wideParameterNames_.push_back(Widen(name));
}

}  // namespace korvane
