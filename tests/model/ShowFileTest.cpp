// The .shw format: exact bytes of written files, older versions built byte by byte, the
// text-mode translation, captions and damaged files.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <string>

#include "LeBytes.h"
#include "model/ShowFile.h"

using namespace quillon;
using Bytes = quillon::testing::LeBytes;

namespace {

struct RecordSpec {
    int version = 3;
    int children = 0;
    uint32_t reserved = 0;
    std::string name, file;
    int start = 0, end = 0;
    unsigned flags = 2;
    unsigned kind = 4, motion = 0;
    std::string keys;  // raw key records
    int keyColor = -1;
};

std::string RecordBytes(const RecordSpec& r) {
    const size_t textField = r.version == 1 ? 41 : 129;
    Bytes b;
    b.u8(r.version).u16(uint16_t(r.children)).u32(r.reserved);
    b.text(r.name, textField).text(r.file, textField);
    b.u32(uint32_t(r.start)).u32(uint32_t(r.end)).u16(r.flags);
    if (r.version >= 3)
        b.u8(r.kind).u8(r.motion).u16(0);
    else
        b.u8(r.kind);
    b.u16(uint16_t(r.keys.size()));
    b.s += r.keys;
    b.u32(uint32_t(r.keyColor));
    return b.s;
}

std::string Translate(const std::string& raw) {
    std::string out;
    for (char c : raw) {
        if (c == '\n') out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

ShowReadResult ReadBytes(const std::string& bytes, ShowFileContents& out,
                         const ShowReadOptions& options = {}) {
    return ReadShowBytes(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), out,
                         options);
}

ShowNode* Add(ShowNode& parent, NodeKind kind, int start, int end) {
    auto* n = new ShowNode;
    n->kind = kind;
    n->startFrame = start;
    n->endFrame = end;
    parent.AddChild(n, false);
    return n;
}

constexpr float kFloatWithNewline = std::bit_cast<float>(0x3F80000Au);  // low byte 0x0A

}  // namespace

TEST(ShowFile, WritesExactBytesAndReadsThemBack) {
    ShowNode root;
    root.SetName("Root");
    root.endFrame = 0x7fffffff;
    ShowNode* scene = Add(root, NodeKind::Scene, 0, 300);
    scene->SetName("SCENE 1");
    scene->SetFileName("C:\\SETS\\A.SET");
    scene->reserved = 0xDEADBEEF;
    scene->motionMode = 0x13;
    scene->setSelected(true);
    KeyFrame k;
    k.eastWest() = 200.0f;
    k.upDown() = kFloatWithNewline;
    k.frame = 10;
    k.hold = -1;
    k.act = 65535;
    scene->AddKey(k, 0);
    Add(*scene, NodeKind::Camera, 0, 300)->keyColor = 0xFF0000;

    const std::string written = SerializeShow(root, {"first caption", "second"});

    Bytes keys;
    keys.key(10, {200.0f, kFloatWithNewline}, -1, 65535);
    const std::string raw = RecordBytes({.children = 1, .name = "Root", .end = 0x7fffffff}) +
                            RecordBytes({.children = 1,
                                         .reserved = 0xDEADBEEF,
                                         .name = "SCENE 1",
                                         .file = "C:\\SETS\\A.SET",
                                         .end = 300,
                                         .flags = 3,
                                         .motion = 0x13,
                                         .keys = keys.s}) +
                            RecordBytes({.end = 300, .kind = 6, .keyColor = 0xFF0000}) +
                            "2 CAPTIONS\nfirst caption\nsecond\n";
    EXPECT_EQ(written, Translate(raw));
    // The 0x0A inside the float is stored as 0x0D 0x0A on disk.
    EXPECT_NE(written.find(std::string("\x0D\x0A\x00\x80\x3F", 5)), std::string::npos);

    // Read back and written again, the bytes are the same: every field survived.
    ShowFileContents back;
    ASSERT_EQ(ReadBytes(written, back), ShowReadResult::Ok);
    EXPECT_EQ(back.version, 3);
    EXPECT_TRUE(back.hasCaptionSection);
    EXPECT_FALSE(back.truncated);
    EXPECT_EQ(back.captions, (std::vector<std::string>{"first caption", "second"}));
    EXPECT_EQ(std::bit_cast<uint32_t>(back.root->children[0]->keys[0].upDown()), 0x3F80000Au);
    EXPECT_EQ(SerializeShow(*back.root, back.captions), written);
}

TEST(ShowFile, FlagBitsAboveOneAreNeitherWrittenNorKept) {
    ShowNode root;
    Add(root, NodeKind::Scene, 0, 10)->flags = 0xFFFF;
    ShowFileContents back;
    ASSERT_EQ(ReadBytes(SerializeShow(root, {}), back), ShowReadResult::Ok);
    EXPECT_EQ(back.root->children[0]->flags, 3);

    const std::string raw =
        RecordBytes({.children = 1}) + RecordBytes({.end = 10, .flags = 0xFFFD});
    ASSERT_EQ(ReadBytes(Translate(raw), back), ShowReadResult::Ok);
    EXPECT_EQ(back.root->children[0]->flags, 1);
}

TEST(ShowFile, ReadsVersion2WithFourCamerasTakingTheSceneKeys) {
    Bytes sceneKeys;
    sceneKeys.key(0, {500.0f, 60.0f, 700.0f, 30.0f});
    sceneKeys.key(50, {900.0f, 60.0f, 700.0f, 30.0f}, 5);
    const std::string raw =
        RecordBytes({.version = 2, .children = 2, .name = "Root", .end = 0x7fffffff}) +
        RecordBytes(
            {.version = 2, .children = 1, .name = "SCENE 1", .end = 100, .keys = sceneKeys.s}) +
        RecordBytes({.version = 2, .name = "BOB", .file = "C:\\B.BMP", .end = 100, .kind = 2}) +
        RecordBytes({.version = 2, .name = "SCENE 2", .start = 100, .end = 200}) + "0 CAPTIONS\n";

    ShowFileContents show;
    ASSERT_EQ(ReadBytes(Translate(raw), show, {.defaultKeyColor = 0x00FF00}), ShowReadResult::Ok);
    EXPECT_EQ(show.version, 2);
    ASSERT_EQ(show.root->childCount(), 2);
    const ShowNode& s1 = *show.root->children[0];
    ASSERT_EQ(s1.childCount(), 5);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(s1.children[i]->kind, NodeKind::Camera) << i;
        EXPECT_EQ(s1.children[i]->endFrame, 100);
        EXPECT_EQ(s1.children[i]->keyColor, 0x00FF00);
    }
    EXPECT_EQ(s1.children[4]->GetName(), "BOB");
    EXPECT_EQ(s1.children[4]->GetFileName(), "C:\\B.BMP");
    // Camera 0 carries the scene's keys; the key at frame 0 replaced the default one.
    const ShowNode& cam0 = *s1.children[0];
    ASSERT_EQ(cam0.KeyCount(), 2);
    EXPECT_FLOAT_EQ(cam0.keys[0].eastWest(), 500.0f);
    EXPECT_EQ(cam0.keys[1].frame, 50);
    EXPECT_EQ(cam0.keys[1].hold, 5);
    // The other cameras keep the default camera key.
    ASSERT_EQ(s1.children[1]->KeyCount(), 1);
    EXPECT_FLOAT_EQ(s1.children[1]->keys[0].eastWest(), 200.0f);
    EXPECT_FLOAT_EQ(s1.children[1]->keys[0].upDown(), 48.0f);
    // The second scene had no keys: cameras, but nothing copied.
    const ShowNode& s2 = *show.root->children[1];
    ASSERT_EQ(s2.childCount(), 4);
    EXPECT_EQ(s2.children[0]->KeyCount(), 1);
    EXPECT_EQ(s2.children[0]->startFrame, 100);
    EXPECT_TRUE(show.captions.empty());
    EXPECT_TRUE(show.hasCaptionSection);
}

