// The .shw format: exact bytes of written files, older versions built byte by byte, the
// text-mode translation, captions and damaged files.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <cstring>
#include <string>

#include "model/ShowFile.h"

using namespace quillon;

namespace {

// An independent little-endian packer, so the expected bytes do not come from the code under test.
struct Bytes {
    std::string s;
    Bytes& u8(unsigned v) {
        s.push_back(char(v & 0xFF));
        return *this;
    }
    Bytes& u16(unsigned v) { return u8(v).u8(v >> 8); }
    Bytes& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Bytes& f32(float v) { return u32(std::bit_cast<uint32_t>(v)); }
    Bytes& text(const std::string& t, size_t field) {
        std::string f(field, '\0');
        std::memcpy(f.data(), t.data(), std::min(t.size(), field - 1));
        s += f;
        return *this;
    }
    Bytes& key(int frame, std::initializer_list<float> channels, int hold = 0, unsigned act = 0) {
        int n = 0;
        for (float c : channels) {
            f32(c);
            ++n;
        }
        for (; n < 12; ++n)
            f32(0.0f);
        return u32(uint32_t(frame)).u16(uint16_t(hold)).u16(act);
    }
};

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
    b.u8(r.version)
        .u16(uint16_t(r.children))
        .u32(r.reserved)
        .text(r.name, textField)
        .text(r.file, textField);
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
                         ShowReadOptions options = {}) {
    std::string copy = bytes;
    if (copy.empty()) copy.push_back('\0');  // fmemopen needs a buffer; size 0 below
    std::FILE* f = fmemopen(copy.data(), bytes.size(), "rb");
    if (!f) {
        // glibc refuses a zero-size buffer: an empty file behaves like one with nothing in it.
        f = std::tmpfile();
    }
    const ShowReadResult r = ReadShowStream(f, out, options);
    std::fclose(f);
    return r;
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

TEST(ShowFile, WritesExactBytes) {
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
    ShowNode* cam = Add(*scene, NodeKind::Camera, 0, 300);
    cam->keyColor = 0xFF0000;

    const std::string written = SerializeShow(root, {"first caption", "second"});

    Bytes keys;
    keys.key(10, {200.0f, kFloatWithNewline}, -1, 65535);
    std::string raw;
    raw += RecordBytes({.children = 1, .name = "Root", .end = 0x7fffffff});
    raw += RecordBytes({.children = 1,
                        .reserved = 0xDEADBEEF,
                        .name = "SCENE 1",
                        .file = "C:\\SETS\\A.SET",
                        .end = 300,
                        .flags = 3,
                        .motion = 0x13,
                        .keys = keys.s});
    raw += RecordBytes({.end = 300, .kind = 6, .keyColor = 0xFF0000});
    raw += "2 CAPTIONS\nfirst caption\nsecond\n";
    const std::string expected = Translate(raw);
    ASSERT_EQ(written.size(), expected.size());
    EXPECT_EQ(written, expected);

    // The newline byte inside the float is stored as CR LF on disk.
    const size_t keyOffset = 285 + 281;  // root record, then the scene record's key block
    EXPECT_EQ(raw[keyOffset + 4], '\x0A');
    EXPECT_NE(written.find(std::string("\x0D\x0A\x00\x80\x3F", 5)), std::string::npos);
    EXPECT_EQ(written.substr(written.size() - 10), "\r\nsecond\r\n");

    ShowFileContents back;
    ASSERT_EQ(ReadBytes(written, back), ShowReadResult::Ok);
    EXPECT_EQ(back.version, 3);
    ASSERT_EQ(back.root->childCount(), 1);
    const ShowNode& s = *back.root->children[0];
    EXPECT_EQ(s.GetName(), "SCENE 1");
    EXPECT_EQ(s.GetFileName(), "C:\\SETS\\A.SET");
    EXPECT_EQ(s.reserved, 0xDEADBEEF);
    EXPECT_EQ(s.motionMode, 0x13);
    EXPECT_EQ(s.flags, 3);
    ASSERT_EQ(s.KeyCount(), 1);
    EXPECT_EQ(std::bit_cast<uint32_t>(s.keys[0].upDown()), 0x3F80000Au);
    EXPECT_EQ(s.keys[0].hold, -1);
    EXPECT_EQ(s.keys[0].act, 65535);
    ASSERT_EQ(s.childCount(), 1);
    EXPECT_EQ(s.children[0]->kind, NodeKind::Camera);
    EXPECT_EQ(s.children[0]->keyColor, 0xFF0000);
    EXPECT_EQ(back.captions, (std::vector<std::string>{"first caption", "second"}));
    EXPECT_TRUE(back.hasCaptionSection);
    EXPECT_FALSE(back.truncated);
    // Written again, the bytes are the same.
    EXPECT_EQ(SerializeShow(*back.root, back.captions), written);
}

TEST(ShowFile, FlagBitsAboveOneAreNeitherWrittenNorKept) {
    ShowNode root;
    ShowNode* scene = Add(root, NodeKind::Scene, 0, 10);
    scene->flags = 0xFFFF;
    const std::string bytes = SerializeShow(root, {});
    ShowFileContents back;
    ASSERT_EQ(ReadBytes(bytes, back), ShowReadResult::Ok);
    EXPECT_EQ(back.root->children[0]->flags, 3);

    RecordSpec r{.children = 0, .end = 10, .flags = 0xFFFC | 1};
    std::string raw = RecordBytes({.children = 1}) + RecordBytes(r);
    ASSERT_EQ(ReadBytes(Translate(raw), back), ShowReadResult::Ok);
    EXPECT_EQ(back.root->children[0]->flags, 1);
}

TEST(ShowFile, ReadsVersion2WithFourCamerasTakingTheSceneKeys) {
    Bytes sceneKeys;
    sceneKeys.key(0, {500.0f, 60.0f, 700.0f, 30.0f});
    sceneKeys.key(50, {900.0f, 60.0f, 700.0f, 30.0f}, 5);
    std::string raw;
    raw += RecordBytes({.version = 2, .children = 2, .name = "Root", .end = 0x7fffffff});
    raw += RecordBytes(
        {.version = 2, .children = 1, .name = "SCENE 1", .end = 100, .keys = sceneKeys.s});
    raw += RecordBytes(
        {.version = 2, .name = "BOB", .file = "C:\\PIX\\BOB.BMP", .end = 100, .kind = 2});
    raw += RecordBytes({.version = 2, .name = "SCENE 2", .start = 100, .end = 200});
    raw += "0 CAPTIONS\n";

    ShowFileContents show;
    ShowReadOptions options;
    options.defaultKeyColor = 0x00FF00;
    ASSERT_EQ(ReadBytes(Translate(raw), show, options), ShowReadResult::Ok);
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
    EXPECT_EQ(s1.children[4]->motionMode, 0);
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
    std::string raw;
    raw += RecordBytes({.version = 1, .children = 1, .name = "Root"});
    raw += RecordBytes({.version = 1, .name = std::string(60, 'N'), .file = "F", .end = 40});
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
    std::string raw =
        RecordBytes({.children = 1}) + RecordBytes({.end = 10, .keys = keys.s}) + "0 CAPTIONS\n";
    ShowFileContents show;
    ASSERT_EQ(ReadBytes(raw, show), ShowReadResult::Ok);
    ASSERT_EQ(show.root->childCount(), 1);
    EXPECT_EQ(std::bit_cast<uint32_t>(show.root->children[0]->keys[0].eastWest()), 0x3F80000Au);
}

TEST(ShowFile, TruncatedFilesKeepEveryWholeRecord) {
    ShowNode root;
    root.SetName("Root");
    for (int s = 0; s < 2; ++s) {
        ShowNode* scene = Add(root, NodeKind::Scene, s * 100, s * 100 + 100);
        KeyFrame k;
        scene->AddKey(k, 0);
        for (int c = 0; c < 3; ++c)
            Add(*scene, NodeKind::Actor, s * 100, s * 100 + 100);
    }
    const std::string full = SerializeShow(root, {"cap"});
    // Cut after the first scene and its tracks plus half of the second scene's record.
    const size_t sceneBytes = 285 + 56;
    const size_t cut = 285 + sceneBytes + 3 * 285 + 100;
    ShowFileContents show;
    ASSERT_EQ(ReadBytes(full.substr(0, cut), show), ShowReadResult::Ok);
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
    ShowFileContents show;
    // Empty file, unknown versions.
    EXPECT_EQ(ReadBytes("", show), ShowReadResult::NotAShowFile);
    EXPECT_EQ(ReadBytes(std::string(300, '\x07'), show), ShowReadResult::NotAShowFile);
    EXPECT_EQ(ReadBytes(std::string(300, '\0'), show), ShowReadResult::NotAShowFile);

    // A negative key block size ends the node section at that record.
    std::string raw = RecordBytes({.children = 2});
    std::string bad = RecordBytes({.end = 10});
    bad[279] = '\x00';
    bad[280] = '\x80';  // keyBytes = -32768
    raw += RecordBytes({.end = 10}) + bad + RecordBytes({.end = 10});
    ASSERT_EQ(ReadBytes(Translate(raw), show), ShowReadResult::Ok);
    EXPECT_EQ(show.root->childCount(), 1);
    EXPECT_TRUE(show.truncated);

    // A key block of 32767 bytes holds 585 whole keys; the odd bytes are skipped.
    RecordSpec big{.end = 100000};
    big.keys = std::string(32767, '\0');
    std::string rawBig = RecordBytes({.children = 1}) + RecordBytes(big) + "1 CAPTIONS\nok\n";
    ASSERT_EQ(ReadBytes(Translate(rawBig), show), ShowReadResult::Ok);
    ASSERT_EQ(show.root->childCount(), 1);
    EXPECT_EQ(show.root->children[0]->KeyCount(), 585);
    EXPECT_EQ(show.captions, std::vector<std::string>{"ok"});

    // Negative child counts mean none; more records than declared are not read as nodes.
    std::string rawNeg = RecordBytes({.children = 1}) + RecordBytes({.children = -5, .end = 9}) +
                         RecordBytes({.end = 9}) + "\n";
    ASSERT_EQ(ReadBytes(Translate(rawNeg), show), ShowReadResult::Ok);
    ASSERT_EQ(show.root->childCount(), 1);
    EXPECT_EQ(show.root->children[0]->childCount(), 0);
    EXPECT_TRUE(show.hasCaptionSection);

    // A chain of nested records is cut at the depth limit instead of growing without bound.
    std::string deep = RecordBytes({.children = 1});
    for (int i = 0; i < 50; ++i)
        deep += RecordBytes({.children = 1, .end = 9});
    deep += RecordBytes({.end = 9});
    ASSERT_EQ(ReadBytes(Translate(deep), show), ShowReadResult::Ok);
    int depth = 0;
    for (const ShowNode* n = show.root.get(); n->childCount() > 0; n = n->children[0])
        ++depth;
    EXPECT_LE(depth, kMaxShowDepth);
}

TEST(ShowFile, WriteShowFileReplacesAtomically) {
    char dir[] = "/tmp/quillon-showfile-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/a.shw";
    ShowNode root;
    Add(root, NodeKind::Scene, 0, 10);
    ASSERT_TRUE(WriteShowFile(path, root, {"x"}));
    ShowFileContents show;
    ASSERT_EQ(ReadShowFile(path, show), ShowReadResult::Ok);
    EXPECT_EQ(show.root->childCount(), 1);
    // A folder that does not exist cannot be written; nothing is left behind.
    EXPECT_FALSE(WriteShowFile(std::string(dir) + "/missing/b.shw", root, {}));
    EXPECT_EQ(ReadShowFile(std::string(dir) + "/nope.shw", show), ShowReadResult::CannotOpen);
    std::remove(path.c_str());
    rmdir(dir);
}
