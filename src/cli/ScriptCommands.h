#pragma once
// quillon-cli script: a script file read as the script window reads it, shown as text or
// written again under another name.

#include <string>
#include <vector>

#include "CliArgs.h"

namespace quillon::cli {

// script FILE [--text] [-o OUT]
int CmdScript(std::vector<std::string> words);

}  // namespace quillon::cli
