// The document's picture loading through a scripted host: still actors and their warnings,
// rostrum tiling and fitting moves to a new picture, movie actors, panels and the reset, on
// files written here by Picture::Save and the ffmpeg tool.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>

#include "../model/ScriptedHost.h"
#include "MovieTestUtil.h"
#include "PictureTestUtil.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/SetFile.h"
#include "model/ShowFiles.h"
#include "pictures/PictureMedia.h"
#include "pictures/PictureMediaLoader.h"
#include "pictures/RecordingTextureUploader.h"

using namespace quillon;
using namespace quillon::testing;

namespace {

using Rgb = std::array<uint8_t, 3>;
const QString kNotPowerOfTwo = kMessageNotPowerOfTwo;

class PictureLoaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        profile = std::make_unique<Profile>(dir.filePath("profile.ini"));
        doc = std::make_unique<Document>(*profile, host);
        doc->Reset(true);
        doc->SetMediaLoader(&loader);
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    ShowNode& Scene() { return *doc->root().children[0]; }

    // A picture file of the given size; colour(x, y from the top) as in Fill.
    template <typename Colour>
    QString Write(const QString& name, int width, int height, Colour colour) {
        Picture p;
        Fill(p, width, height, 24, colour);
        EXPECT_TRUE(p.Save(Path(name), PictureWriteMode::kBmp, nullptr));
        return Path(name);
    }
    QString Write(const QString& name, int width, int height) {
        return Write(name, width, height, [](int x, int y) {
            return Bgr{1, uint8_t(x), uint8_t(y)};
        });
    }
    // Adds an actor for the file as "Add Actor" with a chosen file does.
    ShowNode& AddActor(const QString& path) {
        EXPECT_TRUE(doc->AddTrack(NodeKind::Actor, 0, 300, StagePlace{}, path));
        return *Scene().children.back();
    }
    std::pair<int, int> TextureSize(int number) const {
        const auto* t = gl.Find(number);
        return t ? std::pair(t->width, t->height) : std::pair(0, 0);
    }
    Rgb TexelRgb(int number, int x, int y) const {
        const auto& t = *gl.Find(number);
        const uint8_t* p = t.texels.data() + (size_t(y) * size_t(t.width) + size_t(x)) * 4;
        return {p[0], p[1], p[2]};
    }

    QTemporaryDir dir;
    std::unique_ptr<Profile> profile;
    ScriptedHost host;
    RecordingTextureUploader gl;
    PictureMediaLoader loader{gl};
    std::unique_ptr<Document> doc;  // declared last: it goes before the loader it uses
};

}  // namespace

TEST_F(PictureLoaderTest, StillActorGetsItsTextureUnderItsFileName) {
    const QString file = Write("walk.bmp", 640, 480);
    ShowNode& actor = AddActor(file);
    EXPECT_EQ(std::tuple(actor.GetFileName(), actor.textureSlot, actor.aspect, actor.pictureWidth),
              std::tuple(file.toStdString(), 0, 0.5f, 640));
    EXPECT_EQ(loader.textures().Name(0), file.toStdString());
    EXPECT_EQ(TextureSize(0), std::pair(1024, 512));
    EXPECT_EQ(host.messages, QStringList{kNotPowerOfTwo});
    EXPECT_EQ(host.waitCursor, "+-");
    EXPECT_EQ(loader.scratchPicture().Width(), 640);  // read through the document's scratch

    // A second actor of the same file shares the texture: no new decode, no new upload, the
    // same shape and the same warning.
    ShowNode& twin = AddActor(file);
    EXPECT_EQ(std::tuple(twin.textureSlot, twin.aspect, twin.pictureWidth),
              std::tuple(0, 0.5f, 640));
    EXPECT_EQ(std::tuple(loader.decodeCount(), gl.uploadCount(), loader.textures().textureCount()),
              std::tuple(1, 1, 1));
    EXPECT_EQ(host.messages, (QStringList{kNotPowerOfTwo, kNotPowerOfTwo}));
}

