// quillon-cli as a user runs it: exit status, one-line errors, and JSON that reads back to the
// values the library computes.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "CliRun.h"
#include "model/Autosave.h"
#include "model/Document.h"
#include "model/Motion.h"
#include "model/Profile.h"
#include "model/RecoveryStore.h"
#include "model/ScriptedHost.h"
#include "model/SetFile.h"
#include "model/ShowFile.h"

using namespace quillon;
using namespace quillon::testing;

namespace {

class CliTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    CliRun Cli(const QStringList& args) { return RunCli(dir.filePath("profile.ini"), args); }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

}  // namespace

TEST_F(CliTest, NewShowAndItsJsonTree) {
    ASSERT_EQ(Cli({"new", Path("a.shw"), "--scenes", "2", "--length", "120"}).status, 0);
    const CliRun info = Cli({"info", Path("a.shw"), "--json"});
    ASSERT_EQ(info.status, 0) << info.err.toStdString();
    QJsonParseError error;
    const QJsonObject top = QJsonDocument::fromJson(info.out, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError);
    const QJsonObject root = top["root"].toObject();
    const QJsonArray scenes = root["children"].toArray();
    ASSERT_EQ(scenes.size(), 2);
    const QJsonObject s2 = scenes[1].toObject();
    const QJsonArray cams = s2["children"].toArray();
    ASSERT_EQ(cams.size(), 4);
    const QJsonObject cam = cams[0].toObject();
    const QJsonObject key = cam["keys"].toArray()[0].toObject();
    const QJsonArray ch = key["channels"].toArray();
    ASSERT_EQ(ch.size(), 12);
    // The second scene follows the first; a new camera is selected, keyed blue, and stands at
    // (200, 48, 200) with a 25 degree lens.
    const std::pair<QJsonValue, QJsonValue> fields[] = {
        {top["version"], 3},
        {top["captions"], QJsonArray()},
        {root["kind"], 4},
        {root["name"], "Root"},
        {root["endFrame"], 2147483647.0},
        {s2["name"], "SCENE 2"},
        {s2["startFrame"], 120},
        {s2["endFrame"], 240},
        {s2["flags"], 2},
        {s2["keyColor"], -1},
        {cam["kind"], 6},
        {cam["flags"], 3},
        {cam["keyColor"], 0xFF0000},
        {key["frame"], 0},
        {ch[0], 200.0},
        {ch[1], 48.0},
        {ch[2], 200.0},
        {ch[3], 25.0},
    };
    for (size_t i = 0; i < std::size(fields); ++i)
        EXPECT_EQ(fields[i].first, fields[i].second) << "field " << i;

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
    const std::pair<QStringList, QByteArray> cases[] = {
        {{"--rate", "3000", "--write", "108000"}, "01:00:00:00\n"},
        {{"--rate", "2500", "--write", "-26", "--short"}, "00:01.01\n"},
        {{"--rate", "2500", "--read", "1:00"}, "25\n"},
        {{"--rate", "3000", "--read", "+10", "--old", "100"}, "110\n"},
    };
    for (const auto& [args, out] : cases) {
        const CliRun r = Cli(QStringList{"timecode"} + args);
        EXPECT_EQ(r.status, 0) << args.join(' ').toStdString();
        EXPECT_EQ(r.out, out) << args.join(' ').toStdString();
    }
}

