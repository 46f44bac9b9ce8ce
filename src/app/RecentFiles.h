#pragma once
// The three most recently used shows, kept in the profile's "Recent File List" section as
// "File1".."File3", newest first. The File menu shows them.

#include <QObject>
#include <QStringList>

namespace quillon {

class Profile;

class RecentFiles final : public QObject {
    Q_OBJECT
  public:
    static constexpr int kCount = 3;

    explicit RecentFiles(Profile& profile, QObject* parent = nullptr);

    const QStringList& files() const { return files_; }
    // Puts path first (once), keeps three and writes the list at once.
    void Add(const QString& path);

  signals:
    void changed();

  private:
    Profile& profile_;
    QStringList files_;
};

}  // namespace quillon
