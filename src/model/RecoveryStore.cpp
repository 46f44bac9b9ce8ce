#include "RecoveryStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "DurableFile.h"
#include "ShowFile.h"

namespace quillon {

namespace {

constexpr char kIndexName[] = "index.json";
constexpr char kLockName[] = "lock";
constexpr char kDeclinedName[] = "declined";
// An index is a few hundred bytes per set; anything far larger is not one.
constexpr qint64 kMaxIndexBytes = 16 << 20;

// The file named by the index, checked against its size and sum. Empty when whole.
QString CheckFile(const QString& folder, const RecoveryFile& f, QByteArray* bytes) {
    QFile file(folder + u'/' + f.name);
    if (!file.open(QIODevice::ReadOnly)) return f.name + QStringLiteral(" is missing");
    if (file.size() != f.bytes) return f.name + QStringLiteral(" has the wrong size");
    QByteArray data = file.readAll();
    if (data.size() != f.bytes) return f.name + QStringLiteral(" cannot be read");
    if (QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex() != f.sha256)
        return f.name + QStringLiteral(" does not match its checksum");
    if (bytes) *bytes = std::move(data);
    return QString();
}

bool PlainName(const QString& id) {
    return !id.isEmpty() && !id.contains(u'/') && id != u"." && id != u"..";
}

}  // namespace

bool RecoveryCopyInUse(const QString& folder) {
    const QByteArray lock = QFile::encodeName(folder + u'/' + QLatin1String(kLockName));
    const int fd = ::open(lock.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);  // closing drops the shared lock taken to look
    return held;
}

QString RecoveryEntry::title() const {
    if (!hasIndex || index.showPath.isEmpty()) return QStringLiteral("Untitled");
    return QFileInfo(index.showPath).fileName();
}

RecoveredShow RecoveryEntry::ToRecovered() const {
    RecoveredShow r;
    r.showFile = folder + u'/' + index.show.name;
    r.originalPath = index.showPath;
    if (index.setList.empty()) return r;
    QFile file(folder + u'/' + index.sets.name);
    const QByteArray all = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    for (const RecoveryIndex::Set& s : index.setList)
        if (s.offset + s.bytes <= all.size())
            r.sets.push_back({s.scene, all.mid(s.offset, s.bytes).toStdString()});
    return r;
}

RecoveryStore::RecoveryStore(QString folder) : folder_(std::move(folder)) {}

QString RecoveryStore::DefaultFolder() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state)) state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/quillon/recovery");
}

RecoveryEntry RecoveryStore::Read(const QString& id) const {
    RecoveryEntry e;
    e.id = id;
    e.folder = folder_ + u'/' + id;
    const QFileInfo info(e.folder);
    if (!info.isDir() || info.isSymLink()) {
        e.damage = QStringLiteral("not a recovery copy");
        return e;
    }
    const bool inUse = RecoveryCopyInUse(e.folder);
    e.declined = QFileInfo::exists(e.folder + u'/' + QLatin1String(kDeclinedName));
    QFile indexFile(e.folder + u'/' + QLatin1String(kIndexName));
    if (!indexFile.open(QIODevice::ReadOnly)) {
        // A running Quillon between making its folder and writing its first index.
        e.state = inUse ? RecoveryEntry::State::kInUse : RecoveryEntry::State::kDamaged;
        e.damage = QStringLiteral("no index");
        return e;
    }
    if (indexFile.size() > kMaxIndexBytes) {
        e.damage = QStringLiteral("the index is too large");
        return e;
    }
    QString why;
    std::optional<RecoveryIndex> index = RecoveryIndex::FromJson(indexFile.readAll(), &why);
    if (!index) {
        e.damage = why;
        return e;
    }
    e.hasIndex = true;
    e.index = std::move(*index);
    const QFileInfo show(e.index.showPath);
    e.newerThanShow =
        e.index.showPath.isEmpty() || !show.exists() || show.lastModified().toUTC() < e.index.time;
    if (inUse) {
        // Its owner may be rewriting it right now; it is whole again when the owner is done.
        e.state = RecoveryEntry::State::kInUse;
        return e;
    }
    QByteArray showBytes;
    e.damage = CheckFile(e.folder, e.index.show, &showBytes);
    if (e.damage.isEmpty() && !e.index.setList.empty())
        e.damage = CheckFile(e.folder, e.index.sets, nullptr);
    if (e.damage.isEmpty()) {
        ShowFileContents contents;
        if (ReadShowBytes(reinterpret_cast<const unsigned char*>(showBytes.constData()),
                          size_t(showBytes.size()), contents) != ShowReadResult::Ok)
            e.damage = QStringLiteral("the show file is not a show");
    }
    e.state = e.damage.isEmpty() ? RecoveryEntry::State::kReady : RecoveryEntry::State::kDamaged;
    return e;
}

std::vector<RecoveryEntry> RecoveryStore::List() const {
    std::vector<RecoveryEntry> entries;
    const QDir dir(folder_);
    for (const QString& name :
         dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
        entries.push_back(Read(name));
    std::stable_sort(entries.begin(), entries.end(),
                     [](const RecoveryEntry& a, const RecoveryEntry& b) {
                         if (a.hasIndex != b.hasIndex) return a.hasIndex;
                         return a.hasIndex && a.index.time > b.index.time;
                     });
    return entries;
}

std::optional<RecoveryEntry> RecoveryStore::Find(const QString& id) const {
    if (!PlainName(id) || !QFileInfo::exists(folder_ + u'/' + id)) return std::nullopt;
    return Read(id);
}

std::vector<RecoveryEntry> RecoveryStore::Offered() const {
    std::vector<RecoveryEntry> offered;
    for (RecoveryEntry& e : List())
        if (e.state == RecoveryEntry::State::kReady && e.newerThanShow && !e.declined)
            offered.push_back(std::move(e));
    return offered;
}

bool RecoveryStore::Remove(const QString& id, QString* why) const {
    auto fail = [why](const QString& reason) {
        if (why) *why = reason;
        return false;
    };
    if (!PlainName(id)) return fail(QStringLiteral("no such recovery copy"));
    const QString path = folder_ + u'/' + id;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return fail(QStringLiteral("no such recovery copy"));
    if (info.isDir() && !info.isSymLink()) {
        if (RecoveryCopyInUse(path))
            return fail(QStringLiteral("a running Quillon keeps this copy"));
        if (!QDir(path).removeRecursively()) return fail(QStringLiteral("it cannot be removed"));
    } else if (!QFile::remove(path)) {
        return fail(QStringLiteral("it cannot be removed"));
    }
    SyncFolder(QFile::encodeName(folder_).toStdString());
    return true;
}

bool RecoveryStore::Decline(const QString& id) const {
    if (!PlainName(id)) return false;
    return WriteFileAtomically(
        QFile::encodeName(folder_ + u'/' + id + u'/' + QLatin1String(kDeclinedName)).toStdString(),
        std::string_view());
}

}  // namespace quillon
