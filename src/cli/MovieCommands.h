#pragma once
// quillon-cli movie: opens a movie as a picture source, prints its size and frame count and can
// save one decoded frame.

#include "CliArgs.h"

namespace quillon::cli {

// movie FILE [--frame K --save OUT]
int CmdMovie(const Args& args);

}  // namespace quillon::cli
