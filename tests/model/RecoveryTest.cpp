// Recovery copies: what a copy holds and how it comes back, when copies go away, two processes
// on one show, damaged and foreign entries, and a writer killed in the middle of a copy.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <random>
#include <thread>

#include "ScriptedHost.h"
#include "model/Autosave.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/RecoveryCopy.h"
#include "model/RecoveryStore.h"
#include "model/SetFile.h"
#include "model/ShowFile.h"
#include "model/ShowFiles.h"

using namespace quillon;
using State = RecoveryEntry::State;

namespace {

class RecoveryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        profile = std::make_unique<Profile>(dir.filePath("profile.ini"));
        doc = NewDocument();
    }
    std::unique_ptr<Document> NewDocument() {
        auto d = std::make_unique<Document>(*profile, host);
        d->Reset(true);
        return d;
    }
    QString Store() const { return dir.filePath("state/quillon/recovery"); }
    static void Write(const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray Read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    // A saved two-scene show whose first scene has a saved set, then an edit of show and set.
    void MakeEditedShow() {
        doc->NewScene(120);
        SetPanel wall;
        wall.cornerUpDown[0] = wall.cornerUpDown[1] = 0.48f;
        auto& set = doc->root().children[0]->set;
        set = std::make_unique<Set>();
        set->AddPanel(wall);
        ShowFiles files(*doc);
        ASSERT_TRUE(files.WriteSet(*set, dir.filePath("a.set")));
        doc->root().children[0]->SetFileName(dir.filePath("a.set").toStdString());
        doc->SetShowPath(dir.filePath("a.shw"));
        ASSERT_TRUE(files.WriteShow(dir.filePath("a.shw")));
        // The edits: a caption and a moved panel corner.
        doc->captions().push_back("edited");
        doc->SetModified(true);
        set->panels[0].cornerEastWest[1] = 0.75f;
        set->dirty = 1;
    }
    std::vector<RecoveryEntry> List() const { return RecoveryStore(Store()).List(); }

    QTemporaryDir dir;
    ScriptedHost host;
    std::unique_ptr<Profile> profile;
    std::unique_ptr<Document> doc;
};

}  // namespace

TEST_F(RecoveryTest, CopyComesBackAsTheEditedShowUntitledAndModified) {
    MakeEditedShow();
    const std::string edited = SerializeShow(doc->root(), doc->captions());
    {
        Autosave autosave(*doc, Store());
        autosave.Tick();
        autosave.Wait();
        ASSERT_TRUE(autosave.lastTiming().ok) << autosave.lastTiming().error.toStdString();
        // Nothing changed since: nothing written; a change, even unannounced, is written.
        autosave.Tick();
        autosave.Wait();
        EXPECT_EQ(autosave.lastTiming().writes, 1);
        doc->captions().push_back("and more");
        autosave.Tick();
        autosave.Wait();
        EXPECT_EQ(autosave.lastTiming().writes, 2);
        doc->captions().pop_back();
        autosave.Tick();
        autosave.Wait();
        // While its owner lives the copy is in use, and nothing of the user's files changed.
        const auto live = List();
        ASSERT_EQ(live.size(), 1u);
        EXPECT_EQ(live[0].state, State::kInUse);
        EXPECT_NE(Read(dir.filePath("a.shw")).toStdString(), edited);
    }
    // Its owner gone (a crash leaves the same), the copy is whole and offered.
    const auto offered = RecoveryStore(Store()).Offered();
    ASSERT_EQ(offered.size(), 1u);
    const RecoveryEntry& e = offered[0];
    EXPECT_EQ(e.state, State::kReady);
    EXPECT_EQ(e.index.showPath, dir.filePath("a.shw"));
    EXPECT_EQ(e.title(), "a.shw");
    EXPECT_EQ(e.index.pid, getpid());
    ASSERT_EQ(e.index.setList.size(), 1u);
    EXPECT_EQ(e.index.setList[0].path, dir.filePath("a.set"));

    auto other = NewDocument();
    ASSERT_TRUE(ShowFiles(*other).RecoverShow(e.ToRecovered()));
    EXPECT_EQ(SerializeShow(other->root(), other->captions()), edited);
    EXPECT_TRUE(other->modified());
    EXPECT_TRUE(other->path().isEmpty());
    EXPECT_EQ(other->WindowTitle(), "Quillon");
    EXPECT_EQ(other->suggestedPath(), dir.filePath("a.shw"));
    const Set& set = *other->root().children[0]->set;
    EXPECT_EQ(set.panels[0].cornerEastWest[1], 0.75f);
    EXPECT_EQ(set.path, dir.filePath("a.set").toStdString());
    EXPECT_EQ(set.dirty, 1);
    // Save offers the old name; nothing was written over the user's set.
    host.files.push_back(dir.filePath("b.shw"));
    ASSERT_TRUE(ShowFiles(*other).SaveShow());
    EXPECT_EQ(host.saveRequests.back().initialName, dir.filePath("a.shw"));
    EXPECT_EQ(Read(dir.filePath("b.shw")).toStdString(), edited);
}

