#pragma once
// The bytes of the tape recorder's serial protocol (Sony 9-pin, RS-422): command packets with
// their checksum, the track byte of EDIT PRESET, timecodes as BCD data bytes, and the decoding
// of reply packets. Pure functions: the link (VtrLink) moves the bytes.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::vtr {

// The commands the batch recorder sends (CMD-1, CMD-2).
inline constexpr uint8_t kStop[2] = {0x20, 0x00};
inline constexpr uint8_t kAutoEdit[2] = {0x20, 0x42};
inline constexpr uint8_t kEditPreset[2] = {0x42, 0x30};
inline constexpr uint8_t kInDataPreset[2] = {0x44, 0x14};
inline constexpr uint8_t kOutDataPreset[2] = {0x44, 0x15};
inline constexpr uint8_t kStatusSense[2] = {0x61, 0x20};
// STATUS SENSE asks for 7 bytes from status byte 0.
inline constexpr uint8_t kStatusSenseRequest = 0x07;
// Bit 1 of status byte 1: the recorder records.
inline constexpr uint8_t kRecordBit = 0x02;

// CMD-1, CMD-2, the command's data bytes and the checksum: the sum of the bytes before it,
// modulo 256. The data bytes are those the command carries: as many as CMD-1's low nibble
// counts for every command sent here but EDIT PRESET, whose CMD-1 0x42 counts two while it
// carries its one track byte (42 30 53 C5 for video and both audio tracks).
std::vector<uint8_t> CommandPacket(uint8_t cmd1, uint8_t cmd2,
                                   const std::vector<uint8_t>& data = {});

// 0x40, + 0x10 for video, + 0x01 for audio 1, + 0x02 for audio 2.
uint8_t TrackByte(bool video, bool audio1, bool audio2);

// A long-form timecode "HH:MM:SS:FF" as four BCD bytes, frames first: each field's two
// characters less "0", tens x 16 + units.
std::array<uint8_t, 4> TimecodeBytes(std::string_view longForm);

struct Reply {
    enum Kind { kBad, kAck, kNak, kStatus, kTime, kOther };
    Kind kind = kBad;
    std::array<uint8_t, 8> status{};  // with kStatus: status bytes 0 to 7 (packet bytes 2..9)
    std::string time;                 // with kTime: "HH:MM:SS:FF" from the masked bytes
    // What the link concludes: true for every whole packet but a NAK.
    bool ok() const { return kind != kBad && kind != kNak; }
};

// The first packet in bytes: kBad when it is not whole or its checksum is wrong.
Reply DecodeReply(const uint8_t* bytes, size_t size);

}  // namespace quillon::vtr
