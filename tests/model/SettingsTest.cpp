// The profile on disk and the defaults the program starts from. No QCoreApplication is
// created: the profile must work before (and without) one.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <limits>

#include "model/Profile.h"
#include "model/Settings.h"

using namespace quillon;

namespace {

class ProfileTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString File(const char* name = "quillon.ini") const { return dir_.filePath(name); }
    void WriteRaw(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QTemporaryDir dir_;
};

// Sets an environment variable for one test and restores it after.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() { had_ ? qputenv(name_, old_) : qunsetenv(name_); }

  private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

}  // namespace

TEST_F(ProfileTest, EmptyProfileGivesTheStartUpDefaults) {
    Profile profile(File());
    const DocumentSettings s = ReadDocumentSettings(profile);
    EXPECT_EQ(s.frameRate, 3000);
    EXPECT_EQ(s.aspectRatio, 0.75f);
    EXPECT_EQ(s.reticleRatio, 0.75f);
    EXPECT_EQ(s.cameras, 1);
    EXPECT_EQ(s.units, 0);
    EXPECT_TRUE(s.scaleKeys);
    EXPECT_TRUE(s.filtering);
    EXPECT_TRUE(s.featherActors);
    EXPECT_TRUE(s.colorKeying);
    EXPECT_FALSE(s.mipMapped);
    EXPECT_FALSE(s.rostrumMode);
    EXPECT_EQ(s.defaultKeyColor, 0xFF0000);
    EXPECT_EQ(s.folder, QStringLiteral("\\"));
    EXPECT_EQ(s.vtrPort, 0);
    // Reading alone leaves no file behind.
    EXPECT_FALSE(QFile::exists(File()));

    // The keys outside the document's set, against the table.
    using namespace settings;
    EXPECT_EQ(Get(profile, kShowCameraPath), -1);
    EXPECT_EQ(Get(profile, kShowOnDrag), 1);
    EXPECT_EQ(Get(profile, kShowGrid), 0);
    EXPECT_EQ(Get(profile, kStageScale), 1000);
    EXPECT_EQ(Get(profile, kJogAmount), 1);
    EXPECT_EQ(Get(profile, kPlayAudio), 1);
    EXPECT_EQ(Get(profile, kMovieWidth), 720);
    EXPECT_EQ(Get(profile, kMovieHeight), 484);
    EXPECT_EQ(Get(profile, kStartHold), 3);
    EXPECT_EQ(Get(profile, kScriptWindowRight), 300);
    EXPECT_EQ(Get(profile, kScriptWindowBottom), 200);
    EXPECT_EQ(Get(profile, kTimelineScale, 2997), 30);
    EXPECT_EQ(Get(profile, kTimelineScale, 2400), 24);
    EXPECT_EQ(Get(profile, kTimecodeStart, 2500), 90000);
    EXPECT_EQ(Get(profile, kMovieFrameRate, 2997), 2997);
    EXPECT_EQ(Get(profile, kStageWidth, kStageViewDefaultWidth), 600);
}

TEST_F(ProfileTest, StoredValuesReachTheDocument) {
    Profile profile(File());
    using namespace settings;
    Write(profile, kAspectRatio, 5625);
    Write(profile, kReticleRatio, 5405);
    Write(profile, kRostrumMode, 7);  // any non-zero value is on
    Write(profile, kMipMapped, -1);
    Write(profile, kFiltering, 0);
    Write(profile, kFrameRate, 2997);
    Write(profile, kDefaultKeyColor, -1);
    Write(profile, kFolder, QStringLiteral("/shows/act one/"));
    const DocumentSettings s = ReadDocumentSettings(profile);
    EXPECT_EQ(s.aspectRatio, 0.5625f);
    EXPECT_FLOAT_EQ(s.reticleRatio, 0.5405f);
    EXPECT_TRUE(s.rostrumMode);
    EXPECT_TRUE(s.mipMapped);
    EXPECT_FALSE(s.filtering);
    EXPECT_EQ(s.frameRate, 2997);
    EXPECT_EQ(s.defaultKeyColor, -1);
    EXPECT_EQ(s.folder, QStringLiteral("/shows/act one/"));
}

