// quillon-cli as a user runs it: exit status, one-line errors, and JSON that reads back to the
// values the library computes.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "model/Motion.h"
#include "model/ShowFile.h"

using namespace quillon;

namespace {

struct CliRun {
    int status = -1;
    QByteArray out, err;
};

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    CliRun Cli(QStringList args) {
        args.prepend(dir.filePath("profile.ini"));
        args.prepend("--profile");
        QProcess p;
        p.start(QStringLiteral(QUILLON_CLI), args);
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                p.readAllStandardOutput(), p.readAllStandardError()};
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

void ExpectOneLineError(const CliRun& r) {
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.startsWith("quillon-cli: ")) << r.err.toStdString();
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
}

}  // namespace

TEST_F(CliTest, NewShowAndItsJsonTree) {
    ASSERT_EQ(Cli({"new", Path("a.shw"), "--scenes", "2", "--length", "120"}).status, 0);
    const CliRun info = Cli({"info", Path("a.shw"), "--json"});
    ASSERT_EQ(info.status, 0) << info.err.toStdString();
    QJsonParseError error;
    const QJsonObject top = QJsonDocument::fromJson(info.out, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError);
    EXPECT_EQ(top["version"].toInt(), 3);
    EXPECT_TRUE(top["captions"].toArray().isEmpty());
    const QJsonObject root = top["root"].toObject();
    EXPECT_EQ(root["kind"].toInt(), 4);
    EXPECT_EQ(root["name"].toString(), "Root");
    EXPECT_EQ(root["endFrame"].toDouble(), 2147483647.0);
    const QJsonArray scenes = root["children"].toArray();
    ASSERT_EQ(scenes.size(), 2);
    const QJsonObject s2 = scenes[1].toObject();
    EXPECT_EQ(s2["name"].toString(), "SCENE 2");
    EXPECT_EQ(s2["startFrame"].toInt(), 120);
    EXPECT_EQ(s2["endFrame"].toInt(), 240);
    EXPECT_EQ(s2["flags"].toInt(), 2);
    EXPECT_EQ(s2["keyColor"].toInt(), -1);
    const QJsonArray cams = s2["children"].toArray();
    ASSERT_EQ(cams.size(), 4);
    const QJsonObject cam = cams[0].toObject();
    EXPECT_EQ(cam["kind"].toInt(), 6);
    EXPECT_EQ(cam["flags"].toInt(), 3);
    EXPECT_EQ(cam["keyColor"].toInt(), 0xFF0000);
    const QJsonObject key = cam["keys"].toArray()[0].toObject();
    EXPECT_EQ(key["frame"].toInt(), 0);
    const QJsonArray ch = key["channels"].toArray();
    ASSERT_EQ(ch.size(), 12);
    EXPECT_EQ(ch[0].toDouble(), 200.0);
    EXPECT_EQ(ch[1].toDouble(), 48.0);
    EXPECT_EQ(ch[3].toDouble(), 25.0);

    // The readable tree names the scenes.
    const CliRun text = Cli({"info", Path("a.shw")});
    EXPECT_EQ(text.status, 0);
    EXPECT_TRUE(text.out.contains("Scene \"SCENE 2\"  frames 120-240"));
}

