// Crash recovery as a user meets it: the program, editing a show, is killed with SIGKILL once
// its recovery copy is written; started again, it asks about the copy and brings back exactly
// the edited show, untitled and modified.
#include <signal.h>

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeWidget>

#include "../model/ScriptedHost.h"
#include "WindowTestKit.h"
#include "app/AutosaveTimer.h"
#include "app/RecoveryDialog.h"
#include "app/commands/CommandIds.h"
#include "model/Autosave.h"
#include "model/RecoveryStore.h"
#include "model/ShowFile.h"
#include "model/ShowFiles.h"

using namespace quillon;
using namespace quillon::testkit;

namespace {

QString XdoTool(const QStringList& args) {
    QProcess p;
    p.start("xdotool", args);
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

}  // namespace

TEST(RecoveryWindowTest, KilledProgramComesBackWithTheEditedShow) {
    QTemporaryDir dir;
    const QByteArray oldState = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", dir.filePath("state").toUtf8());
    // A saved show of three scenes, the second selected: "&Delete Scene" (Ctrl+D) takes it out.
    const QString show = dir.filePath("edit.shw");
    std::string expected;
    {
        Profile p(dir.filePath("w.ini"));
        ScriptedHost quiet;
        Document writer(p, quiet);
        writer.Reset(true);
        writer.NewScene(120);
        writer.NewScene(90);
        for (ShowNode* scene : writer.root().children)
            scene->setSelected(false);
        writer.root().children[1]->setSelected(true);
        ASSERT_TRUE(WriteShowFile(show.toStdString(), writer.root(), writer.captions()));
        writer.DeleteSelectedScenes();
        expected = SerializeShow(writer.root(), writer.captions());
    }

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUILLON_PROFILE", dir.filePath("program.ini"));
    env.insert("QUILLON_AUTOSAVE_MS", "200");
    program.setProcessEnvironment(env);
    program.start(QUILLON_APP, {"--no-startup-picture", show});
    ASSERT_TRUE(program.waitForStarted());
    const QString id = XdoTool({"search", "--sync", "--name", "^Quillon - "}).split('\n').value(0);
    ASSERT_FALSE(id.isEmpty());
    XdoTool({"windowfocus", "--sync", id});
    XdoTool({"key", "--clearmodifiers", "ctrl+d"});

    // The copy holds the edit; the user's file does not.
    const RecoveryStore store(RecoveryStore::DefaultFolder());
    auto copyHoldsEdit = [&] {
        for (const RecoveryEntry& e : store.List()) {
            QFile f(e.folder + "/" + e.index.show.name);
            if (e.hasIndex && f.open(QIODevice::ReadOnly) && f.readAll().toStdString() == expected)
                return true;
        }
        return false;
    };
    QElapsedTimer clock;
    clock.start();
    while (!copyHoldsEdit() && clock.elapsed() < 20000)
        QThread::msleep(50);
    ASSERT_TRUE(copyHoldsEdit());
    program.kill();  // SIGKILL: no clean-up of any kind
    program.waitForFinished();
    ASSERT_EQ(program.exitStatus(), QProcess::CrashExit);
    ShowFileContents onDisk;
    ASSERT_EQ(ReadShowFile(show.toStdString(), onDisk), ShowReadResult::Ok);
    EXPECT_EQ(onDisk.root->childCount(), 3);

    // Started again, the program asks and, on Yes, opens the edited show untitled.
    const auto offered = store.Offered();
    ASSERT_EQ(offered.size(), 1u);
    Answerer answers({"Yes"});
    {
        App app(dir.filePath("again.ini"));
        ASSERT_EQ(answers.texts.size(), 1);
        EXPECT_EQ(answers.texts[0], AutosaveTimer::QuestionFor(offered[0]));
        EXPECT_TRUE(answers.texts[0].startsWith("Recover unsaved changes to edit.shw from "));
        EXPECT_EQ(SerializeShow(app.doc.root(), app.doc.captions()), expected);
        EXPECT_TRUE(app.doc.modified());
        EXPECT_TRUE(app.doc.path().isEmpty());
        EXPECT_EQ(app.doc.suggestedPath(), show);
        EXPECT_EQ(app.window->windowTitle(), "Quillon");
        // The copy is kept, as this window's own, until the show is saved.
        ASSERT_EQ(store.List().size(), 1u);
        EXPECT_EQ(store.List()[0].state, RecoveryEntry::State::kInUse);
        EXPECT_EQ(app.application.autosave().autosave().copyId(), offered[0].id);
        RecoveryDialog listing(store, offered[0].id);
        ASSERT_EQ(listing.list()->topLevelItemCount(), 1);
        EXPECT_EQ(listing.list()->topLevelItem(0)->text(3), "This window's copy");
        // Saved under the name "Save Show &As..." offers, the copy goes.
        app.doc.SetShowPath(show);
        app.window->UpdateCommands();
        app.window->action(kCmdSaveShow)->trigger();
        app.application.autosave().autosave().Wait();
        EXPECT_TRUE(store.List().empty());
    }
    QFile saved(show);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().toStdString(), expected);
    qputenv("XDG_STATE_HOME", oldState);
}
