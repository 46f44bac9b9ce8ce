// The script window: its first rectangle and the profile keys it keeps, loading and saving by
// the file's name, the export name, following the frame both ways, and the document's loads and
// close question going through it.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

#include "model/Document.h"
#include "model/Profile.h"
#include "model/ScriptedHost.h"
#include "model/ShowFiles.h"
#include "model/ShowNode.h"
#include "script/ScriptWindow.h"

using namespace quillon;

namespace {

struct ScriptWindowTest : ::testing::Test {
    QTemporaryDir dir;
    std::unique_ptr<Profile> profile;
    ScriptedHost host;
    std::unique_ptr<Document> doc;
    std::unique_ptr<QWidget> owner;
    ScriptWindow* window = nullptr;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        profile = std::make_unique<Profile>(dir.filePath("p.ini"));
        doc = std::make_unique<Document>(*profile, host);
        doc->Reset(false);
        while (doc->root().childCount() > 0)
            doc->root().RemoveChild(0);
        doc->NewScene(300);
        owner = std::make_unique<QWidget>();
        window = new ScriptWindow(*doc, owner.get());
    }
    void TearDown() override { owner.reset(); }

    QString Write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return dir.filePath(name);
    }
    QByteArray Read(const QString& name) {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QString Text() const { return window->editor()->toPlainText(); }
    // The pixel row at which paragraph `line` starts.
    int TopOf(int line) const {
        QTextDocument* d = window->editor()->document();
        return int(d->documentLayout()->blockBoundingRect(d->findBlockByNumber(line)).top());
    }
};

}  // namespace

TEST_F(ScriptWindowTest, FirstStartAndTheKeptRectangle) {
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Script");
    EXPECT_EQ(window->path(), "No Script");
    EXPECT_EQ(doc->scriptHolder(), window);
    EXPECT_EQ(window->geometry(), QRect(100, 100, 200, 100));
    // Moves and sizes go to the profile at once.
    window->show();
    window->setGeometry(240, 180, 320, 260);
    QApplication::processEvents();
    EXPECT_EQ(profile->GetInt("Script", "WindowLeft", -1), 240);
    EXPECT_EQ(profile->GetInt("Script", "WindowTop", -1), 180);
    EXPECT_EQ(profile->GetInt("Script", "WindowRight", -1), 560);
    EXPECT_EQ(profile->GetInt("Script", "WindowBottom", -1), 440);
    // The close box hides; the window stays.
    window->close();
    EXPECT_FALSE(window->isVisible());
    doc->scriptHolder()->ToggleShown();
    EXPECT_TRUE(window->isVisible());
    doc->scriptHolder()->ToggleShown();
    EXPECT_FALSE(window->isVisible());
    // The next start's window opens where this one was.
    owner.reset();
    ScriptWindow next(*doc, nullptr);
    EXPECT_EQ(next.geometry(), QRect(240, 180, 320, 260));
}

TEST_F(ScriptWindowTest, LoadAndSaveByName) {
    const QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 INT. {\\b HALL}\\par Night}";
    ASSERT_TRUE(window->LoadFile(Write("intro.take2.rtf", rtf)));
    EXPECT_EQ(Text(), "INT. HALL\nNight");
    EXPECT_EQ(window->windowTitle(), "intro");
    EXPECT_EQ(window->path(), dir.filePath("intro.take2.rtf"));
    EXPECT_FALSE(window->modified());
    // ".RTF" in capitals is not RTF: the control words show as typed.
    ASSERT_TRUE(window->LoadFile(Write("LOUD.RTF", rtf)));
    EXPECT_EQ(Text(), QString::fromLatin1(rtf));
    EXPECT_EQ(window->windowTitle(), "LOUD");
    // A file that cannot be read changes nothing.
    EXPECT_FALSE(window->LoadFile(dir.filePath("missing.rtf")));
    EXPECT_EQ(window->windowTitle(), "LOUD");
    EXPECT_EQ(Text(), QString::fromLatin1(rtf));
    // Cancel in the open dialog: nothing either.
    EXPECT_FALSE(window->LoadFile(QString()));
    ASSERT_EQ(host.openRequests.size(), 1u);
    EXPECT_EQ(host.openRequests[0].filter,
              "Rich Text Files (*.rtf)|*.rtf|Plain Text Files (*.txt)|*.txt|All Files *.*|*.*||");

    window->editor()->selectAll();
    window->editor()->textCursor().insertText(QString::fromUtf16(u"Scene 1\nThe café — night"));
    EXPECT_TRUE(window->modified());
    // The export name leaves title, name and modified mark alone.
    ASSERT_TRUE(window->SaveFile(dir.filePath("ExportedScript.rtf")));
    EXPECT_TRUE(Read("ExportedScript.rtf").startsWith("{\\rtf1"));
    EXPECT_EQ(window->windowTitle(), "LOUD");
    EXPECT_EQ(window->path(), dir.filePath("LOUD.RTF"));
    EXPECT_TRUE(window->modified());
    // A plain-text name: what was typed, byte for byte (UTF-8, a line a paragraph).
    host.files.push_back(dir.filePath("draft.txt"));
    ASSERT_TRUE(window->SaveFile(QString()));
    ASSERT_EQ(host.saveRequests.size(), 1u);
    EXPECT_EQ(host.saveRequests[0].defaultExtension, "rtf");
    EXPECT_TRUE(host.saveRequests[0].overwritePrompt);
    EXPECT_EQ(Read("draft.txt"), QString::fromUtf16(u"Scene 1\nThe café — night").toUtf8());
    EXPECT_EQ(window->windowTitle(), "draft");
    EXPECT_FALSE(window->modified());
    // Saved as RTF and read back: the same text.
    ASSERT_TRUE(window->SaveFile(dir.filePath("again.rtf")));
    window->editor()->clear();
    ASSERT_TRUE(window->LoadFile(dir.filePath("again.rtf")));
    EXPECT_EQ(Text(), QString::fromUtf16(u"Scene 1\nThe café — night"));
    // A folder that cannot be written: false, nothing changes.
    EXPECT_FALSE(window->SaveFile(dir.filePath("no/such/folder.rtf")));
    EXPECT_EQ(window->windowTitle(), "again");
}

