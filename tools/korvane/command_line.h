// What korvane's parser does not say on its own: a word in the place of a
// subcommand that names none, with the nearest subcommand as a suggestion.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

namespace korvane::cli {

// The closest of `names` to `word` (a prefix of it, or at most two letters
// changed), or nothing when none is close.
std::optional<std::string> Nearest(const std::string& word, const std::vector<std::string>& names);

// "unknown subcommand 'stat'; did you mean 'status'?" when a word in the
// command line stands where `app` (or one of its subcommands) expects a
// subcommand and names none; nothing when the words fit.
std::optional<std::string> UnknownSubcommand(const CLI::App& app, int argc, char** argv);

}  // namespace korvane::cli
