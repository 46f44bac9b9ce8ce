#include "VerticalMode.h"

namespace quillon {

namespace {

// Everything runs on the user-interface thread; a plain flag is enough.
bool verticalMode = false;

}  // namespace

bool VerticalMode() {
    return verticalMode;
}

void SetVerticalMode(bool on) {
    verticalMode = on;
}

}  // namespace quillon
