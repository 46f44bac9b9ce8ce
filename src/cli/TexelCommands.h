#pragma once
// quillon-cli texels: the RGBA texels a picture becomes as an actor's or a panel's texture,
// written as a PNG for viewing.

#include <cstdint>
#include <string>

#include "CliArgs.h"

namespace quillon::cli {

// texels FILE [--key COLOR] [--feather] [--actor|--panel] [--rostrum] --out OUT.png
int CmdTexels(const Args& args);

// A key colour as typed: -1 or "alpha" (the picture's alpha decides), a decimal or 0x hex
// 0x00BBGGRR value, or one of the names blue, green, black, white (any case).
int32_t ParseKeyColor(const std::string& text);

}  // namespace quillon::cli