TEST(ShowFile, ReadsVersion1ShortNames) {
    const std::string raw =
        RecordBytes({.version = 1, .children = 1, .name = "Root"}) +
        RecordBytes({.version = 1, .name = std::string(60, 'N'), .file = "F", .end = 40});
    ShowFileContents show;
    ASSERT_EQ(ReadBytes(Translate(raw), show), ShowReadResult::Ok);
    EXPECT_EQ(show.version, 1);
    ASSERT_EQ(show.root->childCount(), 1);
    const ShowNode& s = *show.root->children[0];
    EXPECT_EQ(s.GetName(), std::string(40, 'N'));  // 41-byte field, terminator kept
    EXPECT_EQ(s.GetFileName(), "F");
    EXPECT_EQ(s.endFrame, 40);
    EXPECT_EQ(s.childCount(), 4);
    EXPECT_FALSE(show.hasCaptionSection);
}

TEST(ShowFile, AcceptsFilesWithoutTheTranslation) {
    Bytes keys;
    keys.key(3, {kFloatWithNewline});
    const std::string raw =
        RecordBytes({.children = 1}) + RecordBytes({.end = 10, .keys = keys.s}) + "0 CAPTIONS\n";
    ShowFileContents show;
    ASSERT_EQ(ReadBytes(raw, show), ShowReadResult::Ok);
    ASSERT_EQ(show.root->childCount(), 1);
    EXPECT_EQ(std::bit_cast<uint32_t>(show.root->children[0]->keys[0].eastWest()), 0x3F80000Au);
}

