#pragma once
// quillon-cli vtr: one operation of the tape recorder link, for trying a recorder and its cable
// before a batch.

#include <string>
#include <vector>

#include "CliArgs.h"
#include "model/Profile.h"

namespace quillon::cli {

// vtr --port PATH (status | preset IN OUT [--video] [--a1] [--a2] | record-wait [--timeout S]
//     | stop)
int CmdVtr(std::vector<std::string> words, Profile& profile);

}  // namespace quillon::cli
