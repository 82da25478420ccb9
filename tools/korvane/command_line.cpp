#include "tools/korvane/command_line.h"

#include <algorithm>

namespace korvane::cli {
namespace {

// Letters to insert, delete or change to turn a into b.
size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The option named by a word ("--resource" or "--resource=X"), looked up in
// the subcommand and the commands above it, whose options it may carry.
const CLI::Option* OptionOf(const CLI::App* app, const std::string& word) {
  const std::string name = word.substr(0, word.find('='));
  for (; app != nullptr; app = app->get_parent())
    if (const auto* option = app->get_option_no_throw(name)) return option;
  return nullptr;
}

}  // namespace

std::optional<std::string> Nearest(const std::string& word, const std::vector<std::string>& names) {
  std::optional<std::string> best;
  size_t bestDistance = 3;
  for (const auto& name : names) {
    if (!word.empty() && name.starts_with(word)) return name;
    const size_t distance = EditDistance(word, name);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = name;
    }
  }
  return best;
}

std::optional<std::string> UnknownSubcommand(const CLI::App& app, int argc, char** argv) {
  const CLI::App* current = &app;
  std::string path;
  for (int at = 1; at < argc; ++at) {
    const std::string word = argv[at];
    if (word == "--") return std::nullopt;
    if (word.starts_with("-")) {
      const auto* option = OptionOf(current, word);
      // An option's value is the next word unless it came with "=".
      if (option != nullptr && option->get_expected_max() > 0 &&
          word.find('=') == std::string::npos)
        ++at;
      continue;
    }
    const auto subcommands = current->get_subcommands([](const CLI::App*) { return true; });
    if (subcommands.empty()) return std::nullopt;  // the words that follow are arguments
    std::vector<std::string> names;
    for (const auto* subcommand : subcommands) names.push_back(subcommand->get_name());
    const auto named = std::find(names.begin(), names.end(), word);
    if (named != names.end()) {
      current = subcommands[static_cast<size_t>(named - names.begin())];
      path += word + " ";
      continue;
    }
    std::string message = "unknown subcommand '" + path + word + "'";
    if (const auto nearest = Nearest(word, names)) {
      message += "; did you mean '" + path + *nearest + "'?";
    } else {
      std::string list;
      for (const auto& name : names) list += (list.empty() ? "" : ", ") + name;
      message += "; the subcommands are " + list;
    }
    return message;
  }
  return std::nullopt;
}

}  // namespace korvane::cli