TEST_F(CliTest, EvalPrintsFloatsThatReadBackExactly) {
    ASSERT_EQ(Cli({"new", Path("m.shw"), "--length", "90", "--camera-move"}).status, 0);
    const CliRun r = Cli({"eval", Path("m.shw"), "--frame", "28", "--to", "31", "--half"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QList<QByteArray> lines = r.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 4);

    ShowFileContents show;
    ASSERT_EQ(ReadShowFile(Path("m.shw").toStdString(), show), ShowReadResult::Ok);
    ShowNode& camera = *show.root->children[0]->children[0];
    ASSERT_GT(camera.KeyCount(), 2);
    for (int i = 0; i < 4; ++i) {
        const QJsonObject o = QJsonDocument::fromJson(lines[i]).object();
        EXPECT_EQ(o["frame"].toInt(), 28 + i);
        EXPECT_EQ(o["scene"].toInt(), 0);
        EXPECT_EQ(o["children"].toArray().size(), 4);
        EvaluateNode(camera, 28 + i, true);
        const QJsonObject pose = o["children"].toArray()[0].toObject();
        EXPECT_EQ(pose["act"].toInt(), 0);
        const QJsonArray ch = pose["channels"].toArray();
        for (int c = 0; c < 12; ++c)
            EXPECT_EQ(static_cast<float>(ch[c].toDouble()), camera.pose.channel[c])
                << "frame " << 28 + i << " channel " << c;
    }

    const CliRun outside = Cli({"eval", Path("m.shw"), "--frame", "500"});
    EXPECT_EQ(outside.status, 0);
    EXPECT_EQ(outside.out, "{\"frame\": 500, \"scene\": null}\n");
}

TEST_F(CliTest, Timecode) {
    CliRun r = Cli({"timecode", "--rate", "3000", "--write", "108000"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "01:00:00:00\n");
    r = Cli({"timecode", "--rate", "2500", "--write", "-26", "--short"});
    EXPECT_EQ(r.out, "00:01.01\n");
    r = Cli({"timecode", "--rate", "2500", "--read", "1:00"});
    EXPECT_EQ(r.out, "25\n");
    r = Cli({"timecode", "--rate", "3000", "--read", "+10", "--old", "100"});
    EXPECT_EQ(r.out, "110\n");
}

TEST_F(CliTest, FailuresAreOneLineWithStatusOne) {
    ExpectOneLineError(Cli({"info", Path("missing.shw")}));
    ExpectOneLineError(Cli({"eval", Path("missing.shw"), "--frame", "0"}));
    ExpectOneLineError(Cli({"frobnicate"}));
    ExpectOneLineError(Cli({"timecode", "--rate", "0", "--write", "1"}));
    ExpectOneLineError(Cli({"timecode", "--rate", "3000", "--write", "abc"}));
    ExpectOneLineError(Cli({"new", Path("x.shw"), "--length", "0"}));
    ExpectOneLineError(Cli({"new", Path("no/such/folder/x.shw")}));
    ExpectOneLineError(Cli({"info"}));
    ExpectOneLineError(Cli({"eval", Path("x.shw"), "--frame", "9", "--to", "1"}));
    QFile junk(Path("junk.shw"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(500, 'Z'));
    junk.close();
    ExpectOneLineError(Cli({"info", Path("junk.shw"), "--json"}));
    ExpectOneLineError(Cli({"eval", Path("junk.shw"), "--frame", "0"}));
}

TEST_F(CliTest, VrmlWritesTheWorldOfAShow) {
    // Two new scenes of 150 frames, each with the new-scene key at its start: the camera path
    // has keys at 0 and 150 of 300 frames, and the default camera place
    // ((200 - 2000) * 0.005, 48 * 0.005, (200 - 2000) * 0.005).
    ASSERT_EQ(Cli({"new", Path("a.shw"), "--scenes", "2", "--length", "150"}).status, 0);
    const CliRun r = Cli({"vrml", Path("a.shw"), "-o", Path("a.wrl")});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    QFile f(Path("a.wrl"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.startsWith("#VRML V2.0 utf8\r\n\r\nNavigationInfo {\r\n"));
    EXPECT_TRUE(text.contains("\tcycleInterval 10.000000\r\n"));
    EXPECT_TRUE(
        text.contains("DEF PI PositionInterpolator {\r\n\tkey [ 0.0000 0.5000  ]\r\n"
                      "\tkeyValue [ -9.000000 0.240000 -9.000000, "
                      "-9.000000 0.240000 -9.000000 ]\r\n"));
    EXPECT_TRUE(text.contains("\t\t\tposition  -9.000000 0.240000 -9.000000\r\n"));
    EXPECT_TRUE(text.endsWith("ROUTE RI.value_changed TO T.rotation\r\n"));
    // Camera tracks are not actors: no cards.
    EXPECT_FALSE(text.contains("ACT-"));
}

TEST_F(CliTest, VrmlFailures) {
    ASSERT_EQ(Cli({"new", Path("a.shw")}).status, 0);
    ExpectOneLineError(Cli({"vrml", Path("a.shw")}));
    const CliRun r = Cli({"vrml", Path("a.shw"), "-o", Path("missing/a.wrl")});
    ExpectOneLineError(r);
    EXPECT_TRUE(r.err.startsWith("quillon-cli: Couldn't write file: ")) << r.err.toStdString();
    ExpectOneLineError(Cli({"vrml", Path("none.shw"), "-o", Path("b.wrl")}));
    EXPECT_FALSE(QFile::exists(Path("b.wrl")));
}
