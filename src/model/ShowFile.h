#pragma once
// The .shw file: every node record of the tree in pre-order, then the captions as text lines,
// all passed through the text-mode translation (0x0A stored as 0x0D 0x0A). Versions 1 to 3 are
// read; version 3 is written.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ShowNode.h"

namespace quillon {

constexpr uint8_t kShowFileVersion = 3;
// Records nest no deeper than this below the root; deeper records in a damaged file are
// attached to the deepest allowed ancestor instead.
constexpr int kMaxShowDepth = 8;

struct ShowFileContents {
    int version = 0;
    std::unique_ptr<ShowNode> root;  // the root record as read, owning the scenes
    std::vector<std::string> captions;
    bool hasCaptionSection = false;  // a line followed the node section
    bool truncated = false;          // the node section ended before every declared record
    // Why a read failed, in a few words ("not a show file", "truncated at byte 12", the
    // system's reason for a file that cannot be opened); empty after a read that worked.
    std::string failure;
};

struct ShowReadOptions {
    // Cameras made for version 1 and 2 scenes take these, as a newly added camera does.
    bool rostrumMode = false;
    int32_t defaultKeyColor = 0xFF0000;
};

enum class ShowReadResult {
    Ok,
    CannotOpen,    // the file could not be opened
    NotAShowFile,  // empty, an unknown version, or not even the root record is whole
};

ShowReadResult ReadShowFile(const std::string& path, ShowFileContents& out,
                            const ShowReadOptions& options = {});
ShowReadResult ReadShowStream(std::FILE* file, ShowFileContents& out,
                              const ShowReadOptions& options = {});
ShowReadResult ReadShowBytes(const unsigned char* data, size_t size, ShowFileContents& out,
                             const ShowReadOptions& options = {});

// The file's bytes, translated, exactly as they go to disk.
std::string SerializeShow(const ShowNode& root, const std::vector<std::string>& captions);
// Writes atomically; false when the file could not be written (any old file stays whole).
bool WriteShowFile(const std::string& path, const ShowNode& root,
                   const std::vector<std::string>& captions);

// A new camera track for a scene: the scene's range, the default camera key, the given key
// colour, selected like every new track. Appended to the scene's children.
ShowNode* AppendCamera(ShowNode& scene, bool rostrumMode, int32_t keyColor);

}  // namespace quillon
