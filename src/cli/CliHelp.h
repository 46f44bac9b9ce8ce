#pragma once
// The usage text of quillon-cli: one line per command for --help, and each command's own page
// for COMMAND --help.

#include <string>

namespace quillon::cli {

// Every command with its arguments and a few words each.
std::string Usage();
// The command's usage line and what it does; empty for a command that does not exist.
std::string CommandHelp(const std::string& command);

}  // namespace quillon::cli
