#pragma once
// The user guide: HTML pages installed with the program (share/doc/quillon/guide beside its
// bin folder), or those of the build tree when the program runs from there, opened in the
// desktop's browser by "Get &Help", F1 and Shift+F1.

#include <QString>
#include <QUrl>

class QWidget;

namespace quillon {

class UserGuide {
  public:
    // The folder that holds the guide's index.html: the installed one first, then the build
    // tree's; empty when neither exists.
    static QString Folder();
    // The page ("index", "stage", ...) as a file URL; an empty URL when there is no guide.
    static QUrl PageUrl(const QString& page);
    // The page about the part of the window that holds widget (the focus, for context help):
    // "stage", "timeline", "playback" for the monitor and the player pane, else "index".
    static QString PageFor(const QWidget* widget);
    // Hands the page to the desktop (QDesktopServices, so a registered URL handler takes it
    // instead of the browser). False, with *why, when there is no guide or nothing opened it.
    static bool Open(const QString& page, QString* why);
};

}  // namespace quillon
