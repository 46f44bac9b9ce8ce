#pragma once
// quillon-cli frame and render: the show drawn by the frame renderer on an offscreen OpenGL
// context (no display needed), as one PNG picture or as a movie (AVI, Targa sequence) or VRML
// world through the movie maker.

#include <string>
#include <vector>

#include "CliArgs.h"
#include "model/Profile.h"

namespace quillon::cli {

// frame SHOW.shw --frame F -o OUT.png [--size WxH] [--reticle]
int CmdFrame(std::vector<std::string> words, Profile& profile);

// render SHOW.shw -o OUT [--format avi|tga16|tga24|vrml] [--start TC] [--end TC] [--fps F]
//        [--size WxH] [--fields frames|even|odd] [--codec raw|mjpeg|ffv1|mpeg4|h264] [--sound]
// Defaults come from the profile's "Movie" section, as the movie settings dialog shows them.
// --sound puts the show's sound tracks into an AVI as one PCM stream; fields, reverse and
// Targa output are made without it, with a note on stderr.
int CmdRender(std::vector<std::string> words, Profile& profile);

}  // namespace quillon::cli