// A set of 100 panels sharing two pictures decodes and uploads each picture once. A picture
// changed on disk, or wanted with another key colour, kind of texture or settings, is read
// again (into the same texture number).
TEST_F(PictureLoaderTest, PanelsSharingPicturesDecodeEachOnce) {
    QImage brick(64, 32, QImage::Format_RGB32), slate(32, 32, QImage::Format_RGB32);
    brick.fill(qRgb(200, 90, 40));
    slate.fill(qRgb(60, 70, 80));
    ASSERT_TRUE(brick.save(Path("brick.png")) && slate.save(Path("slate.png")));
    std::vector<SetPanel> panels(100);
    for (size_t i = 0; i < panels.size(); ++i)
        std::strcpy(panels[i].imagePath,
                    Path(i % 2 ? "slate.png" : "brick.png").toUtf8().constData());
    auto readSet = [&](const std::vector<SetPanel>& written) {
        EXPECT_TRUE(WriteSetFile(Path("hall.set").toStdString(), written));
        Set set;
        EXPECT_TRUE(ShowFiles(*doc).ReadSet(set, Path("hall.set"), SetLoad::kReplace,
                                            FileLookup::kAsStored));
        std::vector<int> numbers;
        for (const SetPanel& p : set.panels)
            numbers.push_back(p.textureSlot);
        return numbers;
    };
    const std::vector<int> numbers = readSet(panels);
    ASSERT_EQ(numbers.size(), 100u);
    for (size_t i = 0; i < numbers.size(); ++i)
        ASSERT_EQ(numbers[i], int(i % 2)) << i;
    EXPECT_EQ(std::tuple(loader.decodeCount(), gl.uploadCount()), std::tuple(2, 2));
    EXPECT_EQ(TexelRgb(0, 5, 5), (Rgb{200, 90, 40}));

    // Read again unchanged: nothing new. Then each change costs one decode.
    readSet(panels);
    EXPECT_EQ(loader.decodeCount(), 2);
    const QDateTime later = QFileInfo(Path("slate.png")).lastModified().addSecs(10);
    QFile touched(Path("slate.png"));
    ASSERT_TRUE(touched.open(QFile::ReadWrite) &&
                touched.setFileTime(later, QFileDevice::FileModificationTime));
    touched.close();
    readSet(panels);
    EXPECT_EQ(loader.decodeCount(), 3);
    panels.back().keyColor = 0x0000FF00;  // the last slate panel keyed green
    readSet(panels);
    EXPECT_EQ(loader.decodeCount(), 4);
    EXPECT_EQ(loader.textures().textureCount(), 2);
    doc->settings().rostrumMode = true;  // panels round their textures up in rostrum mode
    readSet(panels);
    EXPECT_EQ(loader.decodeCount(), 4 + 2 + 1);  // the green panel again after the others
    loader.SetPaletteDisplay(true);
    readSet(panels);
    EXPECT_EQ(loader.decodeCount(), 7 + 3);
}

TEST_F(PictureLoaderTest, InteractiveLoadsWarnAboutSizes) {
    gl.SetMaxTextureSize(512);
    ShowNode& big = AddActor(Write("big.bmp", 640, 480));
    EXPECT_EQ(host.messages,
              (QStringList{"Image is bigger than the maximum size allowed of:  [ 512 ]",
                           kNotPowerOfTwo}));
    EXPECT_EQ(TextureSize(big.textureSlot), std::pair(512, 512));  // cropped, loaded all the same
    // Powers of two from 32 to the limit pass.
    for (auto [w, h, warned] : {std::tuple(256, 32, false), std::tuple(512, 512, false),
                                std::tuple(16, 16, true), std::tuple(64, 48, true)}) {
        host.messages.clear();
        AddActor(Write(QString("p%1x%2.tga").arg(w).arg(h), w, h));
        EXPECT_EQ(host.messages.size(), warned ? 1 : 0) << w << " x " << h;
    }
    // Loading a show says nothing.
    host.messages.clear();
    ShowNode& quiet = *Scene().children.back();
    EXPECT_TRUE(loader.AssignActorPicture(*doc, Path("big.bmp"), quiet, false));
    EXPECT_TRUE(host.messages.isEmpty());
    // A picture that cannot be read: its own messages when interactive, false, nothing new.
    const int uploads = gl.uploadCount();
    EXPECT_FALSE(loader.AssignActorPicture(*doc, Path("gone.tga"), quiet, true));
    EXPECT_EQ(host.messages, QStringList{kMessageErrorOpening});
    EXPECT_FALSE(loader.AssignActorPicture(*doc, Path("gone.bmp"), quiet, false));
    EXPECT_EQ(gl.uploadCount(), uploads);
    host.waitCursor.clear();
    loader.AssignActorPicture(*doc, Path("gone.tga"), quiet, false);
    EXPECT_EQ(host.waitCursor, "+-");
}

