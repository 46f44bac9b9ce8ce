#pragma once
// quillon-cli picture: loads a picture file, prints its buffer's size and can save it again.

#include "CliArgs.h"

namespace quillon::cli {

// picture FILE [--step N] [--save OUT [--mode M]]
int CmdPicture(const Args& args);

}  // namespace quillon::cli
