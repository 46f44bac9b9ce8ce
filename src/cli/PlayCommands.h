#pragma once
// quillon-cli sound and play: a WAV file's format, length and start offset as the clip player
// reads them, and the show played in real time by the play loop on an offscreen monitor.

#include <string>
#include <vector>

#include "CliArgs.h"
#include "model/Profile.h"

namespace quillon::cli {

// sound FILE.wav [--rate R] [--from F]
// One JSON object: formatTag, channels, samplesPerSecond, avgBytesPerSecond, blockAlign,
// bitsPerSample (0 unless PCM), dataSize, frames (Length-in-frames at R, frames per second x
// 100, default the profile's frame rate) and offset (the start offset of frame F, 0 without
// --from).
int CmdSound(const Args& args, const Profile& profile);

// play SHOW.shw [--start TC] [--end TC] [--mode M] [--range A B] [--seconds S] [--fullscreen]
//      [--size WxH] [--trace] [--test-rate] [--audio-out OUT.wav] [--no-audio]
// Plays from --start (frame 0) in mode M (1; -2, -1, 1 or 2) until play stops by itself, the
// frame shown reaches --end, or S seconds have passed. --trace prints {"tick", "frame", "us"}
// per tick; --test-rate prints the frame-rate report last; --audio-out records the sound to a
// WAV file instead of the sound device; --no-audio plays without sound.
int CmdPlay(std::vector<std::string> words, Profile& profile);

}  // namespace quillon::cli
