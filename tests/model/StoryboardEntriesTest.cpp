// The storyboard entries as "Add Frame", the caption edit and "Remove Frame" keep them: time
// order whatever order frames come in, one entry per timecode, captions without line breaks.
#include <gtest/gtest.h>

#include "model/ShowFile.h"
#include "model/ShowNode.h"
#include "model/StoryboardEntries.h"

using namespace quillon;

namespace {

constexpr int kRate = 3000;  // 30 frames per second

}  // namespace

TEST(StoryboardEntries, FramesAddedOutOfOrderStayInTimeOrder) {
    struct Step {
        int frame;
        size_t index;  // where the entry ends up
        bool added;
    } steps[] = {
        {300, 0, true},  {30, 0, true}, {3000, 2, true},   {150, 1, true}, {150, 1, false},
        {300, 2, false}, {0, 0, true},  {107999, 5, true}, {30, 1, false},
    };
    std::vector<std::string> entries;
    for (const Step& s : steps) {
        const AddedEntry got = AddEntry(entries, s.frame, kRate);
        EXPECT_EQ(got.index, s.index) << s.frame;
        EXPECT_EQ(got.added, s.added) << s.frame;
    }
    EXPECT_EQ(entries, (std::vector<std::string>{"00:00:00:00", "00:00:01:00", "00:00:05:00",
                                                 "00:00:10:00", "00:01:40:00", "00:59:59:29"}));
}

TEST(StoryboardEntries, NewEntriesGoBeforeTheFirstLaterOneEvenAmongCaptions) {
    // Captions count for nothing in the order; a line that is no timecode reads as frame 0.
    std::vector<std::string> entries = {"00:00:02:00two", "00:00:04:00four"};
    EXPECT_EQ(AddEntry(entries, 90, kRate).index, 1u);
    EXPECT_EQ(entries[1], "00:00:03:00");
    EXPECT_EQ(AddEntry(entries, 150, kRate).index, 3u);
    EXPECT_EQ(AddEntry(entries, 60, kRate).added, false);
}

TEST(StoryboardEntries, CaptionsAreSetFoundAndRemovedByTimecode) {
    std::vector<std::string> entries = {"00:00:01:00see 00:00:05:00", "00:00:05:00old"};
    // The entry that starts with the timecode is the one, not the earlier one mentioning it.
    EXPECT_EQ(FindEntry(entries, "00:00:05:00"), 1u);
    EXPECT_TRUE(SetEntryCaption(entries, "00:00:05:00", "two\nlines\r\nhere"));
    EXPECT_EQ(entries[1], "00:00:05:00two lines  here");
    EXPECT_EQ(EntryCaption(entries[1]), "two lines  here");
    EXPECT_EQ(EntryFrame(entries[1], kRate), 150);
    EXPECT_FALSE(SetEntryCaption(entries, "00:00:09:00", "none"));
    EXPECT_EQ(RemoveEntry(entries, "00:00:05:00"), 1u);
    EXPECT_EQ(RemoveEntry(entries, "00:00:05:00"), std::nullopt);
    EXPECT_EQ(entries, std::vector<std::string>{"00:00:01:00see 00:00:05:00"});
    EXPECT_EQ(EntryCaption("00:00"), "");
    EXPECT_EQ(EntryTimecode("00:00"), "00:00");
}

TEST(StoryboardEntries, LongAndForeignCaptionsSurviveTheShowFile) {
    std::vector<std::string> entries;
    AddEntry(entries, 10, kRate);
    AddEntry(entries, 20, kRate);
    SetEntryCaption(entries, "00:00:00:10", std::string(5000, 'w'));
    SetEntryCaption(entries, "00:00:00:20", "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xF0\x9F\x8E\xAC");
    ShowNode root;
    const std::string bytes = SerializeShow(root, entries);
    // The caption section is the count, then one line each, after the records.
    const std::string tail = "2 CAPTIONS\r\n" + entries[0] + "\r\n" + entries[1] + "\r\n";
    ASSERT_GE(bytes.size(), tail.size());
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);
}