TEST_F(PictureLoaderTest, RostrumArtworkIsCutIntoOverlappingTiles) {
    doc->settings().rostrumMode = true;
    gl.SetMaxTextureSize(1024);
    // Black artwork with two white marks: (510, 100) lies in the second column only,
    // (505, 600) in the overlap of the first two columns of the second row.
    const QString file = Write("board.bmp", 1200, 800, [](int x, int y) {
        const bool mark = (x == 510 && y == 100) || (x == 505 && y == 600);
        return mark ? Bgr{255, 255, 255} : Bgr{0, 0, 0};
    });
    ShowNode& actor = AddActor(file);

    // A 1200 x 800 picture loads into a 1536 x 1024 buffer and 3 x 2 tiles of 512: the
    // reference is first + 21000.
    auto* media = dynamic_cast<PictureMedia*>(actor.media.get());
    ASSERT_TRUE(media);
    EXPECT_EQ(std::pair(media->picture.Width(), media->picture.Height()), std::pair(1536, 1024));
    EXPECT_EQ(std::pair(media->Width(), media->Height()), std::pair(1200, 800));
    EXPECT_EQ(std::pair(actor.textureSlot, actor.GetFileName()),
              std::pair(0 + 21000, file.toStdString()));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(loader.textures().Name(i), file.toStdString() + std::to_string(i));
        EXPECT_EQ(TextureSize(i), std::pair(512, 512));
    }
    EXPECT_EQ(gl.uploadCount(), 6);
    EXPECT_EQ(
        std::tuple(actor.aspect, actor.keys[0].width(), actor.keys[0].height(), actor.pictureWidth),
        std::tuple(1024.0f / 1536.0f, 1536.0f, 1024.0f, 1536));
    // Adding an actor in rostrum mode puts its corner at the stage origin.
    EXPECT_EQ(std::pair(actor.keys[0].eastWest(), actor.keys[0].northSouth()),
              std::pair(768.0f, 512.0f));
    EXPECT_TRUE(host.questions.isEmpty());

    // Tiles step 507 pixels from -5; a copy sits one line lower than its rectangle, so picture
    // row y of a tile whose top is t lands on texel row 510 - y + t. Video levels: white is
    // 236, black 17.
    const Rgb white{236, 236, 236}, black{17, 17, 17};
    EXPECT_EQ(TexelRgb(1, 510 - 502, 510 - 100 - 5), white);
    EXPECT_EQ(TexelRgb(1, 510 - 502 - 1, 510 - 100 - 5), black);
    EXPECT_EQ(TexelRgb(3, 505 + 5, 510 - 600 + 502), white);
    EXPECT_EQ(TexelRgb(4, 505 - 502, 510 - 600 + 502), white);
    EXPECT_EQ(TexelRgb(0, 0, 0), (Rgb{0, 0, 0}));  // left of the picture
    EXPECT_EQ(TexelRgb(0, 5, 10), black);
}

