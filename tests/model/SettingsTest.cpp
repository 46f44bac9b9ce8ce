// The profile on disk and the values the program starts from. No QCoreApplication is created:
// the profile must work before (and without) one.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <limits>

#include "model/Profile.h"
#include "model/Settings.h"

using namespace quillon;

namespace {

constexpr int kIntMax = std::numeric_limits<int>::max();
constexpr int kIntMin = std::numeric_limits<int>::min();

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

TEST_F(ProfileTest, EmptyProfileGivesTheStartUpValues) {
    Profile profile(File());
    const DocumentSettings s = ReadDocumentSettings(profile);
    // 30 fps, aspect 0.75, one camera, inches, scale keys, filtering, feathering and keying on,
    // blue key colour.
    EXPECT_EQ(s.frameRate, 3000);
    EXPECT_EQ(s.aspectRatio, 0.75f);
    EXPECT_EQ(s.cameras, 1);
    EXPECT_EQ(s.units, 0);
    EXPECT_TRUE(s.scaleKeys && s.filtering && s.featherActors && s.colorKeying);
    EXPECT_EQ(s.defaultKeyColor, 0xFF0000);
    EXPECT_FALSE(QFile::exists(File()));  // reading alone leaves no file behind

    // Defaults that follow the frame rate.
    using namespace settings;
    const std::tuple<const RateSetting*, int, int> rated[] = {
        {&kTimelineScale, 2997, 30},          {&kTimelineScale, 2400, 24},
        {&kTimecodeStart, 2500, 90000},       {&kMovieFrameRate, 2997, 2997},
        {&kTimelineScale, kIntMax, 21474836}, {&kTimecodeStart, kIntMax, kIntMax},
        {&kTimecodeStart, kIntMin, kIntMin},
    };
    for (const auto& [setting, rate, want] : rated)
        EXPECT_EQ(Get(profile, *setting, rate), want)
            << setting->key.toStdString() << " at " << rate;
}

TEST_F(ProfileTest, StoredValuesReachTheDocumentByTheirKeyNames) {
    WriteRaw(File(),
             "[System]\nFrameRate=2997\nAspectRatio=5625\nReticleRatio=5405\nVTRPort=2\n"
             "[Stage]\nRostrumMode=7\nUnits=1\nCameras=4\n"
             "[Project]\nFolder=/shows/act one/\nScaleKeys=0\n"
             "[Texture]\nFiltering=0\nFeatherActors=0\nMipMapped=-1\nColorKeying=0\n"
             "DefaultKeyColor=-1\n");
    const DocumentSettings s = ReadDocumentSettings(Profile(File()));
    EXPECT_EQ(s.frameRate, 2997);
    EXPECT_EQ(s.aspectRatio, 0.5625f);
    EXPECT_FLOAT_EQ(s.reticleRatio, 0.5405f);
    EXPECT_EQ(s.vtrPort, 2);
    EXPECT_TRUE(s.rostrumMode);  // any non-zero value is on
    EXPECT_EQ(s.units, 1);
    EXPECT_EQ(s.cameras, 4);
    EXPECT_EQ(s.folder, QStringLiteral("/shows/act one/"));
    EXPECT_FALSE(s.scaleKeys || s.filtering || s.featherActors || s.colorKeying);
    EXPECT_TRUE(s.mipMapped);
    EXPECT_EQ(s.defaultKeyColor, -1);
}

TEST_F(ProfileTest, WritesReachTheDiskAtOnce) {
    Profile writer(File());
    writer.WriteInt("System", "FrameRate", 2500);
    writer.WriteInt("Stage", "Scale", kIntMin);
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
    EXPECT_EQ(reader.GetInt("Stage", "Scale", 0), kIntMin);
    EXPECT_EQ(reader.GetInt("Window", "Stage Width", 0), 640);
    EXPECT_EQ(reader.GetInt("Window", "StageWidth", 5), 5);
    EXPECT_EQ(reader.GetString("Project", "Folder", QString()), awkward);
    EXPECT_TRUE(reader.Contains("Window", "Stage Width"));
    EXPECT_FALSE(reader.Contains("Window", "Stage Height"));
}

TEST_F(ProfileTest, GetStringKeepsRoomForTheTerminator) {
    Profile profile(File());
    profile.WriteString("Project", "Folder", "abcdef");
    const std::tuple<const char*, int, const char*> cases[] = {
        {"Folder", 4, "abc"}, {"Folder", 7, "abcdef"}, {"Folder", 1, ""},
        {"Folder", 0, ""},    {"Missing", 3, "xy"},  // defaults too
    };
    for (const auto& [key, size, want] : cases)
        EXPECT_EQ(profile.GetString("Project", key, "xyz", size), want) << key << " " << size;
    // A surrogate pair is never cut in half.
    profile.WriteString("Project", "Folder", QStringLiteral("a\U0001F600"));
    EXPECT_EQ(profile.GetString("Project", "Folder", "", 3), "a");
}

TEST_F(ProfileTest, HandEditedAndBrokenFiles) {
    WriteRaw(File(),
             "[System]\nFrameRate=2500fps\nAspectRatio=99999999999\nVTRPort= 2\n"
             "ReticleRatio=-abc\n[Project]\nFolder=/a,b/\n[Stage]\nCameras=\n");
    Profile profile(File());
    const std::tuple<const char*, const char*, int> cases[] = {
        {"System", "FrameRate", 2500}, {"System", "AspectRatio", kIntMax},
        {"System", "VTRPort", 2},      {"System", "ReticleRatio", 0},
        {"Stage", "Cameras", 0},  // present but empty
    };
    for (const auto& [section, key, want] : cases)
        EXPECT_EQ(profile.GetInt(section, key, 9), want) << key;
    EXPECT_EQ(profile.GetString("Project", "Folder", ""), "/a,b/");

    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(static_cast<char>((i * 7919) & 0xFF));
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
