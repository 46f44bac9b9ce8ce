// The .set format: exact bytes, the header byte, partial records and hostile sizes.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>
#include <cstring>
#include <string>

#include "model/SetFile.h"

using namespace quillon;

namespace {

std::vector<SetPanel> ReadBytes(const std::string& bytes, bool* ok) {
    std::string copy = bytes.empty() ? std::string(1, '\0') : bytes;
    std::FILE* f = bytes.empty() ? std::tmpfile() : fmemopen(copy.data(), bytes.size(), "rb");
    std::vector<SetPanel> panels;
    *ok = ReadSetStream(f, panels);
    std::fclose(f);
    return panels;
}

SetPanel SamplePanel() {
    SetPanel p;
    p.panelColor = 0x00123456;
    for (int i = 0; i < 4; ++i) {
        p.cornerEastWest[i] = 0.5f * float(i) - 1.0f;
        p.cornerUpDown[i] = i < 2 ? 0.48f : 0.0f;
        p.cornerNorthSouth[i] = -0.25f;
    }
    p.selected = 1;
    std::strcpy(p.imagePath, "C:\\PIX\\WALL.TGA");
    p.textureSlot = 7;
    p.keyColor = 0xFF0000;
    return p;
}

}  // namespace

TEST(SetFile, ExactBytes) {
    const std::string bytes = SerializeSet({SamplePanel()});
    ASSERT_EQ(bytes.size(), 1u + 188u);
    EXPECT_EQ(bytes[0], 3);
    auto u32 = [&](size_t off) {
        uint32_t v;
        std::memcpy(&v, bytes.data() + 1 + off, 4);
        return v;
    };
    EXPECT_EQ(u32(0), 0x00123456u);
    EXPECT_EQ(u32(4), std::bit_cast<uint32_t>(-1.0f));
    EXPECT_EQ(u32(20), std::bit_cast<uint32_t>(0.48f));
    EXPECT_EQ(u32(48), std::bit_cast<uint32_t>(-0.25f));
    EXPECT_EQ(bytes[1 + 52], 1);
    EXPECT_EQ(std::string(bytes.data() + 1 + 53), "C:\\PIX\\WALL.TGA");
    EXPECT_EQ(bytes[1 + 182], 7);
    EXPECT_EQ(bytes[1 + 183], 0);
    EXPECT_EQ(u32(184), 0xFF0000u);
    // No text translation: a 0x0A byte stays one byte.
    SetPanel nl;
    nl.panelColor = 0x0A0A0A0A;
    const std::string b2 = SerializeSet({nl});
    EXPECT_EQ(b2.size(), 189u);
}

TEST(SetFile, RoundTripAndPartialRecords) {
    bool ok = false;
    const SetPanel p = SamplePanel();
    std::string bytes = SerializeSet({p, p, p});
    auto panels = ReadBytes(bytes, &ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(panels.size(), 3u);
    EXPECT_EQ(std::memcmp(&panels[1], &p, sizeof(SetPanel)), 0);

    // 1 byte: an empty set. 1 + 188n + 5: n panels. The header value does not matter.
    panels = ReadBytes(std::string(1, '\x09'), &ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(panels.empty());
    bytes = SerializeSet({p, p}) + "12345";
    bytes[0] = 0;
    panels = ReadBytes(bytes, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(panels.size(), 2u);
    // No header at all.
    panels = ReadBytes("", &ok);
    EXPECT_FALSE(ok);
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
