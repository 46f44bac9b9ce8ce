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

ShowNode* NewActor(const std::string& file) {
    auto* a = new ShowNode;
    a->kind = NodeKind::Actor;
    a->SetFileName(file);
    a->keys.push_back(KeyFrame{});
    return a;
}

void FillSolid(Picture& p, int side, Bgr colour) {
    Fill(p, side, side, 24, [&](int, int) { return colour; });
}

}  // namespace

TEST(TextureTable, ActorsOfOneFileShareANumberAndEachUploads) {
    RecordingTextureUploader gl;
    TextureTable table(gl);
    DocumentSettings settings;
    std::unique_ptr<ShowNode> first(NewActor("/art/hero.bmp")), second(NewActor("/art/hero.bmp")),
        other(NewActor("/art/villain.bmp"));
    Picture p;
    FillSolid(p, 64, {0, 0, 200});
    EXPECT_EQ(table.UploadTexture(*first, p, settings), 0);
    EXPECT_EQ(table.UploadTexture(*other, p, settings), 1);
    FillSolid(p, 32, {0, 200, 0});  // the file changed on disk in between
    EXPECT_EQ(table.UploadTexture(*second, p, settings), 0);
    EXPECT_EQ(second->textureSlot, 0);
    EXPECT_EQ(table.textureCount(), 2);
    const auto* t = gl.Find(0);
    EXPECT_EQ(t->uploads, 2);
    EXPECT_EQ(t->width, 32);
    EXPECT_EQ(t->texels[1], 200);  // green: the second picture
    EXPECT_EQ(table.Name(0), "/art/hero.bmp");

    // Names are compared byte for byte, case and all.
    std::unique_ptr<ShowNode> shouting(NewActor("/art/HERO.bmp"));
    EXPECT_EQ(table.UploadTexture(*shouting, p, settings), 2);
}

TEST(TextureTable, NewNamesPastTheTableShareTheLastEntry) {
    RecordingTextureUploader gl;
    TextureTable table(gl);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(table.Lookup("picture" + std::to_string(i)), i);
    EXPECT_EQ(table.textureCount(), 256);
    EXPECT_EQ(table.Lookup("late one"), 256);
    EXPECT_EQ(table.Name(256), "late one");
    EXPECT_EQ(table.Lookup("later one"), 256);
    EXPECT_EQ(table.Name(256), "later one");
    EXPECT_EQ(table.textureCount(), 256);
    // Entry 256 is never searched: its name is new every time.
    EXPECT_EQ(table.Lookup("later one"), 256);
    EXPECT_EQ(table.Lookup("picture200"), 200);

    // Through uploads: two new pictures both land on texture 256, the second replacing the
    // first.
    Picture p;
    DocumentSettings settings;
    std::unique_ptr<ShowNode> a(NewActor("/art/a.bmp")), b(NewActor("/art/b.bmp"));
    FillSolid(p, 8, {1, 1, 1});
    EXPECT_EQ(table.UploadTexture(*a, p, settings), 256);
    FillSolid(p, 16, {2, 2, 2});
    EXPECT_EQ(table.UploadTexture(*b, p, settings), 256);
    EXPECT_EQ(a->textureSlot, 256);
    EXPECT_EQ(b->textureSlot, 256);
    EXPECT_EQ(gl.Find(256)->width, 16);
    EXPECT_EQ(table.Name(256), "/art/b.bmp");
}

TEST(TextureTable, MovieSlots) {
    RecordingTextureUploader gl;
    TextureTable table(gl);
    table.Lookup("still.bmp");
    EXPECT_EQ(table.ReserveMovieSlots("run.avi", 3), 1);
    EXPECT_EQ(table.textureCount(), 4);
    EXPECT_EQ(table.Name(1), "~run.avi0");
    EXPECT_EQ(table.Name(3), "~run.avi2");
    // No frames: the next free number, nothing taken.
    EXPECT_EQ(table.ReserveMovieSlots("empty.avi", 0), 4);
    EXPECT_EQ(table.ReserveMovieSlots("empty.avi", -3), 4);
    EXPECT_EQ(table.textureCount(), 4);

    // A long movie stops at entry 253; the next one gets no entries at all.
    EXPECT_EQ(table.ReserveMovieSlots("long.avi", 1000), 4);
    EXPECT_EQ(table.textureCount(), 254);
    EXPECT_EQ(table.Name(253), "~long.avi249");
    EXPECT_EQ(table.Name(254), "");
    EXPECT_EQ(table.ReserveMovieSlots("more.avi", 5), 254);
    EXPECT_EQ(table.textureCount(), 254);
    // Stills still take entries from 254.
    EXPECT_EQ(table.Lookup("after.bmp"), 254);
}

TEST(TextureTable, MovieReloadFindsUploadedFramesByTheirIndex) {
    RecordingTextureUploader gl;
    TextureTable table(gl);
    EXPECT_EQ(table.ReserveMovieSlots("run.avi", 4), 0);
    // The renderer drops the "~" of frames it has uploaded.
    table.Rename(1, "run.avi1");
    table.Rename(2, "run.avi2");
    EXPECT_EQ(table.ReserveMovieSlots("run.avi", 4), 1);
    EXPECT_EQ(table.Name(1), "~run.avi1");
    EXPECT_EQ(table.Name(2), "~run.avi2");
    EXPECT_EQ(table.textureCount(), 4);

    // Frame names are matched against the entry's own index, so a movie that does not start
    // at entry 0 is reserved anew.
    table.Lookup("still.bmp");
    EXPECT_EQ(table.ReserveMovieSlots("walk.avi", 2), 5);
    table.Rename(5, "walk.avi0");
    EXPECT_EQ(table.ReserveMovieSlots("walk.avi", 2), 7);
    EXPECT_EQ(table.Name(5), "walk.avi0");
}

TEST(TextureTable, DeletingIsClampedAndResetEmptiesTheTable) {
    RecordingTextureUploader gl;
    TextureTable table(gl);
    for (int i = 0; i < 256; ++i)
        table.Lookup("p" + std::to_string(i));
    table.Lookup("overflow");

    table.DeleteTextures(-5, 3);
    EXPECT_EQ(gl.deleteCount(), 3);
    EXPECT_EQ(table.Name(0), "");
    EXPECT_EQ(table.Name(2), "");
    EXPECT_EQ(table.Name(3), "p3");
    table.DeleteTextures(250, 1000);  // up to 256, not including it
    EXPECT_EQ(gl.deleteCount(), 3 + 6);
    EXPECT_EQ(table.Name(255), "");
    EXPECT_EQ(table.Name(256), "overflow");
    table.DeleteTextures(10, 5);  // nothing
    table.DeleteTextures(300, 400);
    EXPECT_EQ(gl.deleteCount(), 9);
    EXPECT_EQ(table.textureCount(), 256);  // deleting does not give numbers back

    Picture p;
    FillSolid(p, 4, {0, 0, 0});
    std::unique_ptr<ShowNode> a(NewActor("p3"));
    table.UploadTexture(*a, p, DocumentSettings{});
    ASSERT_TRUE(gl.Find(3));
    table.Reset();
    EXPECT_EQ(table.textureCount(), 0);
    EXPECT_EQ(gl.deleteCount(), 9 + 256);
    EXPECT_FALSE(gl.Find(3));
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(table.Name(i), "") << i;
    EXPECT_EQ(table.Lookup("fresh"), 0);
}