TEST_F(PictureLoaderTest, SmallRostrumArtworkIsOneTile) {
    doc->settings().rostrumMode = true;
    loader.textures().Lookup("something else");
    // 300 x 200 loads into a 512 x 512 buffer: one tile, no overlap, the reference its number.
    const QString file = Write("card.bmp", 300, 200, [](int x, int y) {
        return Bgr{0, 0, uint8_t(x || y ? 0 : 255)};
    });
    ShowNode& actor = AddActor(file);
    EXPECT_EQ(std::pair(actor.textureSlot, loader.textures().Name(1)),
              std::pair(1, file.toStdString() + "0"));
    EXPECT_EQ(TextureSize(1), std::pair(512, 512));
    EXPECT_EQ(TexelRgb(1, 0, 510), (Rgb{236, 17, 17}));
    EXPECT_EQ(TexelRgb(1, 0, 511), (Rgb{0, 0, 0}));
    EXPECT_EQ(
        std::tuple(actor.aspect, actor.keys[0].width(), actor.keys[0].height(), actor.pictureWidth),
        std::tuple(1.0f, 512.0f, 512.0f, 512));
    // A second actor of the artwork shares it and its tile: one decode, one upload.
    ShowNode& twin = AddActor(file);
    EXPECT_EQ(std::tuple(twin.media, twin.textureSlot, twin.keys[0].width()),
              std::tuple(actor.media, 1, 512.0f));
    EXPECT_EQ(std::pair(loader.decodeCount(), gl.uploadCount()), std::pair(1, 1));
    // A file that cannot be read leaves the actor without a picture.
    EXPECT_FALSE(loader.AssignActorPicture(*doc, Path("gone.bmp"), actor, true));
    EXPECT_FALSE(actor.media);
}

TEST_F(PictureLoaderTest, ReplacingRostrumArtworkOffersToFitTheMoves) {
    doc->settings().rostrumMode = true;
    const QString small = Write("small.bmp", 600, 400), large = Write("large.bmp", 1200, 800);
    ShowNode* camera = Scene().children[0];
    ASSERT_TRUE(camera->Is(NodeKind::Camera));
    const KeyFrame cameraKey = camera->keys[0];
    const double a = cameraKey.width() * 0.5 * 0.0174532;
    for (bool yes : {true, false}) {
        ShowNode& actor = AddActor(small);
        // 1024 x 512 in two tiles, the corner at the origin.
        ASSERT_EQ(std::pair(actor.keys[0].eastWest(), actor.keys[0].northSouth()),
                  std::pair(512.0f, 256.0f));
        doc->UpdateViewsAtFrame(50);
        host.questions.clear();
        host.yesNo = {yes};
        ASSERT_TRUE(loader.AssignActorPicture(*doc, large, actor, true));
        EXPECT_EQ(host.questions, QStringList{kQuestionFitMoves});
        EXPECT_EQ(std::pair(doc->currentFrame(), actor.media->Width()), std::pair(0, 1200));
        if (!yes) {
            EXPECT_EQ(camera->keys[0].eastWest(), cameraKey.eastWest());
            EXPECT_FLOAT_EQ(actor.keys[0].eastWest(), 512.0f);
            continue;
        }
        // r = 2, minX = 512 - 768, minY = 256 - 512, dx = 424 - 168, dy = 112 - 112.
        EXPECT_FLOAT_EQ(camera->keys[0].eastWest(), (cameraKey.eastWest() - 512) * 2 + 1024);
        EXPECT_FLOAT_EQ(camera->keys[0].northSouth(), (cameraKey.northSouth() - 256) * 2 + 512);
        EXPECT_FLOAT_EQ(camera->keys[0].upDown(),
                        float(std::tan(a) * cameraKey.upDown() * 2 / std::sin(a)));
        EXPECT_EQ(std::pair(actor.keys[0].eastWest(), actor.keys[0].northSouth()),
                  std::pair(768.0f, 512.0f));
        camera->keys[0] = cameraKey;
    }
}