TEST_F(CliTest, FailuresAreOneLineWithStatusOne) {
    ASSERT_EQ(Cli({"new", Path("a.shw")}).status, 0);
    QFile junk(Path("junk.shw"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(500, 'Z'));
    junk.close();
    const QList<QStringList> cases = {
        {"info", Path("missing.shw")},
        {"eval", Path("missing.shw"), "--frame", "0"},
        {"frobnicate"},
        {"timecode", "--rate", "0", "--write", "1"},
        {"timecode", "--rate", "3000", "--write", "abc"},
        {"new", Path("x.shw"), "--length", "0"},
        {"new", Path("no/such/folder/x.shw")},
        {"info"},
        {"eval", Path("a.shw"), "--frame", "9", "--to", "1"},
        {"info", Path("junk.shw"), "--json"},
        {"eval", Path("junk.shw"), "--frame", "0"},
        {"vrml", Path("a.shw")},
        {"vrml", Path("none.shw"), "-o", Path("b.wrl")},
        {"script", Path("none.rtf"), "--text"},
        {"script", Path("a.shw"), "-o", Path("no/such/folder/s.txt")},
    };
    for (const QStringList& args : cases)
        ExpectOneLineError(Cli(args), args);
    EXPECT_FALSE(QFile::exists(Path("b.wrl")));
    const CliRun r = Cli({"vrml", Path("a.shw"), "-o", Path("missing/a.wrl")});
    ExpectOneLineError(r);
    EXPECT_TRUE(r.err.startsWith("quillon-cli: Couldn't write file: ")) << r.err.toStdString();
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

TEST_F(CliTest, ScriptReadsAsTheWindowDoesAndWritesByTheNewName) {
    QFile rtf(Path("lines.rtf"));
    ASSERT_TRUE(rtf.open(QIODevice::WriteOnly));
    rtf.write(R"({\rtf1\ansi {\b INT.} YARD\par caf\'e9 \u8364?})");
    rtf.close();
    const CliRun text = Cli({"script", Path("lines.rtf"), "--text", "-o", Path("lines.txt")});
    ASSERT_EQ(text.status, 0) << text.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(text.out), QString::fromUtf16(u"INT. YARD\ncaf\u00E9 \u20AC\n"));
    QFile plain(Path("lines.txt"));
    ASSERT_TRUE(plain.open(QIODevice::ReadOnly));
    EXPECT_EQ(plain.readAll(), QString::fromUtf16(u"INT. YARD\ncaf\u00E9 \u20AC").toUtf8());
    // The same file under an upper-case ".RTF" is plain text: its control words show.
    ASSERT_TRUE(QFile::copy(Path("lines.rtf"), Path("LINES.RTF")));
    EXPECT_TRUE(Cli({"script", Path("LINES.RTF"), "--text"}).out.startsWith("{\\rtf1"));
}

TEST_F(CliTest, RecoverListsCopiesAndWritesOne) {
    // Copies as a running Quillon leaves them: one of a saved show whose set was edited, one of
    // a show never saved, one still held, and a foreign file.
    qputenv("XDG_STATE_HOME", Path("state").toUtf8());
    const QString store = RecoveryStore::DefaultFolder();
    Profile profile(Path("profile.ini"));
    ScriptedHost host;
    Document a(profile, host), b(profile, host), held(profile, host);
    for (Document* d : {&a, &b, &held})
        d->Reset(true);
    auto& set = a.root().children[0]->set;
    set = std::make_unique<Set>();
    set->AddPanel(SetPanel{});
    ASSERT_TRUE(WriteSetFile(Path("a.set").toStdString(), set->panels));
    a.root().children[0]->SetFileName(Path("a.set").toStdString());
    a.SetShowPath(Path("a.shw"));
    set->panels[0].panelColor = 0x123456;
    for (Document* d : {&a, &b, &held})
        d->SetModified(true);
    QString idA, idB;
    {
        Autosave sa(a, store), sb(b, store);
        sa.Tick();
        sb.Tick();
        sa.Wait();
        sb.Wait();
        idA = sa.copyId();
        idB = sb.copyId();
    }
    Autosave keeper(held, store);
    keeper.Tick();
    keeper.Wait();
    QFile stray(store + "/notes.txt");
    ASSERT_TRUE(stray.open(QIODevice::WriteOnly));
    stray.close();

    const CliRun list = Cli({"recover", "--list"});
    ASSERT_EQ(list.status, 0) << list.err.toStdString();
    QMap<QString, QJsonObject> byId;
    for (const QByteArray& line : list.out.trimmed().split('\n')) {
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        byId[o["id"].toString()] = o;
    }
    ASSERT_EQ(byId.size(), 4);
    EXPECT_EQ(byId[idA]["state"], "ready");
    EXPECT_EQ(byId[idA]["show"], Path("a.shw"));
    EXPECT_EQ(byId[idA]["title"], "a.shw");
    EXPECT_EQ(byId[idA]["sets"], 1);
    EXPECT_EQ(byId[idB]["title"], "Untitled");
    EXPECT_EQ(byId[keeper.copyId()]["state"], "in use");
    EXPECT_EQ(byId["notes.txt"]["state"], "damaged");
    EXPECT_EQ(byId["notes.txt"]["damage"], "not a recovery copy");

    // The untitled show comes back byte for byte; the edited set is written beside the show,
    // which names it, and the user's own set file is left alone.
    ASSERT_EQ(Cli({"recover", idB, "-o", Path("b.shw")}).status, 0);
    QFile bFile(Path("b.shw"));
    ASSERT_TRUE(bFile.open(QIODevice::ReadOnly));
    EXPECT_EQ(bFile.readAll().toStdString(), SerializeShow(b.root(), b.captions()));
    const CliRun r = Cli({"recover", idA, "-o", Path("out/a2.shw")});
    ASSERT_EQ(r.status, 1);  // no such folder
    QDir().mkpath(Path("out"));
    const CliRun ok = Cli({"recover", idA, "-o", Path("out/a2.shw")});
    ASSERT_EQ(ok.status, 0) << ok.err.toStdString();
    EXPECT_TRUE(ok.out.contains(Path("out/a2.scene0.set").toUtf8()));
    ShowFileContents back;
    ASSERT_EQ(ReadShowFile(Path("out/a2.shw").toStdString(), back), ShowReadResult::Ok);
    EXPECT_EQ(back.root->children[0]->GetFileName(), Path("out/a2.scene0.set").toStdString());
    std::vector<SetPanel> panels;
    ASSERT_TRUE(ReadSetFile(Path("out/a2.scene0.set").toStdString(), panels));
    EXPECT_EQ(panels.at(0).panelColor, 0x123456u);
    panels.clear();
    ASSERT_TRUE(ReadSetFile(Path("a.set").toStdString(), panels));
    EXPECT_EQ(panels.at(0).panelColor, 255u);

    const QList<QStringList> refused = {
        {"recover", "nothing-here", "-o", Path("x.shw")},
        {"recover", "notes.txt", "-o", Path("x.shw")},
        {"recover", keeper.copyId(), "-o", Path("x.shw")},
        {"recover", idA},
        {"recover", "--list", idA},
    };
    for (const QStringList& args : refused)
        ExpectOneLineError(Cli(args), args);
    EXPECT_FALSE(QFile::exists(Path("x.shw")));
    qunsetenv("XDG_STATE_HOME");
}

TEST_F(CliTest, EveryCommandDescribesItself) {
    const CliRun all = Cli({"--help"});
    ASSERT_EQ(all.status, 0);
    QStringList commands;
    for (const QByteArray& line : all.out.split('\n')) {
        const QRegularExpressionMatch m = QRegularExpression("^  ([a-z-]+) ").match(line);
        if (m.hasMatch()) commands << m.captured(1);
    }
    EXPECT_EQ(commands,
              (QStringList{"info",   "eval",    "path",     "timecode",  "new",    "picture",
                           "movie",  "texels",  "vrml",     "gltf",      "camera", "frame",
                           "render", "sound",   "play",     "script",    "vtr",    "batch",
                           "boards", "caption", "shotlist", "make-demo", "recover"}));
    for (const QString& command : commands) {
        // --help anywhere after the command describes it and runs nothing.
        const CliRun r = Cli({command, Path("made.shw"), "--help"});
        EXPECT_EQ(r.status, 0) << command.toStdString();
        EXPECT_TRUE(
            r.out.startsWith("usage: quillon-cli [--profile FILE] " + command.toUtf8() + " "))
            << r.out.toStdString();
        EXPECT_GT(r.out.count('\n'), 2) << command.toStdString();
        EXPECT_FALSE(QFile::exists(Path("made.shw"))) << command.toStdString();
    }
    ExpectOneLineError(Cli({"nonsense", "--help"}));
}
