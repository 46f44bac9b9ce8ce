// The Record to Tape dialog: what it opens with, the show list and log name it builds through
// the file dialogs, what "Record" writes and what it refuses.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>

#include "WindowTestKit.h"
#include "app/RecordToTapeDialog.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/ScriptedHost.h"

using namespace quillon;
using namespace quillon::testkit;

namespace {

struct RecordToTape : ::testing::Test {
    QTemporaryDir dir;
    std::unique_ptr<Profile> profile;
    ScriptedHost host;
    std::unique_ptr<Document> doc;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        profile = std::make_unique<Profile>(dir.filePath("p.ini"));
        profile->WriteInt("System", "FrameRate", 2500);
        profile->WriteInt("System", "VTRPort", 4);
        profile->WriteInt("Conform", "StartHold", 5);
        profile->WriteInt("Conform", "EndHold", 7);
        profile->WriteInt("Conform", "TimecodeStart", 91525);  // 1:01:01:00 at 25 fps
        profile->WriteInt("Conform", "Reverse", 1);
        doc = std::make_unique<Document>(*profile, host);
    }
    QStringList Items(const RecordToTapeDialog& d) {
        QStringList items;
        for (int i = 0; i < d.showList()->count(); ++i)
            items << d.showList()->item(i)->text();
        return items;
    }
};

}  // namespace

TEST_F(RecordToTape, OpensFromTheProfileAndTheRecorderWord) {
    // The document read the port from the profile at start; the tracks start off.
    EXPECT_EQ(doc->settings().vtrPort, 4);
    doc->settings().vtrPort = 2 + 512;  // Com 2, audio 1
    RecordToTapeDialog d(*doc);
    EXPECT_EQ(d.windowTitle(), "Record to Tape");
    EXPECT_EQ(d.startHoldEdit()->text(), "5");
    EXPECT_EQ(d.endHoldEdit()->text(), "7");
    EXPECT_EQ(d.timecodeEdit()->text(), "01:01:01:00");
    EXPECT_TRUE(d.reverseBox()->isChecked());
    EXPECT_FALSE(d.aviBox()->isChecked());
    EXPECT_EQ(d.portBox()->currentText(), "Com 2");
    EXPECT_FALSE(d.videoBox()->isChecked());
    EXPECT_TRUE(d.audio1Box()->isChecked());
    EXPECT_FALSE(d.audio2Box()->isChecked());
    EXPECT_EQ(d.logEdit()->text(), "None");
    EXPECT_TRUE(d.logEdit()->isReadOnly());
    EXPECT_EQ(d.showList()->count(), 0);
    EXPECT_FALSE(d.removeButton()->isEnabled());
}

