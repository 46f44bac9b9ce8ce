// The show's files through a scripted host: saving and opening, failures that leave things as
// they were, the missing-file lookup, set files, and the questions asked on closing.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>

#include "ScriptedHost.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/ScriptHolder.h"
#include "model/SetFile.h"
#include "model/ShowFiles.h"

using namespace quillon;

namespace {

class ShowFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        profile = std::make_unique<Profile>(dir.filePath("profile.ini"));
        doc = std::make_unique<Document>(*profile, host);
        doc->Reset(true);
        files = std::make_unique<ShowFiles>(*doc);
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    void Touch(const QString& path, const QByteArray& bytes = "x") {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray Bytes(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    ShowNode& Scene(int i = 0) { return *doc->root().children[i]; }
    ShowNode* AddActor(const char* name) {
        auto* a = new ShowNode;
        a->kind = NodeKind::Actor;
        a->SetName(name);
        Scene().AddChild(a, true);
        return a;
    }

    QTemporaryDir dir;
    std::unique_ptr<Profile> profile;
    ScriptedHost host;
    std::unique_ptr<Document> doc;
    std::unique_ptr<ShowFiles> files;
};

struct FakeScript final : ScriptHolder {
    bool Load(const QString& path) override {
        loaded << path;
        return true;
    }
    bool modified() const override { return changed; }
    QString path() const override { return "/scripts/c.rtf"; }
    void Save() override { ++saves; }
    void ToggleShown() override {}
    bool changed = true;
    int saves = 0;
    QStringList loaded;
};

}  // namespace

TEST_F(ShowFilesTest, PromptTexts) {
    host.yesNo = {true, false};
    EXPECT_TRUE(files->AskSave("", "Show File"));
    EXPECT_FALSE(files->AskSave("/x/a.shw", "Show File"));
    files->Confirm();
    EXPECT_EQ(host.questions, QStringList({"Save changes to Show File?",
                                           "Save changes to /x/a.shw?", "Are you sure?"}));
}

TEST_F(ShowFilesTest, SaveAndOpenRoundTrip) {
    doc->captions() = {"one", "two"};
    AddActor("BOB");
    doc->PushUndo(nullptr);
    // Untitled: Save asks for a name first.
    host.files = {Path("show.shw")};
    ASSERT_TRUE(files->SaveShow());
    ASSERT_EQ(host.saveRequests.size(), 1u);
    EXPECT_TRUE(host.saveRequests[0].overwritePrompt);
    EXPECT_EQ(host.saveRequests[0].filter, "Show Files (*.shw)|*.shw|All Files *.*|*.*||");
    EXPECT_FALSE(doc->modified());
    EXPECT_EQ(doc->path(), Path("show.shw"));
    EXPECT_EQ(host.recent.back(), Path("show.shw"));

    Document other(*profile, host);
    ASSERT_TRUE(ShowFiles(other).ReadShow(Path("show.shw")));
    ASSERT_EQ(other.root().childCount(), 1);
    EXPECT_EQ(other.root().children[0]->children.back()->GetName(), "BOB");
    EXPECT_EQ(other.captions(), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(other.projectFolder(), dir.path() + "/");
    EXPECT_EQ(other.currentFrame(), 0);
    EXPECT_EQ(other.undoCount(), 0);
}

TEST_F(ShowFilesTest, UnreadableFilesLeaveTheShowAlone) {
    AddActor("BOB");
    Touch(Path("junk.shw"), QByteArray(1000, '\x55'));
    EXPECT_FALSE(files->ReadShow(Path("junk.shw")));
    EXPECT_FALSE(files->ReadShow(Path("missing.shw")));
    EXPECT_EQ(host.messages, QStringList({"Couldn't read file", "Couldn't read file"}));
    EXPECT_EQ(Scene().childCount(), 5);
}

TEST_F(ShowFilesTest, FailedSaveKeepsTheOldFileAndTheModifiedFlag) {
    doc->SetShowPath(Path("keep.shw"));
    ASSERT_TRUE(files->WriteShow(Path("keep.shw")));
    const QByteArray before = Bytes(Path("keep.shw"));

    AddActor("BOB");
    doc->PushUndo(nullptr);
    // A folder in the way of the file: the write fails and the message appears.
    QDir().mkpath(Path("blocked.shw"));
    doc->SetShowPath(Path("blocked.shw"));
    EXPECT_FALSE(files->WriteShow(Path("blocked.shw")));
    EXPECT_EQ(host.messages.back(), "Couldn't write file");
    EXPECT_TRUE(doc->modified());
    EXPECT_TRUE(QFileInfo(Path("blocked.shw")).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QStringList() << ".blocked*").size(), 0);
    EXPECT_EQ(Bytes(Path("keep.shw")), before);
}

TEST_F(ShowFilesTest, LookupFileFindsMovedFiles) {
    Touch(Path("project/pic.bmp"));
    Touch(Path("project/PIC.bmp"));
    doc->SetProjectFolderFromFile(Path("project/anything.shw"));
    EXPECT_EQ(profile->GetString("Project", "Folder", "\\"), Path("project/"));

    // Found by their bare names in the project folder, whatever folder or system they name.
    const std::pair<QString, QString> found[] = {
        {Path("gone/folder/pic.bmp"), Path("project/pic.bmp")},
        {"C:\\OLD\\PIC.bmp", Path("project/PIC.bmp")},
        {"D:PIC.bmp", Path("project/PIC.bmp")},
    };
    for (const auto& [stored, resolved] : found) {
        QString p = stored;
        EXPECT_TRUE(files->LookupFile(NodeKind::Actor, p)) << stored.toStdString();
        EXPECT_EQ(p, resolved);
    }
    EXPECT_TRUE(host.missing.isEmpty());
    EXPECT_FALSE(doc->modified());

    // Not found: the dialog is offered; No leaves the path.
    QString p = Path("nowhere/x.wav");
    EXPECT_FALSE(files->LookupFile(NodeKind::SoundTrack, p));
    EXPECT_EQ(p, Path("nowhere/x.wav"));
    ASSERT_EQ(host.missing.size(), 1);
    EXPECT_EQ(host.status.front(), "Looking for: " + Path("nowhere/x.wav"));
    EXPECT_EQ(host.status.back(), "");
    EXPECT_FALSE(doc->modified());

    // Yes and a chosen file: the path changes, the show is modified, the folder follows.
    Touch(Path("elsewhere/x.wav"));
    host.findMissing = {true};
    host.files = {Path("elsewhere/x.wav")};
    EXPECT_TRUE(files->LookupFile(NodeKind::SoundTrack, p));
    EXPECT_EQ(p, Path("elsewhere/x.wav"));
    EXPECT_TRUE(doc->modified());
    EXPECT_EQ(doc->projectFolder(), Path("elsewhere/"));
}

TEST_F(ShowFilesTest, TheFileDialogOfAMissingFileFollowsItsKind) {
    const struct {
        NodeKind kind;
        const char* extension;
        const char* filterStart;
    } cases[] = {
        {NodeKind::Actor, "bmp", "All Graphics Files |"},
        {NodeKind::Movie, "avi", "AVI Movie Files (*.avi)|*.avi|All Files *.*|*.*||"},
        {NodeKind::SoundTrack, "wav", "Wave Audio Files (*.wav)|*.wav|All Files *.*|*.*||"},
        {NodeKind::Scene, "set", "Set Files (*.set)|*.set|All Files *.*|*.*||"},
        {NodeKind::Script, "", "All Files *.*|*.*||"},
    };
    for (const auto& c : cases) {
        host.findMissing = {true};
        QString p = Path("nowhere/thing.x");
        EXPECT_FALSE(files->LookupFile(c.kind, p));
        ASSERT_FALSE(host.openRequests.empty());
        EXPECT_EQ(host.openRequests.back().defaultExtension, c.extension);
        EXPECT_TRUE(host.openRequests.back().filter.startsWith(c.filterStart))
            << host.openRequests.back().filter.toStdString();
        EXPECT_EQ(host.openRequests.back().initialName, "thing.x");
    }
}

TEST_F(ShowFilesTest, ShowFoundBesideItsMovedFiles) {
    // A show and its set written in one folder, then moved together elsewhere.
    ShowNode& scene = Scene();
    scene.set = std::make_unique<Set>();
    scene.set->AddPanel(SetPanel{});
    host.files = {Path("a/stage.set")};
    QDir().mkpath(Path("a"));
    ASSERT_TRUE(files->SaveSet(&scene, SetName::kAsk));
    doc->SetShowPath(Path("a/show.shw"));
    ASSERT_TRUE(files->WriteShow(Path("a/show.shw")));
    ASSERT_TRUE(QDir().rename(Path("a"), Path("b")));

    Document other(*profile, host);
    ASSERT_TRUE(ShowFiles(other).ReadShow(Path("b/show.shw")));
    EXPECT_TRUE(host.missing.isEmpty());
    const ShowNode& s = *other.root().children[0];
    EXPECT_EQ(QString::fromStdString(s.GetFileName()), Path("b/stage.set"));
    ASSERT_NE(s.set, nullptr);
    EXPECT_EQ(s.set->panelCount(), 1);
}

TEST_F(ShowFilesTest, OnlyDirtySetsAreWrittenWithTheShow) {
    ShowNode& scene = Scene();
    scene.set = std::make_unique<Set>();
    scene.set->AddPanel(SetPanel{});
    scene.SetFileName(Path("s.set").toStdString());
    doc->SetShowPath(Path("s.shw"));
    scene.set->dirty = 0;
    ASSERT_TRUE(files->WriteShow(Path("s.shw")));
    EXPECT_FALSE(QFile::exists(Path("s.set")));
    scene.set->dirty = 1;
    ASSERT_TRUE(files->WriteShow(Path("s.shw")));
    EXPECT_EQ(scene.set->dirty, 0);
    EXPECT_EQ(QFileInfo(Path("s.set")).size(), 1 + 188);

    // A set that cannot be written says so and stays dirty.
    QDir().mkpath(Path("setdir.set"));
    scene.SetFileName(Path("setdir.set").toStdString());
    scene.set->dirty = 1;
    ASSERT_TRUE(files->WriteShow(Path("s.shw")));
    EXPECT_EQ(host.messages.back(), "Couldn't write SET file");
    EXPECT_EQ(scene.set->dirty, 1);
}

TEST_F(ShowFilesTest, ReadSetAppendsAndNotesMovedPictures) {
    Touch(Path("proj/wall.tga"));
    doc->SetProjectFolderFromFile(Path("proj/x"));
    SetPanel a, b;
    std::strcpy(a.imagePath, "C:\\ART\\wall.tga");
    std::strcpy(b.imagePath, "abcd");  // shorter than 5 characters: no picture
    b.textureSlot = 12;
    ASSERT_TRUE(WriteSetFile(Path("one.set").toStdString(), {a}));
    ASSERT_TRUE(WriteSetFile(Path("two.set").toStdString(), {b, b}));

    Set set;
    ASSERT_TRUE(files->ReadSet(set, Path("one.set"), SetLoad::kReplace, FileLookup::kLookUp));
    ASSERT_EQ(set.panelCount(), 1);
    EXPECT_EQ(std::string(set.panels[0].imagePath), Path("proj/wall.tga").toStdString());
    EXPECT_EQ(set.dirty, 1);  // found elsewhere: the set must be saved with the new path
    EXPECT_EQ(set.panels[0].textureSlot, -1);  // no picture loader here

    ASSERT_TRUE(files->ReadSet(set, Path("two.set"), SetLoad::kAppend, FileLookup::kLookUp));
    ASSERT_EQ(set.panelCount(), 3);
    EXPECT_EQ(std::string(set.panels[0].imagePath), Path("proj/wall.tga").toStdString());
    EXPECT_EQ(set.panels[2].textureSlot, -1);
    EXPECT_EQ(set.path, Path("two.set").toStdString());
    EXPECT_EQ(set.dirty, 0);

    // A file that cannot be opened changes nothing.
    EXPECT_FALSE(files->ReadSet(set, Path("none.set"), SetLoad::kReplace, FileLookup::kAsStored));
    EXPECT_EQ(set.panelCount(), 3);

    // Open Set puts the set's path into the scene; New Set asks first.
    ShowNode& scene = Scene();
    ASSERT_TRUE(files->OpenSet(&scene, SetLoad::kReplace, Path("two.set")));
    EXPECT_EQ(scene.GetFileName(), Path("two.set").toStdString());
    EXPECT_EQ(scene.set->panelCount(), 2);
    host.yesNo = {false, true};
    files->NewSet(&scene);
    EXPECT_EQ(scene.set->panelCount(), 2);
    files->NewSet(&scene);
    EXPECT_EQ(scene.set->panelCount(), 0);
    EXPECT_EQ(scene.GetFileName(), "");
}

TEST_F(ShowFilesTest, ClosePromptsInOrderAndACancelledSaveKeepsTheShow) {
    FakeScript script;
    doc->SetScriptHolder(&script);
    Scene().set = std::make_unique<Set>();
    Scene().set->path = "/sets/a.set";
    Scene().set->dirty = 1;
    doc->PushUndo(nullptr);
    doc->SetShowPath("/shows/b.shw");
    EXPECT_TRUE(files->CloseShow());  // No to everything
    EXPECT_EQ(host.questions,
              QStringList({"Save changes to /sets/a.set?", "Save changes to /shows/b.shw?",
                           "Save changes to /scripts/c.rtf?"}));
    EXPECT_EQ(script.saves, 0);

    // Yes to the show of an untitled show, and its name dialog cancelled: the caller keeps it.
    host.questions.clear();
    Scene().set->dirty = 0;
    doc->SetShowPath(QString());
    host.yesNo = {true};
    EXPECT_FALSE(files->CloseShow());
    EXPECT_EQ(host.questions, QStringList({"Save changes to Show File?"}));
    EXPECT_TRUE(doc->modified());

    // Yes to a script: it is saved.
    doc->SetModified(false);
    host.yesNo = {true};
    EXPECT_TRUE(files->CloseShow());
    EXPECT_EQ(script.saves, 1);
}

TEST_F(ShowFilesTest, AFailedOpenSaysWhyAndStaysOutOfTheRecentFiles) {
    doc->SetShowPath(Path("good.shw"));
    ASSERT_TRUE(files->WriteShow(Path("good.shw")));
    host.recent.clear();
    Touch(Path("junk.shw"), QByteArray("\x07 not a show"));
    Touch(Path("empty.shw"), QByteArray());
    Touch(Path("short.shw"), QByteArray("\x03\x01\x00", 3));
    const std::pair<QString, QString> failures[] = {
        {Path("junk.shw"), "not a show file"},
        {Path("empty.shw"), "empty"},
        {Path("short.shw"), "truncated at byte 3"},
        {Path("none.shw"), "No such file"},
    };
    for (const auto& [path, reason] : failures) {
        host.files = {path};
        files->OpenShow();
        EXPECT_EQ(host.messages.back(), "Couldn't read file");
        EXPECT_TRUE(host.details.back().startsWith(path)) << host.details.back().toStdString();
        EXPECT_TRUE(host.details.back().contains(reason)) << host.details.back().toStdString();
    }
    EXPECT_TRUE(host.recent.isEmpty());
    host.files = {Path("good.shw")};
    files->OpenShow();
    EXPECT_EQ(host.recent, QStringList({Path("good.shw")}));
    EXPECT_TRUE(files->OpenShowFile(Path("good.shw")));
    EXPECT_FALSE(files->OpenShowFile(Path("junk.shw")));
    EXPECT_EQ(host.recent, QStringList({Path("good.shw"), Path("good.shw")}));
}

TEST_F(ShowFilesTest, FilesInHiddenFoldersAreLoaded) {
    // A name whose display name is empty (cut at the "." of ".hidden") is still a file.
    const QString folder = Path(".hidden/show");
    QDir().mkpath(folder);
    SetPanel panel;
    ASSERT_TRUE(WriteSetFile((folder + "/stage.set").toStdString(), {panel, panel}));
    Scene().SetFileName((folder + "/stage.set").toStdString());
    doc->SetShowPath(folder + "/x.shw");
    ASSERT_TRUE(files->WriteShow(folder + "/x.shw"));
    Document other(*profile, host);
    ASSERT_TRUE(ShowFiles(other).ReadShow(folder + "/x.shw"));
    ASSERT_NE(other.root().children[0]->set, nullptr);
    EXPECT_EQ(other.root().children[0]->set->panelCount(), 2);
}

TEST_F(ShowFilesTest, ABareNameFoundBesideTheShowLeavesItsSetUnchanged) {
    Touch(Path("show/wall.tga"));
    SetPanel bare, moved;
    std::strcpy(bare.imagePath, "wall.tga");
    std::strcpy(moved.imagePath, "/gone/art/wall.tga");
    const struct {
        SetPanel panel;
        uint8_t dirty;
    } cases[] = {{bare, 0}, {moved, 1}};
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteSetFile(Path("show/stage.set").toStdString(), {c.panel}));
        Scene().SetFileName("stage.set");
        doc->SetShowPath(Path("show/x.shw"));
        ASSERT_TRUE(files->WriteShow(Path("show/x.shw")));
        Document other(*profile, host);
        ASSERT_TRUE(ShowFiles(other).ReadShow(Path("show/x.shw")));
        const Set& set = *other.root().children[0]->set;
        EXPECT_EQ(std::string(set.panels[0].imagePath), Path("show/wall.tga").toStdString());
        EXPECT_EQ(set.dirty, c.dirty) << c.panel.imagePath;
        EXPECT_FALSE(other.modified());
    }
}
