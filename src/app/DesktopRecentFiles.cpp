#include "DesktopRecentFiles.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include "model/DurableFile.h"

namespace quillon {

namespace {

constexpr char kBookmarkNs[] = "http://www.freedesktop.org/standards/desktop-bookmarks";
constexpr char kMimeNs[] = "http://www.freedesktop.org/standards/shared-mime-info";
constexpr char kApplication[] = "Quillon";

QString Stamp(const QDateTime& when) {
    return when.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz000Z"));
}

QDomElement Child(const QDomElement& parent, const QString& name) {
    return parent.firstChildElement(name);
}

QDomElement ChildOrNew(QDomDocument& doc, QDomElement parent, const QString& name) {
    QDomElement e = Child(parent, name);
    if (e.isNull()) e = parent.appendChild(doc.createElement(name)).toElement();
    return e;
}

}  // namespace

DesktopRecentFiles::DesktopRecentFiles(QString path)
    : path_(path.isEmpty() ? DefaultPath() : std::move(path)) {}

QString DesktopRecentFiles::DefaultPath() {
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (!QDir::isAbsolutePath(data)) data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/recently-used.xbel");
}

bool DesktopRecentFiles::Add(const QString& file, const QString& mimeType, const QDateTime& when) {
    QDomDocument doc;
    QFile in(path_);
    if (in.exists()) {
        if (!in.open(QIODevice::ReadOnly) || !doc.setContent(&in, false)) return false;
        if (doc.documentElement().tagName() != u"xbel") return false;
    } else {
        doc.appendChild(doc.createProcessingInstruction(
            QStringLiteral("xml"), QStringLiteral("version=\"1.0\" encoding=\"UTF-8\"")));
        QDomElement root = doc.createElement(QStringLiteral("xbel"));
        root.setAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
        root.setAttribute(QStringLiteral("xmlns:bookmark"), QLatin1String(kBookmarkNs));
        root.setAttribute(QStringLiteral("xmlns:mime"), QLatin1String(kMimeNs));
        doc.appendChild(root);
    }
    QDomElement root = doc.documentElement();
    const QString href =
        QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()).toString(QUrl::FullyEncoded);
    const QString stamp = Stamp(when);

    QDomElement bookmark;
    for (QDomElement b = root.firstChildElement(QStringLiteral("bookmark")); !b.isNull();
         b = b.nextSiblingElement(QStringLiteral("bookmark")))
        if (b.attribute(QStringLiteral("href")) == href) bookmark = b;
    if (bookmark.isNull()) {
        bookmark = root.appendChild(doc.createElement(QStringLiteral("bookmark"))).toElement();
        bookmark.setAttribute(QStringLiteral("href"), href);
        bookmark.setAttribute(QStringLiteral("added"), stamp);
    }
    bookmark.setAttribute(QStringLiteral("modified"), stamp);
    bookmark.setAttribute(QStringLiteral("visited"), stamp);
    QDomElement info = ChildOrNew(doc, bookmark, QStringLiteral("info"));
    QDomElement metadata = Child(info, QStringLiteral("metadata"));
    if (metadata.isNull()) {
        metadata = info.appendChild(doc.createElement(QStringLiteral("metadata"))).toElement();
        metadata.setAttribute(QStringLiteral("owner"), QStringLiteral("http://freedesktop.org"));
    }
    QDomElement mime = Child(metadata, QStringLiteral("mime:mime-type"));
    if (mime.isNull())
        mime =
            metadata.appendChild(doc.createElement(QStringLiteral("mime:mime-type"))).toElement();
    mime.setAttribute(QStringLiteral("type"), mimeType);
    QDomElement apps = ChildOrNew(doc, metadata, QStringLiteral("bookmark:applications"));
    QDomElement app;
    for (QDomElement a = apps.firstChildElement(QStringLiteral("bookmark:application"));
         !a.isNull(); a = a.nextSiblingElement(QStringLiteral("bookmark:application")))
        if (a.attribute(QStringLiteral("name")) == QLatin1String(kApplication)) app = a;
    if (app.isNull()) {
        app =
            apps.appendChild(doc.createElement(QStringLiteral("bookmark:application"))).toElement();
        app.setAttribute(QStringLiteral("name"), QLatin1String(kApplication));
        app.setAttribute(QStringLiteral("exec"), QStringLiteral("'quillon %u'"));
        app.setAttribute(QStringLiteral("count"), 0);
    }
    app.setAttribute(QStringLiteral("modified"), stamp);
    app.setAttribute(QStringLiteral("count"), app.attribute(QStringLiteral("count")).toInt() + 1);

    const QByteArray bytes = doc.toByteArray(2);
    QDir().mkpath(QFileInfo(path_).path());
    return WriteFileAtomically(QFile::encodeName(path_).toStdString(),
                               std::string_view(bytes.constData(), size_t(bytes.size())));
}

}  // namespace quillon
