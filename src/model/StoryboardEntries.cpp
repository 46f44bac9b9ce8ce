#include "StoryboardEntries.h"

#include "Timecode.h"

namespace quillon {

std::string EntryTimecode(std::string_view entry) {
    return std::string(entry.substr(0, kEntryTimecodeLength));
}

std::string EntryCaption(std::string_view entry) {
    return entry.size() > kEntryTimecodeLength ? std::string(entry.substr(kEntryTimecodeLength))
                                               : std::string();
}

int64_t EntryFrame(std::string_view entry, int rate) {
    return ParseTimecode(entry.substr(0, kEntryTimecodeLength), rate);
}

std::string CaptionLine(std::string_view text) {
    std::string line(text);
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    return line;
}

std::optional<size_t> FindEntry(const std::vector<std::string>& entries,
                                std::string_view timecode) {
    if (timecode.empty()) return std::nullopt;
    // Matched by the entry's own timecode: finding any entry whose text contains the timecode
    // would take an earlier entry whose caption merely mentions it. Every list line is an
    // entry's first 11 characters, so each line still finds its entry.
    for (size_t i = 0; i < entries.size(); ++i)
        if (EntryTimecode(entries[i]) == timecode) return i;
    return std::nullopt;
}

AddedEntry AddEntry(std::vector<std::string>& entries, int64_t frame, int rate) {
    const std::string timecode = FormatTimecode(frame, rate);
    for (size_t i = 0; i < entries.size(); ++i)
        if (EntryTimecode(entries[i]) == timecode) return {i, false};
    size_t at = entries.size();
    for (size_t i = 0; i < entries.size(); ++i) {
        if (EntryFrame(entries[i], rate) > frame) {
            at = i;
            break;
        }
    }
    entries.insert(entries.begin() + static_cast<ptrdiff_t>(at), timecode);
    return {at, true};
}

bool SetEntryCaption(std::vector<std::string>& entries, std::string_view timecode,
                     std::string_view text) {
    const std::optional<size_t> at = FindEntry(entries, timecode);
    if (!at) return false;
    entries[*at] = std::string(timecode) + CaptionLine(text);
    return true;
}

std::optional<size_t> RemoveEntry(std::vector<std::string>& entries, std::string_view timecode) {
    const std::optional<size_t> at = FindEntry(entries, timecode);
    if (at) entries.erase(entries.begin() + static_cast<ptrdiff_t>(*at));
    return at;
}

}  // namespace quillon
