// The texture name table: shared numbers, the overflow entry, movie reservations and deletion.
#include <gtest/gtest.h>

#include <string>

#include "PictureTestUtil.h"
#include "model/Settings.h"
#include "model/ShowNode.h"
#include "pictures/RecordingTextureUploader.h"
#include "pictures/TextureTable.h"

using namespace quillon;
using namespace quillon::testing;

namespace {

class TextureTableTest : public ::testing::Test {
  protected:
    // An actor of the file whose picture is a solid square of the given side and colour.
    int Upload(const std::string& file, int side, Bgr colour) {
        ShowNode actor;
        actor.kind = NodeKind::Actor;
        actor.SetFileName(file);
        actor.keys.push_back(KeyFrame{});
        Picture p;
        Fill(p, side, side, 24, [&](int, int) { return colour; });
        const int number = table.UploadTexture(actor, p, settings);
        EXPECT_EQ(actor.textureSlot, number);
        return number;
    }
    RecordingTextureUploader gl;
    TextureTable table{gl};
    DocumentSettings settings;
};

}  // namespace

TEST_F(TextureTableTest, ActorsOfOneFileShareANumberAndEachUploads) {
    EXPECT_EQ(Upload("/art/hero.bmp", 64, {0, 0, 200}), 0);
    EXPECT_EQ(Upload("/art/villain.bmp", 64, {0, 0, 200}), 1);
    EXPECT_EQ(Upload("/art/hero.bmp", 32, {0, 200, 0}), 0);  // the file changed in between
    EXPECT_EQ(table.textureCount(), 2);
    EXPECT_EQ(std::tuple(gl.Find(0)->uploads, gl.Find(0)->width, gl.Find(0)->texels[1]),
              std::tuple(2, 32, 200));  // green: the second picture
    EXPECT_EQ(table.Name(0), "/art/hero.bmp");
    EXPECT_EQ(Upload("/art/HERO.bmp", 8, {}), 2);  // byte for byte, case and all
}

TEST_F(TextureTableTest, NewNamesPastTheTableShareTheLastEntry) {
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(table.Lookup("picture" + std::to_string(i)), i);
    EXPECT_EQ(table.textureCount(), 256);
    // Entry 256 is never searched: its name is new every time.
    for (const char* late : {"late one", "later one", "later one"}) {
        EXPECT_EQ(table.Lookup(late), 256);
        EXPECT_EQ(table.Name(256), late);
    }
    EXPECT_EQ(table.textureCount(), 256);
    EXPECT_EQ(table.Lookup("picture200"), 200);
    // Two new pictures both land on texture 256, the second replacing the first.
    EXPECT_EQ(Upload("/art/a.bmp", 8, {1, 1, 1}), 256);
    EXPECT_EQ(Upload("/art/b.bmp", 16, {2, 2, 2}), 256);
    EXPECT_EQ(std::pair(gl.Find(256)->width, table.Name(256)),
              std::pair(16, std::string("/art/b.bmp")));
}

TEST_F(TextureTableTest, MovieSlots) {
    table.Lookup("still.bmp");
    EXPECT_EQ(table.ReserveMovieSlots("run.avi", 3), 1);
    EXPECT_EQ(table.textureCount(), 4);
    EXPECT_EQ(std::pair(table.Name(1), table.Name(3)),
              std::pair(std::string("~run.avi0"), std::string("~run.avi2")));
    // No frames: the next free number, nothing taken.
    EXPECT_EQ(table.ReserveMovieSlots("empty.avi", 0), 4);
    EXPECT_EQ(table.ReserveMovieSlots("empty.avi", -3), 4);
    EXPECT_EQ(table.textureCount(), 4);
    // A long movie stops at entry 253; the next one gets no entries at all; stills still take
    // entries from 254.
    EXPECT_EQ(table.ReserveMovieSlots("long.avi", 1000), 4);
    EXPECT_EQ(table.textureCount(), 254);
    EXPECT_EQ(std::pair(table.Name(253), table.Name(254)),
              std::pair(std::string("~long.avi249"), std::string()));
    EXPECT_EQ(table.ReserveMovieSlots("more.avi", 5), 254);
    EXPECT_EQ(table.textureCount(), 254);
    EXPECT_EQ(table.Lookup("after.bmp"), 254);
}

TEST_F(TextureTableTest, MovieReloadFindsUploadedFramesByTheirIndex) {
    EXPECT_EQ(table.ReserveMovieSlots("run.avi", 4), 0);
    // The renderer drops the "~" of frames it has uploaded.
    table.Rename(1, "run.avi1");
    table.Rename(2, "run.avi2");
    EXPECT_EQ(table.ReserveMovieSlots("run.avi", 4), 1);
    EXPECT_EQ(std::pair(table.Name(1), table.Name(2)),
              std::pair(std::string("~run.avi1"), std::string("~run.avi2")));
    EXPECT_EQ(table.textureCount(), 4);
    // Frame names are matched against the entry's own index, so a movie that does not start
    // at entry 0 is reserved anew.
    table.Lookup("still.bmp");
    EXPECT_EQ(table.ReserveMovieSlots("walk.avi", 2), 5);
    table.Rename(5, "walk.avi0");
    EXPECT_EQ(table.ReserveMovieSlots("walk.avi", 2), 7);
    EXPECT_EQ(table.Name(5), "walk.avi0");
}

TEST_F(TextureTableTest, DeletingIsClampedAndResetEmptiesTheTable) {
    for (int i = 0; i < 256; ++i)
        table.Lookup("p" + std::to_string(i));
    table.Lookup("overflow");
    // [from, to) clamped to 0..256: entry 256 is never deleted, numbers are not given back.
    for (auto [from, to, deleted] :
         {std::tuple{-5, 3, 3}, {250, 1000, 9}, {10, 5, 9}, {300, 400, 9}})
        EXPECT_EQ((table.DeleteTextures(from, to), gl.deleteCount()), deleted) << from;
    EXPECT_EQ(
        std::tuple(table.Name(0), table.Name(2), table.Name(3), table.Name(255), table.Name(256)),
        std::tuple("", "", "p3", "", "overflow"));
    EXPECT_EQ(table.textureCount(), 256);

    Upload("p3", 4, {});
    ASSERT_TRUE(gl.Find(3));
    table.Reset();
    EXPECT_EQ(table.textureCount(), 0);
    EXPECT_EQ(gl.deleteCount(), 9 + 256);
    EXPECT_FALSE(gl.Find(3));
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(table.Name(i), "") << i;
    EXPECT_EQ(table.Lookup("fresh"), 0);
}
