#pragma once
// The .set file: a header byte (3) followed by 188-byte panel records up to the end of the file.
// Binary, no text translation; a trailing partial record is ignored.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "Set.h"

namespace quillon {

constexpr unsigned char kSetFileHeader = 3;
// More panels than any set needs; a damaged or hostile file stops being read here.
constexpr size_t kMaxSetPanels = 100000;

// Reads the panels of a set file. False when the file cannot be opened or has no header byte.
bool ReadSetFile(const std::string& path, std::vector<SetPanel>& panels);
bool ReadSetStream(std::FILE* file, std::vector<SetPanel>& panels);
// The same for a set file's bytes held in memory.
bool ReadSetBytes(std::string_view bytes, std::vector<SetPanel>& panels);

// The file's bytes for these panels.
std::string SerializeSet(const std::vector<SetPanel>& panels);
// Writes atomically; false when it could not be written (any old file stays whole).
bool WriteSetFile(const std::string& path, const std::vector<SetPanel>& panels);

// One panel record to and from its 188 bytes.
void EncodePanel(const SetPanel& panel, unsigned char* out);
SetPanel DecodePanel(const unsigned char* in);

}  // namespace quillon
