// The desktop's recent files: a show joins the list once however often it is used, other
// programs' entries stay as they were, and a list that cannot be read is left alone.
#include <gtest/gtest.h>

#include <QDomDocument>
#include <QFile>
#include <QTemporaryDir>

#include "app/DesktopRecentFiles.h"

using namespace quillon;

namespace {

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const char kOthers[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<xbel version="1.0" xmlns:bookmark="http://www.freedesktop.org/standards/desktop-bookmarks" xmlns:mime="http://www.freedesktop.org/standards/shared-mime-info">
  <bookmark href="file:///home/u/notes.txt" added="2020-01-01T00:00:00.000000Z" modified="2020-01-01T00:00:00.000000Z" visited="2020-01-01T00:00:00.000000Z">
    <info>
      <metadata owner="http://freedesktop.org">
        <mime:mime-type type="text/plain"/>
        <bookmark:applications>
          <bookmark:application name="Text Editor" exec="'gedit %u'" modified="2020-01-01T00:00:00.000000Z" count="3"/>
        </bookmark:applications>
      </metadata>
    </info>
  </bookmark>
</xbel>
)";

}  // namespace

TEST(DesktopRecentFiles, ShowsJoinOnceAndOthersStay) {
    QTemporaryDir dir;
    const QString list = dir.filePath("share/recently-used.xbel");
    const QString show = dir.filePath("my show.shw");
    const QDateTime first(QDate(2024, 5, 1), QTime(10, 0), Qt::UTC);
    struct Case {
        const char* what;
        QByteArray before;  // empty: no list yet
    };
    for (const Case& c : {Case{"new list", {}}, Case{"other programs' list", kOthers}}) {
        QFile::remove(list);
        if (!c.before.isEmpty()) {
            QDir().mkpath(dir.filePath("share"));
            QFile f(list);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(c.before);
        }
        DesktopRecentFiles recent(list);
        ASSERT_TRUE(recent.Add(show, "application/x-quillon-show", first)) << c.what;
        ASSERT_TRUE(recent.Add(show, "application/x-quillon-show", first.addSecs(60))) << c.what;
        QDomDocument doc;
        ASSERT_TRUE(doc.setContent(Read(list))) << c.what;
        const QDomNodeList bookmarks = doc.elementsByTagName("bookmark");
        ASSERT_EQ(bookmarks.size(), c.before.isEmpty() ? 1 : 2) << c.what;
        const QDomElement ours = bookmarks.at(bookmarks.size() - 1).toElement();
        EXPECT_EQ(ours.attribute("href"), "file://" + dir.path() + "/my%20show.shw");
        EXPECT_EQ(ours.attribute("added"), "2024-05-01T10:00:00.000000Z");
        EXPECT_EQ(ours.attribute("visited"), "2024-05-01T10:01:00.000000Z");
        const QDomElement app = ours.elementsByTagName("bookmark:application").at(0).toElement();
        EXPECT_EQ(app.attribute("name"), "Quillon");
        EXPECT_EQ(app.attribute("count"), "2");
        EXPECT_EQ(ours.elementsByTagName("mime:mime-type").at(0).toElement().attribute("type"),
                  "application/x-quillon-show");
        if (!c.before.isEmpty()) {
            const QDomElement theirs = bookmarks.at(0).toElement();
            EXPECT_EQ(theirs.attribute("href"), "file:///home/u/notes.txt");
            EXPECT_EQ(theirs.elementsByTagName("bookmark:application")
                          .at(0)
                          .toElement()
                          .attribute("count"),
                      "3");
        }
    }
    // A list that is not one is never overwritten.
    for (const QByteArray& damaged : {QByteArray("<xbel><bookmark"), QByteArray("<html/>")}) {
        QFile f(list);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(damaged);
        f.close();
        EXPECT_FALSE(DesktopRecentFiles(list).Add(show, "application/x-quillon-show"));
        EXPECT_EQ(Read(list), damaged);
    }
}
