#pragma once
// What the window tests share: the program started as main() starts it on a profile of the
// test's own, real input through the X server (xdotool), what the screen shows, and an answerer
// for the modal boxes a command brings up.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <functional>

#include "app/Application.h"
#include "model/Profile.h"

namespace quillon::testkit {

const QString kDemo = QStringLiteral(QUILLON_SOURCE_DIR "/data/demo/demo.shw");

// The program as main() starts it, without the stage's 3-second start-up picture.
struct App {
    explicit App(const QString& profilePath, bool pictureMode = false)
        : profile(profilePath), application(profile, pictureMode) {
        QString error;
        EXPECT_TRUE(application.Start(&error)) << error.toStdString();
        application.SetStartupPicture(false);
        application.Show({});
        QApplication::processEvents();
        window = &application.window();
    }
    Profile profile;
    Application application;
    Document& doc = application.doc();
    ShowFiles& files = application.files();
    MainWindow* window = nullptr;
};

inline bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
    for (int waited = 0; waited < ms; waited += 20) {
        if (done()) return true;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

// Real input through the X server, as a user's: xdotool with the given arguments, the events
// taken in by this process's own event loop while it runs.
inline void XInput(const QStringList& args) {
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), args);
    // Its events may open a modal dialog whose own loop sees the process end: ask its state,
    // not waitForFinished, which answers false for a process that has already finished.
    while (xdotool.state() != QProcess::NotRunning && !xdotool.waitForFinished(10))
        QApplication::processEvents();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

inline void XMove(QWidget* w, QPoint at) {
    const QPoint p = w->mapToGlobal(at);
    XInput({"mousemove", QString::number(p.x()), QString::number(p.y())});
}

// A click (or several) at a point of the widget, through the X server.
inline void XClick(QWidget* w, QPoint at, int clicks = 1) {
    const QPoint p = w->mapToGlobal(at);
    XInput({"mousemove", QString::number(p.x()), QString::number(p.y()), "click", "--repeat",
            QString::number(clicks), "1"});
}

// A key press sent straight to a widget.
inline void Key(QWidget* w, int key, const QString& text = QString(),
                Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(w, &press);
    QApplication::processEvents();
}

// Pixels of the picture that are not dark, in a sparse grid.
inline int LitPixels(const QImage& picture) {
    int lit = 0;
    for (int y = 0; y < picture.height(); y += 7)
        for (int x = 0; x < picture.width(); x += 7)
            lit += qGray(picture.pixel(x, y)) > 40;
    return lit;
}

// What the X server shows where the widget is: the screen itself, not a fresh render.
inline QImage OnScreen(QWidget* w) {
    QApplication::processEvents();
    const QPoint at = w->mapToGlobal(QPoint(0, 0));
    return w->screen()->grabWindow(0, at.x(), at.y(), w->width(), w->height()).toImage();
}

// Answers every modal dialog that comes up while it lives: a message box by the button whose
// text (without "&") is first in `answers` (the last answer repeats; "" rejects), any other
// dialog by rejecting it. The texts of the boxes are kept.
class Answerer {
  public:
    explicit Answerer(QStringList answers) : answers_(std::move(answers)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Answer(); });
        timer_.start(50);
    }
    QStringList texts;        // each box's text, in order
    QStringList informative;  // and its informative text
    QList<QMessageBox::Icon> icons;

  private:
    void Answer() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == last_) return;
        last_ = modal;
        const QString answer = answers_.size() > 1 ? answers_.takeFirst() : answers_.value(0);
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            texts << box->text();
            informative << box->informativeText();
            icons << box->icon();
            for (QAbstractButton* b : box->buttons())
                if (!answer.isEmpty() && b->text().remove('&') == answer) return b->click();
            return box->reject();
        }
        if (auto* d = qobject_cast<QDialog*>(modal)) d->reject();
    }
    QStringList answers_;
    QTimer timer_;
    QPointer<QWidget> last_;
};

}  // namespace quillon::testkit
