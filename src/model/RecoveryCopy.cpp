#include "RecoveryCopy.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSysInfo>
#include <cerrno>
#include <cstring>
#include <vector>

#include "DurableFile.h"
#include "RecoveryIndex.h"
#include "RecoveryStore.h"

namespace quillon {

namespace {

std::string Native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString SystemReason() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Locks the copy's lock file for this process; -1 when another process holds it or it cannot
// be opened.
int LockFolder(const QString& folder) {
    const int fd = ::open(Native(folder + QStringLiteral("/lock")).c_str(),
                          O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Writes one file of the copy and describes it for the index. Once a write failed the rest
// are skipped; *why says what failed.
RecoveryFile WriteOne(const QString& folder, const QString& name, std::string_view bytes, bool* ok,
                      QString* why) {
    RecoveryFile f{name, qint64(bytes.size()),
                   QCryptographicHash::hash(QByteArrayView(bytes.data(), qsizetype(bytes.size())),
                                            QCryptographicHash::Sha256)
                       .toHex()};
    if (*ok && !WriteFileAtomically(Native(folder + u'/' + name), bytes)) {
        *ok = false;
        *why = QStringLiteral("cannot write ") + folder + u'/' + name + QStringLiteral(": ") +
               SystemReason();
    }
    return f;
}

}  // namespace

RecoveryCopy::RecoveryCopy(QString storeFolder) : store_(std::move(storeFolder)) {}

RecoveryCopy::~RecoveryCopy() {
    Release();
}

void RecoveryCopy::Release() {
    if (lockFd_ >= 0) ::close(lockFd_);
    lockFd_ = -1;
    id_.clear();
    folder_.clear();
    generation_ = 0;
}

bool RecoveryCopy::MakeFolder(QString* why) {
    if (!QDir().mkpath(store_)) {
        *why = QStringLiteral("cannot make the recovery folder ") + store_;
        return false;
    }
    ::chmod(Native(store_).c_str(), 0700);
    // Made under a hidden name, locked, then renamed into place: nobody lists a copy that is
    // not yet locked by its owner.
    std::string tmpl = Native(store_ + QStringLiteral("/.new-XXXXXX"));
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) {
        *why = QStringLiteral("cannot write in the recovery folder: ") + SystemReason();
        return false;
    }
    const QString made = QFile::decodeName(name.data());
    const int fd = LockFolder(made);
    const QString id =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss")) +
        QStringLiteral("-%1-%2")
            .arg(::getpid())
            .arg(QRandomGenerator::global()->generate() & 0xFFFF, 4, 16, QLatin1Char('0'));
    const QString folder = store_ + u'/' + id;
    if (fd < 0 || ::rename(name.data(), Native(folder).c_str()) != 0) {
        *why = QStringLiteral("cannot write in the recovery folder: ") + SystemReason();
        if (fd >= 0) ::close(fd);
        QDir(made).removeRecursively();
        return false;
    }
    SyncFolder(Native(store_));
    lockFd_ = fd;
    id_ = id;
    folder_ = folder;
    generation_ = 0;
    return true;
}

bool RecoveryCopy::Write(const RecoverySnapshot& snapshot, QString* why) {
    QString reason;
    // A folder removed behind our back (by hand) is made anew.
    if (exists() && !QDir(folder_).exists()) Release();
    if (!exists() && !MakeFolder(&reason)) {
        if (why) *why = reason;
        return false;
    }
    const qint64 generation = generation_ + 1;
    RecoveryIndex index;
    index.showPath = snapshot.showPath;
    index.time = snapshot.time.isValid() ? snapshot.time : QDateTime::currentDateTimeUtc();
    index.pid = ::getpid();
    index.host = QSysInfo::machineHostName();
    index.generation = generation;
    bool ok = true;
    index.show = WriteOne(folder_, QStringLiteral("show-%1.shw").arg(generation), snapshot.show,
                          &ok, &reason);
    // Every set in one file: one flush to disk instead of one per set.
    std::string sets;
    for (const RecoverySnapshot::SetBytes& s : snapshot.sets) {
        index.setList.push_back({s.scene, s.path, qint64(sets.size()), qint64(s.bytes.size())});
        sets += s.bytes;
    }
    if (!snapshot.sets.empty())
        index.sets =
            WriteOne(folder_, QStringLiteral("sets-%1.bin").arg(generation), sets, &ok, &reason);
    const QByteArray json = index.ToJson();
    WriteOne(folder_, QStringLiteral("index.json"),
             std::string_view(json.constData(), size_t(json.size())), &ok, &reason);
    // Whatever is not the generation in force goes: older generations, a half-made newer one,
    // a note that a start-up question was declined.
    QStringList keep{QStringLiteral("index.json"), QStringLiteral("lock")};
    if (ok) {
        generation_ = generation;
        keep << index.show.name << index.sets.name;
    } else {
        keep << QStringLiteral("*");
    }
    if (ok) {
        for (const QString& name : QDir(folder_).entryList(QDir::Files | QDir::Hidden))
            if (!keep.contains(name)) QFile::remove(folder_ + u'/' + name);
        SyncFolder(Native(folder_));
    } else if (why) {
        *why = reason;
    }
    return ok;
}

void RecoveryCopy::Remove() {
    if (!exists()) return;
    QDir(folder_).removeRecursively();
    SyncFolder(Native(store_));
    Release();
}

bool RecoveryCopy::Adopt(const QString& id) {
    if (id.isEmpty() || id.contains(u'/')) return false;
    const QString folder = store_ + u'/' + id;
    const int fd = LockFolder(folder);
    if (fd < 0) return false;
    Release();
    lockFd_ = fd;
    id_ = id;
    folder_ = folder;
    if (auto entry = RecoveryStore(store_).Find(id); entry && entry->hasIndex)
        generation_ = entry->index.generation;
    QFile::remove(folder + QStringLiteral("/declined"));
    return true;
}

}  // namespace quillon
