// What the settings dialogs and prompts store: Preferences texts to values and profile writes,
// the movie settings record, the parts list text and the timecode prompt's clamping.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "../model/ScriptedHost.h"
#include "app/SettingsValues.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/Settings.h"
#include "output/MovieJob.h"

using namespace quillon;

namespace {

class SettingsValuesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        profile = std::make_unique<Profile>(dir.filePath("profile.ini"));
        doc = std::make_unique<Document>(*profile, host);
        doc->Reset(true);
    }
    int Stored(const QString& section, const QString& key) {
        return profile->GetInt(section, key, -12345);
    }
    QTemporaryDir dir;
    std::unique_ptr<Profile> profile;
    ScriptedHost host;
    std::unique_ptr<Document> doc;
};

}  // namespace

TEST_F(SettingsValuesTest, TypedFrameRatesAndRatios) {
    EXPECT_EQ(FrameRateFromText("23.976"), 2397);
    EXPECT_EQ(FrameRateFromText("0"), 3000);
    EXPECT_EQ(FrameRateFromText("fast"), 3000);
    EXPECT_EQ(FrameRateFromText("0.004"), 3000);  // 0.4 hundredths truncates to 0
    EXPECT_EQ(FrameRateFromText("Drop - 29.97 fps"), 2997);
    EXPECT_EQ(FrameRateFromText(" 25"), 2500);
    EXPECT_EQ(FrameRateText(2997), "Drop - 29.97 fps");
    EXPECT_EQ(FrameRateText(1500), "15.000000");

    EXPECT_FLOAT_EQ(RatioFromText(AspectRatioChoices(), "0.05"), 0.1f);
    EXPECT_FLOAT_EQ(RatioFromText(AspectRatioChoices(), "TV - 4x3"), 0.75f);
    EXPECT_FLOAT_EQ(RatioFromText(ReticleRatioChoices(), "TV Safe"), 0.75f);
    EXPECT_FLOAT_EQ(RatioFromText(ReticleRatioChoices(), "0.8"), 0.8f);
    EXPECT_EQ(RatioText(AspectRatioChoices(), 0.5625f), "Wide TV - 16x9");
    EXPECT_EQ(RatioText(AspectRatioChoices(), 0.8f), "0.800000");

    EXPECT_EQ(UnitsFromText("Inches"), 0);
    EXPECT_EQ(UnitsFromText("inches"), 1);
    EXPECT_EQ(CamerasFromText("4"), 0);
    EXPECT_EQ(CamerasFromText("3"), 3);
    EXPECT_EQ(CamerasFromText("7"), 3);
}

TEST_F(SettingsValuesTest, PreferencesOkStoresAndWritesTheProfile) {
    PreferenceTexts texts = CurrentPreferenceTexts(*doc);
    EXPECT_EQ(texts.frameRate, "NTSC - 30 fps");
    EXPECT_EQ(texts.aspectRatio, "TV - 4x3");
    EXPECT_EQ(texts.reticleRatio, "TV Safe");
    EXPECT_EQ(texts.units, "Inches");
    EXPECT_EQ(texts.cameras, "1");

    texts = {"23.976", "0.05", "Wide TV - 16x9", "Centimeters", "4"};
    ApplyPreferenceTexts(*doc, texts);
    EXPECT_EQ(doc->settings().frameRate, 2397);
    EXPECT_FLOAT_EQ(doc->settings().aspectRatio, 0.1f);
    EXPECT_FLOAT_EQ(doc->settings().reticleRatio, 0.5625f);
    EXPECT_EQ(doc->settings().units, 1);
    EXPECT_EQ(doc->settings().cameras, 0);
    EXPECT_EQ(Stored("System", "FrameRate"), 2397);
    EXPECT_EQ(Stored("System", "AspectRatio"), 1000);
    EXPECT_EQ(Stored("System", "ReticleRatio"), 5625);
    EXPECT_EQ(Stored("Stage", "Units"), 1);
    EXPECT_EQ(Stored("Stage", "Cameras"), 0);

    ApplyPreferenceTexts(*doc, {"0", "TV - 4x3", "TV Safe", "Inches", "2"});
    EXPECT_EQ(Stored("System", "FrameRate"), 3000);
    EXPECT_EQ(Stored("System", "AspectRatio"), 7500);
    // The dialog reopens with the list texts of the stored values.
    EXPECT_EQ(CurrentPreferenceTexts(*doc).frameRate, "NTSC - 30 fps");
    EXPECT_EQ(CurrentPreferenceTexts(*doc).cameras, "2");
}

