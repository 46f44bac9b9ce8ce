#pragma once
// One panel of a scene's set: a textured quadrilateral in world units. The in-memory record has
// the layout of the 188-byte file record, but files are written field by field.

#include <cstdint>

namespace quillon {

constexpr int kPanelPathBytes = 129;

struct SetPanel {
    uint32_t panelColor = 255;  // COLORREF 0x00BBGGRR used when there is no picture
    float cornerEastWest[4] = {0, 0, 0, 0};
    float cornerUpDown[4] = {0, 0, 0, 0};  // corners 0 and 1 top edge, 2 and 3 bottom edge
    float cornerNorthSouth[4] = {0, 0, 0, 0};
    uint8_t selected = 0;
    char imagePath[kPanelPathBytes] = {};
    int16_t textureSlot = -1;
    int32_t keyColor = -1;  // -1: the picture's alpha decides

    bool IsFloor() const {
        return cornerUpDown[0] == cornerUpDown[1] && cornerUpDown[1] == cornerUpDown[2] &&
               cornerUpDown[2] == cornerUpDown[3];
    }
};

static_assert(sizeof(SetPanel) == 188, "SetPanel has the layout of its 188-byte file record");
constexpr int kSetPanelBytes = 188;

}  // namespace quillon
