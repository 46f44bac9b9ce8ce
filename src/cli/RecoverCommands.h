#pragma once
// quillon-cli recover: the recovery copies that Quillon keeps of shows with unsaved changes.

#include <string>
#include <vector>

#include "CliArgs.h"

namespace quillon::cli {

// recover --list                 every copy as one JSON line
// recover ID -o OUT.shw          the copy's show written to OUT.shw
int CmdRecover(std::vector<std::string> words);

}  // namespace quillon::cli
