#pragma once
// The desktop's own list of recently used files (the freedesktop.org recently-used.xbel in
// $XDG_DATA_HOME, else ~/.local/share), which file choosers and launchers show: a show opened
// or saved in Quillon joins it beside the program's three-entry list. Entries of other programs
// are kept as they are; a list that cannot be read is left alone.

#include <QDateTime>
#include <QString>

namespace quillon {

class DesktopRecentFiles {
  public:
    // The list at path; DefaultPath() when empty.
    explicit DesktopRecentFiles(QString path = QString());
    static QString DefaultPath();

    // Adds the file (or marks it used again, counting Quillon's uses) with its MIME type. False
    // when the list cannot be read or written; nothing is changed then.
    bool Add(const QString& file, const QString& mimeType,
             const QDateTime& when = QDateTime::currentDateTimeUtc());

  private:
    QString path_;
};

}  // namespace quillon
