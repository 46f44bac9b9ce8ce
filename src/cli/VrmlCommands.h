#pragma once
// quillon-cli vrml: a show written as a VRML 2.0 world with its textures beside it.

#include <string>
#include <vector>

#include "CliArgs.h"
#include "model/Profile.h"

namespace quillon::cli {

// vrml SHOW.shw -o OUT.wrl (--out OUT.wrl is the same)
int CmdVrml(std::vector<std::string> words, Profile& profile);

}  // namespace quillon::cli