TEST_F(ProfileTest, WritesReachTheDiskAtOnce) {
    Profile writer(File());
    writer.WriteInt("System", "FrameRate", 2500);
    writer.WriteInt("Stage", "ShowCameraPath", -1);
    writer.WriteInt("Stage", "Scale", std::numeric_limits<int>::min());
    writer.WriteInt("Window", "Stage Width", 640);
    const QString awkward = QStringLiteral(" C:\\shows\\a,b; c=d \u00e9\u4e2d ");
    writer.WriteString("Project", "Folder", awkward);

    // The file holds the values before anything else touches it (opening another QSettings
    // on the same file would flush pending writes and hide a missing sync).
    QFile raw(File());
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray text = raw.readAll();
    EXPECT_TRUE(text.contains("[System]\nFrameRate=2500\n")) << text.constData();

    // A second profile on the same file, opened while the first is still alive.
    Profile reader(File());
    EXPECT_EQ(reader.GetInt("System", "FrameRate", 0), 2500);
    EXPECT_EQ(reader.GetInt("Stage", "ShowCameraPath", 0), -1);
    EXPECT_EQ(reader.GetInt("Stage", "Scale", 0), std::numeric_limits<int>::min());
    EXPECT_EQ(reader.GetInt("Window", "Stage Width", 0), 640);
    EXPECT_EQ(reader.GetInt("Window", "StageWidth", 5), 5);
    EXPECT_EQ(reader.GetString("Project", "Folder", QString()), awkward);
    EXPECT_TRUE(reader.Contains("Window", "Stage Width"));
    EXPECT_FALSE(reader.Contains("Window", "Stage Height"));
}

TEST_F(ProfileTest, GetStringKeepsRoomForTheTerminator) {
    Profile profile(File());
    profile.WriteString("Project", "Folder", "abcdef");
    EXPECT_EQ(profile.GetString("Project", "Folder", "", 4), "abc");
    EXPECT_EQ(profile.GetString("Project", "Folder", "", 7), "abcdef");
    EXPECT_EQ(profile.GetString("Project", "Folder", "", 1), "");
    EXPECT_EQ(profile.GetString("Project", "Folder", "", 0), "");
    EXPECT_EQ(profile.GetString("Project", "Missing", "xyz", 3), "xy");  // defaults too
    // A surrogate pair is never cut in half.
    profile.WriteString("Project", "Folder", QStringLiteral("a\U0001F600"));
    EXPECT_EQ(profile.GetString("Project", "Folder", "", 3), "a");
}

TEST_F(ProfileTest, HandEditedAndBrokenFiles) {
    WriteRaw(File(),
             "[System]\nFrameRate=2500fps\nAspectRatio=99999999999\nVTRPort= 2\n"
             "ReticleRatio=-abc\n[Project]\nFolder=/a,b/\n[Stage]\nCameras=\n");
    Profile profile(File());
    EXPECT_EQ(profile.GetInt("System", "FrameRate", 0), 2500);
    EXPECT_EQ(profile.GetInt("System", "AspectRatio", 0), std::numeric_limits<int>::max());
    EXPECT_EQ(profile.GetInt("System", "VTRPort", 0), 2);
    EXPECT_EQ(profile.GetInt("System", "ReticleRatio", 9), 0);
    EXPECT_EQ(profile.GetInt("Stage", "Cameras", 9), 0);  // present but empty
    EXPECT_EQ(profile.GetString("Project", "Folder", ""), "/a,b/");

    QByteArray garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage.append(static_cast<char>((i * 7919) & 0xFF));
    }
    WriteRaw(File("garbage.ini"), garbage);
    Profile broken(File("garbage.ini"));
    ReadDocumentSettings(broken);  // whatever it finds, it must not crash
    EXPECT_EQ(broken.GetInt("Nowhere", "Nothing", 42), 42);
}

TEST_F(ProfileTest, EnvironmentNamesTheDefaultProfile) {
    const QString named = File("portable.ini");
    {
        ScopedEnv env("QUILLON_PROFILE", named.toLocal8Bit());
        EXPECT_EQ(Profile::DefaultPath(), named);
        Profile profile;
        EXPECT_EQ(profile.path(), named);
        profile.WriteInt("Stage", "Units", 1);
    }
    EXPECT_EQ(Profile(named).GetInt("Stage", "Units", 0), 1);

    // Without it: the configuration folder and this executable's name.
    ScopedEnv unset("QUILLON_PROFILE", QByteArray());
    ScopedEnv config("XDG_CONFIG_HOME", dir_.path().toLocal8Bit());
    EXPECT_EQ(Profile::DefaultPath(), dir_.path() + "/test_settings.ini");
}