TEST_F(ScriptWindowTest, FollowsTheFrameBothWays) {
    QByteArray lines;
    for (int i = 0; i < 100; ++i)
        lines += "line " + QByteArray::number(i) + "\n";
    lines.chop(1);
    ASSERT_TRUE(window->LoadFile(Write("hundred.txt", lines)));
    window->show();
    QApplication::processEvents();
    ASSERT_EQ(window->LineCount(), 100);

    // 100 lines over 300 frames: frame 150 puts line 50 at the top.
    doc->UpdateViewsAtFrame(150);
    EXPECT_EQ(window->FirstVisibleLine(), 50);
    EXPECT_EQ(window->editor()->verticalScrollBar()->value(), TopOf(50));
    // The user scrolls line 25 to the top: frame 75.
    window->editor()->verticalScrollBar()->setValue(TopOf(25));
    EXPECT_EQ(doc->currentFrame(), 75);
    // ... and the script stays where the user put it.
    EXPECT_EQ(window->FirstVisibleLine(), 25);

    // No scene at the frame: nothing happens either way.
    window->FollowFrame(5000);
    EXPECT_EQ(window->FirstVisibleLine(), 25);
    doc->Reset(false);
    while (doc->root().childCount() > 0)
        doc->root().RemoveChild(0);
    window->editor()->verticalScrollBar()->setValue(TopOf(10));
    EXPECT_EQ(doc->currentFrame(), 0);

    // Hidden, the window does not follow.
    window->hide();
    doc->NewScene(300);
    doc->UpdateViewsAtFrame(270);
    EXPECT_EQ(window->FirstVisibleLine(), 10);
}

TEST_F(ScriptWindowTest, TheDocumentLoadsScriptsAndAsksBeforeLosingThem) {
    const QString script = Write("scene.txt", "Fade in.\nA hall.");
    host.files.push_back(script);
    ASSERT_TRUE(doc->AddScriptCommand(StagePlace{}));
    EXPECT_EQ(Text(), "Fade in.\nA hall.");
    EXPECT_TRUE(window->isVisible());
    ShowFiles files(*doc);
    doc->SetShowPath(dir.filePath("show.shw"));
    ASSERT_TRUE(files.WriteShow(dir.filePath("show.shw")));

    // Reading the show back loads its script track into the window, which shows.
    window->hide();
    window->editor()->clear();
    doc->Reset(false);
    ASSERT_TRUE(files.ReadShow(dir.filePath("show.shw")));
    EXPECT_EQ(Text(), "Fade in.\nA hall.");
    EXPECT_TRUE(window->isVisible());

    // Typed into and the show closed: the question names the script; Yes saves it under a
    // name asked for.
    window->editor()->moveCursor(QTextCursor::End);
    window->editor()->textCursor().insertText("\nCut.");
    host.yesNo = {true};
    host.files.push_back(dir.filePath("kept.rtf"));
    EXPECT_TRUE(files.CloseShow());
    EXPECT_EQ(host.questions.last(), "Save changes to " + script + "?");
    EXPECT_TRUE(Read("kept.rtf").startsWith("{\\rtf1"));
    EXPECT_FALSE(window->modified());
}
