// The window's doors to the desktop: "Get &Help", F1 and Shift+F1 hand the user guide's page to
// the desktop (a URL handler stands in for the browser and records what it was given), and
// "Export glTF..." writes the open show where the file dialog says.
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>

#include "WindowTestKit.h"
#include "app/UserGuide.h"
#include "app/commands/CommandIds.h"
#include "monitor/MonitorWidget.h"
#include "stage/StageView.h"
#include "timeline/TimelineView.h"

using namespace quillon;
using namespace quillon::testkit;

namespace {

class Browser : public QObject {
    Q_OBJECT
  public slots:
    void open(const QUrl& url) { opened << url; }

  public:
    QList<QUrl> opened;
};

}  // namespace

TEST(DesktopWindowTest, HelpOpensTheGuideAtThePaneInUse) {
    Browser browser;
    QDesktopServices::setUrlHandler("file", &browser, "open");
    QTemporaryDir dir;
    App app(dir.filePath("p.ini"));
    MainWindow& w = *app.window;
    auto last = [&] {
        return browser.opened.isEmpty() ? QString() : browser.opened.last().fileName();
    };

    w.action(kCmdGetHelp)->trigger();
    ASSERT_EQ(browser.opened.size(), 1);
    EXPECT_EQ(last(), "index.html");
    EXPECT_TRUE(QFileInfo(browser.opened.last().toLocalFile()).isFile());
    EXPECT_EQ(browser.opened.last(), UserGuide::PageUrl("index"));

    const struct {
        QWidget* focus;
        Qt::KeyboardModifiers modifiers;
        const char* page;
    } keys[] = {
        {w.stageView(), Qt::NoModifier, "index.html"},
        {w.stageView(), Qt::ShiftModifier, "stage.html"},
        {w.timelineView(), Qt::ShiftModifier, "timeline.html"},
        {w.monitor(), Qt::ShiftModifier, "playback.html"},
        {w.playerPane(), Qt::ShiftModifier, "playback.html"},
    };
    for (const auto& k : keys) {
        w.activateWindow();
        k.focus->setFocus();
        WaitFor([&] { return QApplication::focusWidget() == k.focus; }, 2000);
        const int before = browser.opened.size();
        XInput({"key", k.modifiers == Qt::ShiftModifier ? "shift+F1" : "F1"});
        WaitFor([&] { return browser.opened.size() > before; }, 2000);
        ASSERT_EQ(browser.opened.size(), before + 1) << k.page;
        EXPECT_EQ(last(), k.page);
    }
    QDesktopServices::unsetUrlHandler("file");
}

TEST(DesktopWindowTest, ExportGltfWritesTheOpenShow) {
    QTemporaryDir dir;
    App app(dir.filePath("p.ini"));
    app.window->OpenFile(kDemo);
    QString offered;
    const QString target = dir.filePath("demo.glb");
    // The file dialog: what it offers, then the name a user types.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        if (offered.isEmpty()) offered = dialog->selectedFiles().value(0);
        // The name a user types into the dialog's name field.
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        if (!name) return;
        name->setText(target);
        static_cast<QDialog*>(dialog)->accept();
    });
    answer.start(50);
    app.window->action(kCmdExportGltf)->trigger();
    answer.stop();
    EXPECT_EQ(QFileInfo(offered).fileName(), "demo.gltf");
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.read(4), "glTF");  // binary glTF
    EXPECT_GT(f.size(), 10000);
}

#include "DesktopWindowTest.moc"
