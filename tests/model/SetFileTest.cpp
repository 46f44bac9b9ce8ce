// The .set format: exact bytes, the header byte, partial records and files on disk.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "LeBytes.h"
#include "model/SetFile.h"

using namespace quillon;

namespace {

SetPanel SamplePanel() {
    SetPanel p;
    p.panelColor = 0x0A123456;  // a 0x0A byte, written as it is: no text translation
    for (int i = 0; i < 4; ++i) {
        p.cornerEastWest[i] = 0.5f * float(i) - 1.0f;
        p.cornerUpDown[i] = i < 2 ? 0.48f : 0.0f;
        p.cornerNorthSouth[i] = -0.25f;
    }
    p.selected = 1;
    std::strcpy(p.imagePath, "C:\\PIX\\WALL.TGA");
    p.textureSlot = -2;
    p.keyColor = 0xFF0000;
    return p;
}

std::vector<SetPanel> Read(const std::string& bytes, bool* ok) {
    std::string copy = bytes.empty() ? std::string(1, '\0') : bytes;
    std::FILE* f = bytes.empty() ? std::tmpfile() : fmemopen(copy.data(), bytes.size(), "rb");
    std::vector<SetPanel> panels;
    *ok = ReadSetStream(f, panels);
    std::fclose(f);
    return panels;
}

}  // namespace

TEST(SetFile, ExactBytes) {
    quillon::testing::LeBytes want;
    want.u8(3).u32(0x0A123456);
    for (float v : {-1.0f, -0.5f, 0.0f, 0.5f, 0.48f, 0.48f, 0.0f, 0.0f})
        want.f32(v);
    for (int i = 0; i < 4; ++i)
        want.f32(-0.25f);
    want.u8(1).text("C:\\PIX\\WALL.TGA", 129).u16(0xFFFE).u32(0xFF0000);
    EXPECT_EQ(SerializeSet({SamplePanel()}), want.s);
}

TEST(SetFile, RoundTripAndPartialRecords) {
    const SetPanel p = SamplePanel();
    // 1 byte: an empty set. 1 + 188n + 5: n panels. The header's value does not matter; a file
    // without one is refused.
    std::string twoAndABit = SerializeSet({p, p}) + "12345";
    twoAndABit[0] = 0;
    const std::tuple<const char*, std::string, bool, size_t> cases[] = {
        {"three panels", SerializeSet({p, p, p}), true, 3},
        {"header only", std::string(1, '\x09'), true, 0},
        {"partial record", twoAndABit, true, 2},
        {"empty file", "", false, 0},
    };
    for (const auto& [what, bytes, ok, count] : cases) {
        bool read = false;
        const auto panels = Read(bytes, &read);
        EXPECT_EQ(read, ok) << what;
        ASSERT_EQ(panels.size(), count) << what;
        for (const SetPanel& q : panels)
            EXPECT_EQ(std::memcmp(&q, &p, sizeof(SetPanel)), 0) << what;
    }
}

TEST(SetFile, FilesOnDisk) {
    char dir[] = "/tmp/quillon-setfile-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/a.set";
    ASSERT_TRUE(WriteSetFile(path, {SamplePanel()}));
    std::vector<SetPanel> panels;
    ASSERT_TRUE(ReadSetFile(path, panels));
    EXPECT_EQ(panels.size(), 1u);
    EXPECT_FALSE(ReadSetFile(std::string(dir) + "/none.set", panels));
    EXPECT_FALSE(WriteSetFile(std::string(dir) + "/no/such/dir.set", {}));
    std::remove(path.c_str());
    rmdir(dir);
}
