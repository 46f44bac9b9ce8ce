// Saves that survive being killed: the file holds the old bytes or the new ones, whole, however
// the writer dies; failures leave the old file and no temporary behind. The profile too.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <chrono>
#include <random>
#include <thread>

#include "model/DurableFile.h"
#include "model/Profile.h"

using namespace quillon;

namespace {

std::string Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string("<missing>");
}

QStringList Entries(const QTemporaryDir& dir) {
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

// Runs `writeForever` in a child, kills it with SIGKILL after a random short while and returns
// once it is gone: the writer dies at any point of a save.
void KillWhileWriting(const std::function<void()>& writeForever, std::mt19937& random) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        writeForever();
        _exit(0);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(2000 + random() % 20000));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
}

}  // namespace

TEST(DurableFile, KilledWriterLeavesOldOrNewFileWhole) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("show.shw").toStdString();
    // Two versions of different sizes, so a half file or a mix of both shows.
    const std::string a(300000, 'a'), b(700001, 'b');
    ASSERT_TRUE(WriteFileAtomically(path, a));
    std::mt19937 random(16);
    for (int round = 0; round < 12; ++round) {
        KillWhileWriting(
            [&] {
                for (int i = 0;; ++i)
                    WriteFileAtomically(path, i % 2 ? a : b);
            },
            random);
        const std::string now = Read(QString::fromStdString(path));
        EXPECT_TRUE(now == a || now == b) << "round " << round << ": " << now.size() << " bytes";
    }
}

TEST(DurableFile, KilledProfileWriterLeavesAWholeProfile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("quillon.ini");
    const QString big(20000, u'x'), small(3, u'y');
    {
        Profile p(path);
        p.WriteInt("Stage", "Scale", 1500);
        p.WriteString("Project", "Folder", small);
    }
    std::mt19937 random(7);
    for (int round = 0; round < 12; ++round) {
        KillWhileWriting(
            [&] {
                Profile p(path);
                for (int i = 0;; ++i)
                    p.WriteString("Project", "Folder", i % 2 ? small : big);
            },
            random);
        Profile p(path);
        const QString folder = p.GetString("Project", "Folder", "<none>", 30000);
        EXPECT_TRUE(folder == small || folder == big) << "round " << round;
        EXPECT_EQ(p.GetInt("Stage", "Scale", 0), 1500) << "round " << round;
    }
}

TEST(DurableFile, FailuresLeaveTheOldFileAndNoTemporary) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("set.set").toStdString();
    ASSERT_TRUE(WriteFileAtomically(path, "old"));
    ::chmod(path.c_str(), 0640);
    struct Case {
        const char* what;
        std::string target;
        std::function<bool(std::FILE*)> write;
        AtomicWriteResult expected;
    };
    const Case cases[] = {
        {"writer fails", path, [](std::FILE* f) { return std::fputs("ne", f) >= 0 && false; },
         AtomicWriteResult::WriteFailed},
        {"folder missing", dir.filePath("gone/set.set").toStdString(),
         [](std::FILE*) { return true; }, AtomicWriteResult::CannotCreate},
        {"target is a folder", dir.path().toStdString(), [](std::FILE*) { return true; },
         AtomicWriteResult::WriteFailed},
        {"no name", dir.path().toStdString() + "/", [](std::FILE*) { return true; },
         AtomicWriteResult::CannotCreate},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WriteFileAtomicallyWith(c.target, c.write), c.expected) << c.what;
        EXPECT_EQ(Read(QString::fromStdString(path)), "old") << c.what;
        EXPECT_EQ(Entries(dir), QStringList{"set.set"}) << c.what;
    }
    // A successful save keeps the replaced file's permissions and leaves one file.
    ASSERT_TRUE(WriteFileAtomically(path, "new"));
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(Read(QString::fromStdString(path)), "new");
    EXPECT_EQ(Entries(dir), QStringList{"set.set"});
    EXPECT_TRUE(RemoveFileDurably(path));
    EXPECT_TRUE(RemoveFileDurably(path));  // already gone is fine
    EXPECT_TRUE(Entries(dir).isEmpty());
}
