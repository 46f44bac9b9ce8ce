#pragma once
// An independent little-endian packer for the expected bytes of show and set files, so that
// what a test expects does not come from the code under test.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>

namespace quillon::testing {

struct LeBytes {
    std::string s;
    LeBytes& u8(unsigned v) {
        s.push_back(char(v & 0xFF));
        return *this;
    }
    LeBytes& u16(unsigned v) { return u8(v).u8(v >> 8); }
    LeBytes& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    LeBytes& f32(float v) { return u32(std::bit_cast<uint32_t>(v)); }
    // A zero-terminated text in a field of the given size, cut to size - 1 characters.
    LeBytes& text(const std::string& t, size_t field) {
        std::string f(field, '\0');
        std::memcpy(f.data(), t.data(), std::min(t.size(), field - 1));
        s += f;
        return *this;
    }
    // A 56-byte key frame: the channels given (the rest 0), frame, hold and act.
    LeBytes& key(int frame, std::initializer_list<float> channels, int hold = 0, unsigned act = 0) {
        for (size_t n = 0; n < 12; ++n)
            f32(n < channels.size() ? channels.begin()[n] : 0.0f);
        return u32(uint32_t(frame)).u16(uint16_t(hold)).u16(act);
    }
};

}  // namespace quillon::testing
