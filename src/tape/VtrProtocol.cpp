#include "VtrProtocol.h"

#include <algorithm>
#include <cstdio>

namespace quillon::vtr {

std::vector<uint8_t> CommandPacket(uint8_t cmd1, uint8_t cmd2, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> packet{cmd1, cmd2};
    // At most five data bytes, as the link sends them.
    for (size_t i = 0; i < data.size() && i < 5; ++i)
        packet.push_back(data[i]);
    unsigned sum = 0;
    for (uint8_t b : packet)
        sum += b;
    packet.push_back(uint8_t(sum & 0xFF));
    return packet;
}

uint8_t TrackByte(bool video, bool audio1, bool audio2) {
    return uint8_t(0x40 + (video ? 0x10 : 0) + (audio1 ? 0x01 : 0) + (audio2 ? 0x02 : 0));
}

std::array<uint8_t, 4> TimecodeBytes(std::string_view longForm) {
    auto field = [&](size_t at) {
        auto digit = [&](size_t i) { return i < longForm.size() ? int(longForm[i]) - '0' : 0; };
        return uint8_t((digit(at) * 16 + digit(at + 1)) & 0xFF);
    };
    // Hours at 0-1, minutes at 3-4, seconds at 6-7, frames at 9-10; sent frames first.
    return {field(9), field(6), field(3), field(0)};
}

Reply DecodeReply(const uint8_t* bytes, size_t size) {
    Reply r;
    if (size < 3) return r;
    const size_t n = bytes[0] & 0x0F;
    if (size < n + 3) return r;
    unsigned sum = 0;
    for (size_t i = 0; i < n + 2; ++i)
        sum += bytes[i];
    if (uint8_t(sum & 0xFF) != bytes[n + 2]) return r;
    if (bytes[0] == 0x10 && bytes[1] == 0x01) {
        r.kind = Reply::kAck;
    } else if (bytes[0] == 0x11 && bytes[1] == 0x12) {
        r.kind = Reply::kNak;
    } else if ((bytes[0] & 0xF0) == 0x70 && bytes[1] == 0x20) {
        r.kind = Reply::kStatus;
        // Status byte 0 follows the two command bytes; bytes the packet does not carry are 0.
        for (size_t i = 0; i < r.status.size() && i < n; ++i)
            r.status[i] = bytes[i + 2];
    } else if ((bytes[0] & 0xF0) == 0x70) {
        r.kind = Reply::kTime;
        auto at = [&](size_t i) { return i < size ? unsigned(bytes[i]) : 0u; };
        char text[16];
        std::snprintf(text, sizeof text, "%2.2x:%2.2x:%2.2x:%2.2x", at(5) & 0x3F, at(4) & 0x7F,
                      at(3) & 0x7F, at(2) & 0x3F);
        r.time = text;
    } else {
        r.kind = Reply::kOther;
    }
    return r;
}

}  // namespace quillon::vtr
