#include "UserGuide.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QWidget>

#include "monitor/MonitorWidget.h"

namespace quillon {

QString UserGuide::Folder() {
    const QStringList candidates = {
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/doc/quillon/guide"),
        QStringLiteral(QUILLON_BUILD_GUIDE_DIR),
    };
    for (const QString& folder : candidates)
        if (QFileInfo::exists(folder + QStringLiteral("/index.html")))
            return QDir(folder).canonicalPath();
    return QString();
}

QUrl UserGuide::PageUrl(const QString& page) {
    const QString folder = Folder();
    if (folder.isEmpty()) return QUrl();
    return QUrl::fromLocalFile(folder + u'/' + page + QStringLiteral(".html"));
}

QString UserGuide::PageFor(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const QString name = w->objectName();
        if (name == u"stagePane") return QStringLiteral("stage");
        if (name == u"timelinePane") return QStringLiteral("timeline");
        if (name == u"playerPane" || qobject_cast<const MonitorWidget*>(w))
            return QStringLiteral("playback");
    }
    return QStringLiteral("index");
}

bool UserGuide::Open(const QString& page, QString* why) {
    const QUrl url = PageUrl(page);
    if (url.isEmpty()) {
        *why = QStringLiteral("the user guide is not installed");
        return false;
    }
    if (!QDesktopServices::openUrl(url)) {
        *why = QStringLiteral("no program opened ") + url.toLocalFile();
        return false;
    }
    return true;
}

}  // namespace quillon
