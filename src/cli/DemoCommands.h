#pragma once
// quillon-cli make-demo: writes the demo show, its sets and its pictures into a folder.

#include "CliArgs.h"

namespace quillon::cli {

// make-demo OUTDIR
int CmdMakeDemo(const Args& args);

}  // namespace quillon::cli