TEST_F(SettingsValuesTest, MovieSettingsFromAndToTheProfile) {
    MovieJob m = ReadMovieJob(*profile, doc->frameRate(), doc->TotalFrames());
    EXPECT_EQ(m.width, 720);
    EXPECT_EQ(m.height, 484);
    EXPECT_FLOAT_EQ(m.frameRate, 30.0f);  // the show's own rate
    EXPECT_EQ(m.format, MovieFormat::kAvi);
    EXPECT_EQ(m.fieldMode, 0);
    EXPECT_EQ(m.range.start, 0);
    EXPECT_EQ(m.range.end, doc->TotalFrames());
    m.width = 640;
    m.height = 480;
    m.frameRate = 29.97f;
    m.format = MovieFormat::kTarga24;
    m.fieldMode = 2;
    WriteMovieJob(*profile, m);
    EXPECT_EQ(Stored("Movie", "Width"), 640);
    EXPECT_EQ(Stored("Movie", "Height"), 480);
    EXPECT_EQ(Stored("Movie", "FrameRate"), 2997);
    EXPECT_EQ(Stored("Movie", "Format"), 3);
    EXPECT_EQ(Stored("Movie", "FieldRender"), 2);
    const MovieJob back = ReadMovieJob(*profile, doc->frameRate(), doc->TotalFrames());
    EXPECT_FLOAT_EQ(back.frameRate, 29.97f);
    EXPECT_EQ(back.format, MovieFormat::kTarga24);
}

TEST_F(SettingsValuesTest, PartsListAddsEachEntryOnce) {
    ShowNode& scene = *doc->root().children[0];
    // No sets: the heading with nothing under it.
    QString text = PartsListText(*doc, QDate(2026, 12, 5));
    EXPECT_TRUE(text.startsWith("12/5/26\r\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\r\n\r\nSETS\r\n\r\n\r\nSET PANELS\r\n\r\n\r\nACTORS\r\n\r\n"))
        << text.toStdString();

    scene.set = std::make_unique<Set>();
    scene.set->path = "/shows/street.set";
    SetPanel wall;
    SetBoundedText(reinterpret_cast<char(&)[kNodeTextBytes]>(wall.imagePath), "/pics/brick.png");
    scene.set->panels = {wall, wall};
    // An actor showing the panel's picture is not listed again; another one is.
    ASSERT_TRUE(doc->AddTrack(NodeKind::Actor, 0, 100, StagePlace{}));
    scene.children.back()->SetFileName("/pics/brick.png");
    ASSERT_TRUE(doc->AddTrack(NodeKind::Actor, 0, 100, StagePlace{}));
    scene.children.back()->SetFileName("/pics/hero.png");
    text = PartsListText(*doc, QDate(2027, 1, 31));
    EXPECT_EQ(text,
              "1/31/27\r\n\r\n\r\nSETS\r\n\r\n/shows/street.set\r\n\r\nSET PANELS\r\n\r\n"
              "/pics/brick.png\r\n\r\nACTORS\r\n\r\n/pics/hero.png\r\n");
}

TEST_F(SettingsValuesTest, TimecodeAnswersAreClamped) {
    EXPECT_EQ(TimecodeAnswer("2:00:00", 3000, 10, 1, 1800), 1800);
    EXPECT_EQ(TimecodeAnswer("0", 3000, 10, 1, 1800), 1);
    EXPECT_EQ(TimecodeAnswer("1:2:3", 2500, 10, 0, 1000000), 25 * 62 + 3);
    EXPECT_EQ(TimecodeAnswer("+1:00", 3000, 10, 0, 1000), 40);
    EXPECT_EQ(TimecodeAnswer("-5", 3000, 10, 0, 1000), 5);
}
