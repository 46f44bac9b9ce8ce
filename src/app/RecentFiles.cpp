#include "RecentFiles.h"

#include "model/Profile.h"

namespace quillon {

namespace {

const QString kSection = QStringLiteral("Recent File List");

QString Key(int i) {
    return QStringLiteral("File%1").arg(i + 1);
}

}  // namespace

RecentFiles::RecentFiles(Profile& profile, QObject* parent) : QObject(parent), profile_(profile) {
    for (int i = 0; i < kCount; ++i) {
        const QString f = profile_.GetString(kSection, Key(i), {});
        if (!f.isEmpty()) files_ << f;
    }
}

void RecentFiles::Add(const QString& path) {
    files_.removeAll(path);
    files_.prepend(path);
    while (files_.size() > kCount)
        files_.removeLast();
    for (int i = 0; i < kCount; ++i)
        profile_.WriteString(kSection, Key(i), files_.value(i));
    emit changed();
}

}  // namespace quillon
