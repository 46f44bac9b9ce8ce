#pragma once
// quillon-cli batch: "Batch Record/AVI" without a window. A list of shows written into AVI
// files (here, or as a Slurm job array with a last job that checks them and writes the log),
// or played in real time offscreen onto a tape recorder with the edit log of the tape.

#include <string>
#include <vector>

#include "CliArgs.h"
#include "model/Profile.h"

namespace quillon::cli {

// batch SHOW... [--avi] [--reverse] [--log FILE] [--start TC] [--hold-start S] [--hold-end S]
//       [--port PATH [--video] [--a1] [--a2]] [--no-audio] [--fps F] [--size WxH] [--codec C]
//       [--fields M] [--sound] [--engine local|slurm [--partition P] [--wait]] [--collect]
int CmdBatch(std::vector<std::string> words, Profile& profile);

}  // namespace quillon::cli
