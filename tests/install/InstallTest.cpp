// What `cmake --install` puts under a prefix: the programs, the launcher, the icons, the file
// types and the user guide; the launcher and the file types pass the desktop's own validators,
// and with the file types installed a show is known by its name and by its first bytes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMimeDatabase>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "../model/ScriptedHost.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/ShowFile.h"

using namespace quillon;

namespace {

struct Ran {
    int status = -1;
    QString out, err;
};

Ran Start(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(120000)) return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

std::string ShowBytes(int scenes) {
    QTemporaryDir dir;
    Profile profile(dir.filePath("p.ini"));
    ScriptedHost host;
    Document doc(profile, host);
    doc.Reset(true);
    for (int i = 1; i < scenes; ++i)
        doc.NewScene(30);
    return SerializeShow(doc.root(), doc.captions());
}

}  // namespace

TEST(Install, PutsEverythingInPlaceAndTheDesktopKnowsIt) {
    QTemporaryDir prefix;
    const Ran install = Start("cmake", {"--install", QUILLON_BUILD_DIR, "--prefix", prefix.path()});
    ASSERT_EQ(install.status, 0) << install.err.toStdString();
    const QString share = prefix.path() + "/share";

    // The files, as a file manager and a desktop look for them.
    QStringList files = {"bin/quillon",
                         "bin/quillon-cli",
                         "share/applications/quillon.desktop",
                         "share/mime/packages/quillon.xml",
                         "share/icons/hicolor/scalable/apps/quillon.svg",
                         "share/icons/hicolor/scalable/mimetypes/application-x-quillon-show.svg",
                         "share/icons/hicolor/scalable/mimetypes/application-x-quillon-set.svg"};
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        files << QStringLiteral("share/icons/hicolor/%1x%1/apps/quillon.png").arg(size);
    for (const char* page :
         {"index", "getting-started", "stage", "timeline", "playback", "movies-and-boards", "cli"})
        files << QStringLiteral("share/doc/quillon/guide/%1.html").arg(page);
    for (const QString& f : files)
        EXPECT_TRUE(QFileInfo(prefix.path() + "/" + f).isFile()) << f.toStdString();
    for (const char* program : {"bin/quillon", "bin/quillon-cli"})
        EXPECT_TRUE(QFileInfo(prefix.path() + "/" + program).isExecutable()) << program;
    for (int size : {16, 48, 256}) {
        const QImage icon(
            QStringLiteral("%1/icons/hicolor/%2x%2/apps/quillon.png").arg(share).arg(size));
        EXPECT_EQ(icon.size(), QSize(size, size));
        EXPECT_TRUE(icon.hasAlphaChannel());
    }
    // The installed program finds its installed guide: every page's links lead to pages there.
    const QString guide = share + "/doc/quillon/guide";
    const QRegularExpression link(R"re(href="([^"#:]+)")re");
    for (const QString& page : QDir(guide).entryList({"*.html"})) {
        QFile f(guide + "/" + page);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(f.readAll());
        EXPECT_TRUE(html.contains("<title>")) << page.toStdString();
        for (auto m = link.globalMatch(html); m.hasNext();) {
            const QString target = m.next().captured(1);
            EXPECT_TRUE(QFile::exists(guide + "/" + target))
                << page.toStdString() << " -> " << target.toStdString();
        }
    }
    const Ran help = Start(prefix.path() + "/bin/quillon-cli", {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith("usage: quillon-cli"));

    // The desktop's validators.
    const Ran desktop = Start("desktop-file-validate", {share + "/applications/quillon.desktop"});
    EXPECT_EQ(desktop.status, 0) << desktop.out.toStdString();
    EXPECT_TRUE(desktop.out.isEmpty() && desktop.err.isEmpty()) << desktop.out.toStdString();
    const Ran xml = Start("xmllint", {"--noout", share + "/mime/packages/quillon.xml"});
    EXPECT_EQ(xml.status, 0) << xml.err.toStdString();
    const Ran mime = Start("update-mime-database", {"-V", share + "/mime"});
    EXPECT_EQ(mime.status, 0);
    EXPECT_FALSE(mime.err.contains("Unknown") || mime.err.contains("rror") ||
                 mime.err.contains("arning"))
        << mime.err.toStdString();
    EXPECT_TRUE(QFile::exists(share + "/mime/mime.cache"));

    // Shows are known by name and, under any name, by their first bytes; sets by name only.
    qputenv("XDG_DATA_DIRS", (share + ":/usr/share").toUtf8());
    qputenv("XDG_DATA_HOME", (prefix.path() + "/nothing").toUtf8());
    const std::string v3 = ShowBytes(1), ten = ShowBytes(10);
    std::string v2 = v3, v1 = v3;
    v2[0] = 2;
    v1[0] = 1;
    std::string notAShow = v3;
    notAShow.replace(7, 4, "Roof");
    const struct {
        const char* name;
        std::string bytes;
        const char* type;
    } cases[] = {
        {"a.shw", v3, "application/x-quillon-show"},
        {"show-without-extension", v3, "application/x-quillon-show"},
        // Ten scenes: the root's child count is a line end, stored as CR LF.
        {"ten-scenes", ten, "application/x-quillon-show"},
        {"version-two", v2, "application/x-quillon-show"},
        {"version-one", v1, "application/x-quillon-show"},
        {"roof", notAShow, "application/octet-stream"},
        {"street.set", std::string("\3") + std::string(188, '\0'), "application/x-quillon-set"},
        {"three-first", std::string("\3") + std::string(188, '\0'), "application/octet-stream"},
    };
    ASSERT_NE(ten.find("\r\n"), std::string::npos);
    QTemporaryDir files2;
    QMimeDatabase db;
    for (const auto& c : cases) {
        const QString path = files2.filePath(c.name);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.bytes.data(), qint64(c.bytes.size()));
        f.close();
        EXPECT_EQ(db.mimeTypeForFile(path).name(), c.type) << c.name;
    }
    EXPECT_EQ(db.mimeTypeForName("application/x-quillon-show").comment(), "Quillon show");
}