TEST_F(RecordToTape, ShowsLogAndRecord) {
    RecordToTapeDialog d(*doc);
    host.fileLists.push_back({"/shows/intro.take2.shw", "/shows/b.shw", "/my.shows/c.shw"});
    d.AddShows();
    ASSERT_EQ(host.openRequests.size(), 1u);
    EXPECT_EQ(host.openRequests[0].filter, "SHOW Files (*.shw)|*.shw||");
    EXPECT_EQ(host.openRequests[0].startFolder, doc->projectFolder());
    EXPECT_EQ(Items(d), QStringList({"intro", "b", "c"}));
    // Removing keeps the paths in step with the list.
    d.showList()->setCurrentRow(1);
    EXPECT_TRUE(d.removeButton()->isEnabled());
    d.removeButton()->click();
    EXPECT_EQ(Items(d), QStringList({"intro", "c"}));

    host.files.push_back(dir.filePath("night.ale"));
    d.ChooseLog();
    ASSERT_EQ(host.saveRequests.size(), 1u);
    EXPECT_EQ(host.saveRequests[0].filter,
              "Avid MediaLog Format (*.ale)|*.ale|CMX EDL Format (*.edl)|*.edl|All Files "
              "*.*|*.*||");
    EXPECT_TRUE(host.saveRequests[0].overwritePrompt);
    EXPECT_EQ(d.logEdit()->text(), "night.ale");
    // Cancel in the save dialog leaves the name.
    d.ChooseLog();
    EXPECT_EQ(d.logEdit()->text(), "night.ale");

    d.startHoldEdit()->setText("0");
    d.endHoldEdit()->setText("100");
    d.timecodeEdit()->setText("2:0:0:0");
    d.reverseBox()->setChecked(false);
    d.aviBox()->setChecked(true);
    d.portBox()->setCurrentIndex(3);
    d.videoBox()->setChecked(true);
    d.audio2Box()->setChecked(true);
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    const BatchSettings& s = d.settings();
    EXPECT_EQ(s.shows, QStringList({"/shows/intro.take2.shw", "/my.shows/c.shw"}));
    EXPECT_EQ(s.startText, "2:0:0:0");
    EXPECT_EQ(s.startTimecode, 180000);
    EXPECT_EQ(s.logName, dir.filePath("night.ale"));
    EXPECT_EQ(profile->GetInt("Conform", "StartHold", -1), 0);
    EXPECT_EQ(profile->GetInt("Conform", "EndHold", -1), 100);
    EXPECT_EQ(profile->GetInt("Conform", "Reverse", -1), 0);
    EXPECT_EQ(profile->GetInt("Conform", "MakeAVI", -1), 1);
    EXPECT_EQ(profile->GetInt("Conform", "TimecodeStart", -1), 180000);
    EXPECT_EQ(profile->GetInt("System", "VTRPort", -1), 3);  // the port alone
    EXPECT_EQ(doc->settings().vtrPort, 3 + 256 + 1024);
}

TEST_F(RecordToTape, AtMostTwoHundredAndFiftySixShows) {
    RecordToTapeDialog d(*doc);
    QStringList many;
    for (int i = 0; i < 250; ++i)
        many << QStringLiteral("/s/show%1.shw").arg(i);
    host.fileLists.push_back(many);
    host.fileLists.push_back({"/s/a.shw", "/s/b.shw", "/s/c.shw", "/s/d.shw", "/s/e.shw",
                              "/s/f.shw", "/s/g.shw", "/s/h.shw"});
    d.AddShows();
    EXPECT_TRUE(host.messages.isEmpty());
    d.AddShows();
    EXPECT_EQ(d.showList()->count(), 256);
    EXPECT_EQ(d.showList()->item(255)->text(), "f");
    ASSERT_EQ(host.messages.size(), 1);
    EXPECT_TRUE(host.messages[0].contains("256")) << host.messages[0].toStdString();
    EXPECT_TRUE(host.messages[0].contains("2 of those")) << host.messages[0].toStdString();
}

TEST_F(RecordToTape, RefusesWhatCannotRun) {
    const struct {
        const char* startHold;
        const char* endHold;
        const char* timecode;
        bool withShows;
    } refused[] = {
        {"101", "3", "1:0:0:0", true}, {"3", "-1", "1:0:0:0", true}, {"3", "two", "1:0:0:0", true},
        {"3", "3", "tomorrow", true},  {"3", "3", "", true},         {"3", "3", "1:0:0:0", false},
    };
    for (const auto& c : refused) {
        RecordToTapeDialog d(*doc);
        if (c.withShows) {
            host.fileLists.push_back({"/s/a.shw"});
            d.AddShows();
        }
        d.startHoldEdit()->setText(c.startHold);
        d.endHoldEdit()->setText(c.endHold);
        d.timecodeEdit()->setText(c.timecode);
        Answerer ok({"OK"});
        d.accept();
        EXPECT_NE(d.result(), QDialog::Accepted) << c.startHold << " " << c.endHold;
        EXPECT_EQ(ok.texts.size(), 1) << c.startHold << " " << c.endHold << " " << c.timecode;
        // Nothing is stored while refused.
        EXPECT_EQ(profile->GetInt("Conform", "StartHold", -1), 5);
        EXPECT_EQ(profile->GetInt("Conform", "EndHold", -1), 7);
    }
}
