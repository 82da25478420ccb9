#include "tools/korvane/command_tree.h"

#include <nlohmann/json.hpp>

namespace korvane::cli {
namespace {

nlohmann::json OptionNode(const CLI::Option& option) {
  nlohmann::json names = nlohmann::json::array();
  for (const std::string& name : option.get_snames()) names.push_back("-" + name);
  for (const std::string& name : option.get_lnames()) names.push_back("--" + name);
  return {{"names", names},
          {"positional", option.get_positional()},
          {"name", option.get_name(true)},
          // A flag takes no value; the others name theirs (TEXT, FILE...).
          {"value", option.get_type_size() == 0 ? "" : option.get_type_name()},
          {"required", option.get_required()},
          {"description", option.get_description()}};
}

nlohmann::json AppNode(const CLI::App& app) {
  nlohmann::json options = nlohmann::json::array();
  for (const CLI::Option* option : app.get_options()) {
    // Options of the empty group are hidden from the help, and from the tree.
    if (!option->get_group().empty()) options.push_back(OptionNode(*option));
  }
  nlohmann::json subcommands = nlohmann::json::array();
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
    if (!sub->get_group().empty()) subcommands.push_back(AppNode(*sub));
  }
  return {{"name", app.get_name()},
          {"description", app.get_description()},
          {"footer", app.get_footer()},
          {"options", options},
          {"subcommands", subcommands}};
}

}  // namespace

std::string CommandTree(const CLI::App& app) {
  return AppNode(app).dump(2) + "\n";
}

}  // namespace korvane::cli