TEST_F(PictureLoaderTest, MovieActorsReserveAFramePerTexture) {
    const std::string movie = Path("run.avi").toStdString();
    ASSERT_TRUE(MakeMovie(movie, 100, 60, 12, kLossless));
    loader.textures().Lookup("still.bmp");
    ShowNode& actor = AddActor(QString::fromStdString(movie));
    // aspect = P(60) / P(100) with P the largest power of two not above.
    EXPECT_EQ(
        std::tuple(actor.textureSlot, actor.aspect, actor.keys[0].height(), actor.pictureWidth),
        std::tuple(1 + 1000, 0.5f, actor.keys[0].width() * 0.5f, 100));
    EXPECT_EQ(actor.GetFileName(), movie);
    EXPECT_EQ(loader.textures().textureCount(), 13);
    EXPECT_EQ(std::pair(loader.textures().Name(1), loader.textures().Name(12)),
              std::pair("~" + movie + "0", "~" + movie + "11"));
    EXPECT_EQ(gl.uploadCount(), 0);  // frames are uploaded when first shown
    EXPECT_TRUE(host.messages.isEmpty());
    EXPECT_FALSE(actor.media);

    // The name decides: ".AVI" is a movie too; a movie that will not open is refused.
    const std::string shouting = Path("RUN.AVI").toStdString();
    ASSERT_TRUE(std::filesystem::copy_file(movie, shouting));
    EXPECT_TRUE(loader.AssignActorPicture(*doc, QString::fromStdString(shouting), actor, false));
    EXPECT_EQ(actor.textureSlot, 13 + 1000);
    WriteFileBytes(Path("broken.avi").toStdString(), std::string("RIFF\x04\0\0\0AVI ", 12));
    EXPECT_FALSE(loader.AssignActorPicture(*doc, Path("broken.avi"), actor, true));
    EXPECT_FALSE(loader.AssignActorPicture(*doc, Path("missing.avi"), actor, true));
    EXPECT_EQ(std::pair(actor.textureSlot, loader.textures().textureCount()),
              std::pair(13 + 1000, 25));

    // A background movie track lasts as many frames as its movie.
    EXPECT_EQ(loader.MovieFrameCount(QString::fromStdString(movie)), 12);
    EXPECT_EQ(loader.MovieFrameCount(Path("broken.avi")), std::nullopt);
    host.files.push_back(QString::fromStdString(movie));
    ASSERT_TRUE(doc->AddTrack(NodeKind::Movie, 10, 300, StagePlace{}));
    EXPECT_EQ(Scene().children.back()->endFrame, 10 + 12);
}

TEST_F(PictureLoaderTest, PanelsAndReset) {
    SetPanel panel;
    panel.textureSlot = 7;
    EXPECT_FALSE(loader.LoadPanelPicture(*doc, panel));
    EXPECT_EQ(panel.textureSlot, -1);
    // The same 640 x 480 picture on a panel gets a 512 x 256 texture.
    std::strcpy(panel.imagePath, Write("wall.bmp", 640, 480).toUtf8().constData());
    panel.keyColor = kKeyUseAlpha;
    EXPECT_TRUE(loader.LoadPanelPicture(*doc, panel));
    EXPECT_EQ(panel.textureSlot, 0);
    EXPECT_EQ(TextureSize(0), std::pair(512, 256));
    SetPanel missing = panel;
    std::strcpy(missing.imagePath, Path("gone.bmp").toUtf8().constData());
    EXPECT_FALSE(loader.LoadPanelPicture(*doc, missing));

    // A set read from its file loads its panels' pictures.
    ASSERT_TRUE(WriteSetFile(Path("room.set").toStdString(), {panel, missing}));
    Set set;
    ASSERT_TRUE(
        ShowFiles(*doc).ReadSet(set, Path("room.set"), SetLoad::kReplace, FileLookup::kAsStored));
    ASSERT_EQ(set.panelCount(), 2);
    EXPECT_EQ(std::pair(set.panels[0].textureSlot, set.panels[1].textureSlot),
              std::pair(int16_t(0), int16_t(-1)));

    // On a palette display the picture goes through 8 bits and gives the palette.
    loader.SetPaletteDisplay(true);
    EXPECT_TRUE(loader.LoadPanelPicture(*doc, panel));
    EXPECT_EQ(loader.scratchPicture().BitCount(), 8);
    ASSERT_EQ(loader.palette().size(), 256);
    const QRgb c = loader.palette()[loader.scratchPicture().Bits(0)[3]];
    EXPECT_EQ(TexelRgb(0, 3, 0), (Rgb{uint8_t(qRed(c)), uint8_t(qGreen(c)), uint8_t(qBlue(c))}));

    doc->Reset(true);
    EXPECT_EQ(loader.textures().textureCount(), 0);
    EXPECT_TRUE(gl.textures().empty());
    EXPECT_EQ(loader.textures().Name(0), "");
}
