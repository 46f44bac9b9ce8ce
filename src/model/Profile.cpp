#include "model/Profile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>
#include <limits>

#include "DurableFile.h"

namespace quillon {

namespace {

QString Slot(const QString& section, const QString& key) {
    return section + u'/' + key;
}

// The executable's base name. QCoreApplication gives it from argv[0] once an application
// object exists; the CLI and tests may read the profile before that (or without one at all),
// and then the running image tells.
QString ExecutableName() {
    if (QCoreApplication::instance() != nullptr) {
        const QString name = QCoreApplication::applicationName();
        if (!name.isEmpty()) {
            return name;
        }
    }
    const QString name = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    if (!name.isEmpty()) {
        return QFileInfo(name).baseName();
    }
    return QStringLiteral("quillon");
}

// Reads an integer the way a hand-edited INI line deserves: leading blanks, an optional sign
// and decimal digits; anything after the digits is ignored, text without digits gives 0, and
// numbers beyond the int range are clamped to it.
int ToInt(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace()) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int>::max()} + 1;
    int64_t value = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
        if (value <= kLimit) {
            value = value * 10 + (text[i].unicode() - u'0');
        }
        ++i;
    }
    if (negative) {
        value = -value;
    }
    if (value > std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    if (value < std::numeric_limits<int>::min()) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(value);
}

// QSettings turns an unquoted value with commas into a list; a hand-edited line such as
// "Folder=/a,b/" is given back as written (less the blanks QSettings trimmed).
QString ToText(const QVariant& value) {
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(u',');
    }
    return value.toString();
}

}  // namespace

Profile::Profile(const QString& path)
    : settings_(std::make_unique<QSettings>(path.isEmpty() ? DefaultPath() : path,
                                            QSettings::IniFormat)) {
    // Never write the file in place, not even in a folder where no temporary file can be made:
    // a kill in the middle must leave the whole old profile.
    settings_->setAtomicSyncRequired(true);
}

Profile::~Profile() = default;

QString Profile::DefaultPath() {
    const QString fromEnvironment = qEnvironmentVariable("QUILLON_PROFILE");
    if (!fromEnvironment.isEmpty()) {
        return fromEnvironment;
    }
    return QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) + u'/' +
           ExecutableName() + QStringLiteral(".ini");
}

QString Profile::path() const {
    return settings_->fileName();
}

int Profile::GetInt(const QString& section, const QString& key, int defaultValue) const {
    const QVariant value = settings_->value(Slot(section, key));
    if (!value.isValid()) {
        return defaultValue;
    }
    return ToInt(ToText(value));
}

void Profile::WriteInt(const QString& section, const QString& key, int value) {
    settings_->setValue(Slot(section, key), value);
    Flush();
}

QString Profile::GetString(const QString& section, const QString& key, const QString& defaultValue,
                           int size) const {
    const QVariant value = settings_->value(Slot(section, key));
    QString text = value.isValid() ? ToText(value) : defaultValue;
    if (size <= 0) {
        return QString();
    }
    if (text.size() > size - 1) {
        text.truncate(size - 1);
        // Never leave half of a surrogate pair at the end.
        if (!text.isEmpty() && text.back().isHighSurrogate()) {
            text.chop(1);
        }
    }
    return text;
}

void Profile::WriteString(const QString& section, const QString& key, const QString& text) {
    settings_->setValue(Slot(section, key), text);
    Flush();
}

bool Profile::Flush() {
    // QSettings saves through a temporary file that is flushed to disk and renamed over the
    // profile (QSaveFile); what it leaves to us is the folder entry of that rename.
    settings_->sync();
    if (settings_->status() != QSettings::NoError) return false;
    return SyncFolderOf(QFile::encodeName(settings_->fileName()).toStdString());
}

bool Profile::Contains(const QString& section, const QString& key) const {
    return settings_->contains(Slot(section, key));
}

}  // namespace quillon
