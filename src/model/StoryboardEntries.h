#pragma once
// The storyboard's entries: the show's caption lines, each the frame's timecode in the long form
// (exactly 11 characters, "HH:MM:SS:FF") followed directly by the caption text. The list is
// kept in time order; "Add Frame", the caption edit and "Remove Frame" of the Print / Preview
// dialog and the command line's caption command all go through these functions.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

constexpr size_t kEntryTimecodeLength = 11;

// The first 11 characters (the whole entry when it is shorter).
std::string EntryTimecode(std::string_view entry);
// The text after the first 11 characters.
std::string EntryCaption(std::string_view entry);
// The entry's timecode read as timecode text at rate.
int64_t EntryFrame(std::string_view entry, int rate);

// A caption as an entry may hold it: line breaks (which would split the line in the show
// file) become blanks.
std::string CaptionLine(std::string_view text);

// The entry a selected list line stands for: the first whose timecode is exactly timecode.
std::optional<size_t> FindEntry(const std::vector<std::string>& entries, std::string_view timecode);

struct AddedEntry {
    size_t index = 0;    // the entry of the frame
    bool added = false;  // false when an entry with that timecode was there already
};
// "Add Frame": when an entry's timecode is exactly that of frame, it is the one; otherwise a new
// entry with that timecode and no caption goes before the first entry whose timecode is later
// than frame, or at the end.
AddedEntry AddEntry(std::vector<std::string>& entries, int64_t frame, int rate);

// The caption edit: the entry found for timecode becomes timecode followed by text (line breaks
// made blanks). False when no entry matches.
bool SetEntryCaption(std::vector<std::string>& entries, std::string_view timecode,
                     std::string_view text);

// "Remove Frame": removes the entry found for timecode; its index, or nothing when none matched.
std::optional<size_t> RemoveEntry(std::vector<std::string>& entries, std::string_view timecode);

}  // namespace quillon