TEST_F(RecoveryTest, CopiesGoWhenNothingIsUnsavedAndNeverTakeAnothersCopy) {
    struct Case {
        const char* what;
        std::function<void(Autosave&, Document&)> then;
        size_t copiesLeft;
    };
    const Case cases[] = {
        {"still modified", [](Autosave& a, Document&) { a.Check(); }, 1},
        {"saved", [](Autosave& a, Document& d) { d.SetModified(false), a.Check(); }, 0},
        {"saved, seen at the next tick",
         [](Autosave& a, Document& d) { d.SetModified(false), a.Tick(); }, 0},
        {"closed cleanly", [](Autosave& a, Document&) { a.Discard(); }, 0},
    };
    for (const Case& c : cases) {
        QDir(Store()).removeRecursively();
        doc->SetModified(true);
        Autosave autosave(*doc, Store());
        autosave.Tick();
        c.then(autosave, *doc);
        autosave.Wait();
        EXPECT_EQ(List().size(), c.copiesLeft) << c.what;
    }
    // Two Quillons on one show: two copies, and neither goes with the other.
    doc->SetModified(true);
    auto second = NewDocument();
    second->SetModified(true);
    Autosave a(*doc, Store()), b(*second, Store());
    a.Tick();
    b.Tick();
    a.Wait();
    b.Wait();
    ASSERT_EQ(List().size(), 2u);
    EXPECT_NE(a.copyId(), b.copyId());
    QString why;
    EXPECT_FALSE(RecoveryStore(Store()).Remove(b.copyId(), &why));
    EXPECT_EQ(why, "a running Quillon keeps this copy");
    EXPECT_FALSE(RecoveryCopy(Store()).Adopt(b.copyId()));
    a.Discard();
    a.Wait();
    ASSERT_EQ(List().size(), 1u);
    EXPECT_EQ(List()[0].id, b.copyId());
}

TEST_F(RecoveryTest, DamagedAndForeignEntriesAreListedNeverRecovered) {
    doc->SetModified(true);
    QString good;
    {
        Autosave autosave(*doc, Store());
        autosave.Tick();
        autosave.Wait();
        good = autosave.copyId();
    }
    const QString goodFolder = Store() + "/" + good;
    const QByteArray index = Read(goodFolder + "/index.json");
    const QString showName = QDir(goodFolder).entryList({"show-*"}).value(0);
    const QByteArray show = Read(goodFolder + "/" + showName);
    auto copyWith = [&](const QString& id, const QString& file, const QByteArray& bytes) {
        QDir().mkpath(Store() + "/" + id);
        Write(Store() + "/" + id + "/index.json", index);
        Write(Store() + "/" + id + "/" + showName, show);
        Write(Store() + "/" + id + "/" + file, bytes);
    };
    struct Case {
        const char* id;
        std::function<void()> make;
        const char* damage;
    };
    QByteArray altered = show;
    altered[300] = char(altered[300] ^ 1);
    const Case cases[] = {
        {"a-stray-file", [&] { Write(Store() + "/a-stray-file", "hello"); }, "not a recovery copy"},
        {"b-empty", [&] { QDir().mkpath(Store() + "/b-empty"); }, "no index"},
        {"c-garbage-index", [&] { copyWith("c-garbage-index", "index.json", "{not json"); },
         "the index is not JSON"},
        {"d-other-format", [&] { copyWith("d-other-format", "index.json", R"({"format": 7})"); },
         "the index is of an unknown format"},
        {"e-truncated", [&] { copyWith("e-truncated", showName, show.left(100)); },
         "has the wrong size"},
        {"f-altered", [&] { copyWith("f-altered", showName, altered); },
         "does not match its checksum"},
        {"g-no-show",
         [&] { copyWith("g-no-show", "x", ""), QFile::remove(Store() + "/g-no-show/" + showName); },
         "is missing"},
        {"h-set-outside",
         [&] {
             QByteArray bad = index;
             bad.replace("\"sets\": [\n    ]",
                         R"("sets": [{"scene": 0, "offset": 10, "bytes": 500}], )"
                         R"("setsFile": {"file": "sets-1.bin", "bytes": 100, "sha256": ")" +
                             QByteArray(64, '0') + "\"}");
             copyWith("h-set-outside", "index.json", bad);
         },
         "the index names a set badly"},
        {"i-no-sets-file",
         [&] {
             QByteArray bad = index;
             bad.replace("\"sets\": [\n    ]",
                         R"("sets": [{"scene": 0, "offset": 0, "bytes": 1}])");
             copyWith("i-no-sets-file", "index.json", bad);
         },
         "the index names no sets file"},
    };
    for (const Case& c : cases)
        c.make();
    const auto entries = List();
    ASSERT_EQ(entries.size(), std::size(cases) + 1);
    EXPECT_EQ(entries[0].id, good);  // the whole copy first (newest with an index)
    EXPECT_EQ(entries[0].state, State::kReady);
    for (const Case& c : cases) {
        const auto e = RecoveryStore(Store()).Find(c.id);
        ASSERT_TRUE(e) << c.id;
        EXPECT_EQ(e->state, State::kDamaged) << c.id;
        EXPECT_TRUE(e->damage.contains(c.damage)) << c.id << ": " << e->damage.toStdString();
    }
    EXPECT_EQ(RecoveryStore(Store()).Offered().size(), 1u);
    for (const Case& c : cases)
        EXPECT_TRUE(RecoveryStore(Store()).Remove(c.id)) << c.id;
    EXPECT_FALSE(RecoveryStore(Store()).Remove("../state"));
    EXPECT_EQ(List().size(), 1u);
}

