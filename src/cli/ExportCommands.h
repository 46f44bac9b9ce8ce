#pragma once
// quillon-cli gltf and camera: the show for other programs, as a glTF 2.0 scene and as the
// camera's data frame by frame.

#include <string>
#include <vector>

#include "CliArgs.h"
#include "model/Profile.h"

namespace quillon::cli {

// gltf SHOW.shw -o OUT.gltf|OUT.glb [--scene N] [--size WxH]
int CmdGltf(std::vector<std::string> words, Profile& profile);
// camera SHOW.shw -o OUT.csv|OUT.json [--scene N] [--sensor WIDTHmm] [--size WxH]
int CmdCamera(std::vector<std::string> words, Profile& profile);

}  // namespace quillon::cli