TEST(ShowFile, TruncatedFilesKeepEveryWholeRecord) {
    ShowNode root;
    for (int s = 0; s < 2; ++s) {
        ShowNode* scene = Add(root, NodeKind::Scene, s * 100, s * 100 + 100);
        scene->AddKey(KeyFrame{}, 0);
        for (int c = 0; c < 3; ++c)
            Add(*scene, NodeKind::Actor, s * 100, s * 100 + 100);
    }
    const std::string full = SerializeShow(root, {"cap"});
    // Cut after the first scene (285 + 56 bytes) and its tracks plus 100 bytes of the second.
    ShowFileContents show;
    ASSERT_EQ(ReadBytes(full.substr(0, 285 + 341 + 3 * 285 + 100), show), ShowReadResult::Ok);
    EXPECT_TRUE(show.truncated);
    ASSERT_EQ(show.root->childCount(), 1);
    EXPECT_EQ(show.root->children[0]->childCount(), 3);
    EXPECT_FALSE(show.hasCaptionSection);

    // Every cut length reads without harm, and never yields more nodes than a longer cut.
    int lastNodes = 0;
    for (size_t len = 0; len <= full.size(); ++len) {
        ShowFileContents part;
        const ShowReadResult r = ReadBytes(full.substr(0, len), part);
        if (len < 285) {
            EXPECT_EQ(r, ShowReadResult::NotAShowFile) << len;
            continue;
        }
        ASSERT_EQ(r, ShowReadResult::Ok) << len;
        int nodes = 0;
        for (const ShowNode* sc : part.root->children)
            nodes += 1 + sc->childCount();
        EXPECT_GE(nodes, lastNodes) << len;
        lastNodes = nodes;
    }
    EXPECT_EQ(lastNodes, 8);
}

TEST(ShowFile, HostileRecords) {
    // Empty files and unknown versions are not show files.
    for (const std::string& bytes : {std::string(), std::string(300, 7), std::string(300, 0)}) {
        ShowFileContents show;
        EXPECT_EQ(ReadBytes(bytes, show), ShowReadResult::NotAShowFile) << int(bytes[0]);
    }
    // A negative key block size ends the node section at that record; a block of 32767 bytes
    // holds 585 whole keys, the odd bytes skipped; negative child counts mean none and records
    // beyond those declared are not nodes; a chain of nested records is cut at the depth limit
    // instead of growing without bound.
    const std::string root1 = RecordBytes({.children = 1}), root2 = RecordBytes({.children = 2});
    std::string negativeKeys = RecordBytes({.end = 10});
    negativeKeys[279] = '\x00';
    negativeKeys[280] = '\x80';  // keyBytes = -32768
    RecordSpec big{.end = 100000};
    big.keys = std::string(32767, '\0');
    std::string deep = root1;
    for (int i = 0; i < 50; ++i)
        deep += RecordBytes({.children = 1, .end = 9});
    const std::string negativeChildren = RecordBytes({.children = -5, .end = 9});
    struct Case {
        const char* what;
        std::string bytes;
        bool truncated;
        int tracks, keys;
        std::vector<std::string> captions;
    };
    // clang-format off
    const Case cases[] = {
        {"negative key block", root2 + RecordBytes({.end = 10}) + negativeKeys, true, 0, 0, {}},
        {"32767 key bytes", root1 + RecordBytes(big) + "1 CAPTIONS\nok\n", false, 0, 585, {"ok"}},
        {"negative child count", root1 + negativeChildren + root1 + "\nx\n", false, 0, 0, {"x"}},
        {"deep chain", deep + RecordBytes({.end = 9}), false, 1, 0, {}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ShowFileContents show;
        ASSERT_EQ(ReadBytes(Translate(c.bytes), show), ShowReadResult::Ok);
        EXPECT_EQ(show.truncated, c.truncated);
        ASSERT_EQ(show.root->childCount(), 1);
        EXPECT_EQ(show.root->children[0]->childCount(), c.tracks);
        EXPECT_EQ(show.root->children[0]->KeyCount(), c.keys);
        int depth = 0;
        for (const ShowNode* n = show.root.get(); n->childCount() > 0; n = n->children[0])
            ++depth;
        EXPECT_LE(depth, kMaxShowDepth);
        if (!c.captions.empty()) {
            EXPECT_EQ(show.captions, c.captions);
        }
    }
}

TEST(ShowFile, FilesOnDisk) {
    char dir[] = "/tmp/quillon-showfile-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/a.shw";
    ShowNode root;
    Add(root, NodeKind::Scene, 0, 10);
    ASSERT_TRUE(WriteShowFile(path, root, {"x"}));
    ShowFileContents show;
    ASSERT_EQ(ReadShowFile(path, show), ShowReadResult::Ok);
    EXPECT_EQ(SerializeShow(*show.root, show.captions), SerializeShow(root, {"x"}));
    // A folder that does not exist cannot be written; a missing file cannot be read.
    EXPECT_FALSE(WriteShowFile(std::string(dir) + "/missing/b.shw", root, {}));
    EXPECT_EQ(ReadShowFile(std::string(dir) + "/nope.shw", show), ShowReadResult::CannotOpen);
    std::remove(path.c_str());
    rmdir(dir);
}