TEST_F(RecoveryTest, OnlyCopiesNewerThanTheirShowAndNotDeclinedAreOffered) {
    doc->SetShowPath(dir.filePath("s.shw"));
    doc->SetModified(true);
    {
        Autosave autosave(*doc, Store());
        autosave.Tick();
    }
    RecoveryStore store(Store());
    const QString id = store.List().at(0).id;
    EXPECT_EQ(store.Offered().size(), 1u);  // the show was never written: nothing to be older
    Write(dir.filePath("s.shw"), "saved later");
    QFile(dir.filePath("s.shw"))
        .setFileTime(QDateTime::currentDateTimeUtc().addSecs(60),
                     QFileDevice::FileModificationTime);
    EXPECT_TRUE(store.Offered().empty());
    EXPECT_EQ(store.List().size(), 1u);  // still listed for the menu
    QFile::remove(dir.filePath("s.shw"));
    ASSERT_TRUE(store.Decline(id));
    EXPECT_TRUE(store.Offered().empty());
    EXPECT_TRUE(store.List().at(0).declined);
    // Recovered and adopted, the copy is this process's again and asked about after a crash.
    {
        RecoveryCopy copy(Store());
        ASSERT_TRUE(copy.Adopt(id));
        EXPECT_EQ(store.List().at(0).state, State::kInUse);
    }
    EXPECT_EQ(store.Offered().size(), 1u);
}

TEST_F(RecoveryTest, WriterKilledMidCopyLeavesTheLastWholeCopy) {
    RecoverySnapshot small{.showPath = "/shows/k.shw", .time = QDateTime::currentDateTimeUtc()};
    small.show = SerializeShow(doc->root(), doc->captions());
    for (int i = 0; i < 50; ++i)
        doc->NewScene(10);
    RecoverySnapshot large = small;
    large.show = SerializeShow(doc->root(), doc->captions());
    large.sets.push_back({3, "/sets/k.set", std::string(200001, 'p')});
    std::mt19937 random(5);
    for (int round = 0; round < 8; ++round) {
        QDir(Store()).removeRecursively();
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RecoveryCopy copy(Store());
            for (int i = 0;; ++i)
                copy.Write(i % 2 ? small : large, nullptr);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(6000 + random() % 30000));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const auto entries = List();
        ASSERT_EQ(entries.size(), 1u) << "round " << round;
        if (entries[0].damage == "no index") continue;  // killed before its first copy
        ASSERT_EQ(entries[0].state, State::kReady) << entries[0].damage.toStdString();
        const std::string held =
            Read(entries[0].folder + "/" + entries[0].index.show.name).toStdString();
        EXPECT_TRUE(held == small.show || held == large.show) << "round " << round;
        ASSERT_EQ(entries[0].index.setList.size(), held == large.show ? 1u : 0u);
        if (held == large.show) {
            EXPECT_EQ(entries[0].ToRecovered().sets.at(0).bytes, large.sets[0].bytes);
        }
    }
}

TEST_F(RecoveryTest, UnwritableFolderIsReportedAndTriedAgain) {
    Write(dir.filePath("blocked"), "a file where the folder should be");
    doc->SetModified(true);
    Autosave autosave(*doc, dir.filePath("blocked/recovery"));
    autosave.Tick();
    autosave.Wait();
    EXPECT_FALSE(autosave.lastTiming().ok);
    EXPECT_TRUE(autosave.lastTiming().error.contains("recovery folder"));
    EXPECT_TRUE(RecoveryStore(dir.filePath("blocked/recovery")).List().empty());
    QFile::remove(dir.filePath("blocked"));
    autosave.Tick();  // nothing changed in the show, but the last write failed
    autosave.Wait();
    EXPECT_TRUE(autosave.lastTiming().ok);
    EXPECT_EQ(autosave.lastTiming().writes, 2);
}

TEST(RecoveryFolder, FollowsXdgStateHome) {
    const QByteArray old = qgetenv("XDG_STATE_HOME");
    const struct {
        const char* value;
        QString expected;
    } cases[] = {
        {"/var/state", "/var/state/quillon/recovery"},
        {"relative/state", QDir::homePath() + "/.local/state/quillon/recovery"},
        {"", QDir::homePath() + "/.local/state/quillon/recovery"},
    };
    for (const auto& c : cases) {
        qputenv("XDG_STATE_HOME", c.value);
        EXPECT_EQ(RecoveryStore::DefaultFolder(), c.expected) << c.value;
    }
    qputenv("XDG_STATE_HOME", old);
}
