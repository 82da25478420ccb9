// The command line korvane accepts, as JSON: every subcommand with its options
// and arguments, for the manual page and the shell completion, which are
// generated from it (tools/korvane/cli_docs.py) so that they follow the parser.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace korvane::cli {

// The hidden option that prints the tree and exits.
inline constexpr const char* kCommandTreeOption = "--command-tree";

// The tree of `app` below it: name, description, options, subcommands.
std::string CommandTree(const CLI::App& app);

}  // namespace korvane::cli
