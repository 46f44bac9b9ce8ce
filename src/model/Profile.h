#pragma once
// The per-user profile: integer and string values by section and key, in an INI file named
// after the executable (QUILLON_PROFILE names another file). Every write goes to disk at once,
// through a temporary file renamed into place, so a crash never leaves a half profile.

#include <QSettings>
#include <QString>
#include <memory>

namespace quillon {

class Profile {
  public:
    // Opens the profile at path; an empty path means DefaultPath().
    explicit Profile(const QString& path = QString());
    ~Profile();

    // QUILLON_PROFILE when set, else "<config folder>/<executable name>.ini".
    static QString DefaultPath();

    QString path() const;

    int GetInt(const QString& section, const QString& key, int defaultValue) const;
    void WriteInt(const QString& section, const QString& key, int value);
    // At most size - 1 characters are returned, as a fixed buffer of that size would hold.
    QString GetString(const QString& section, const QString& key, const QString& defaultValue,
                      int size = 256) const;
    void WriteString(const QString& section, const QString& key, const QString& text);
    bool Contains(const QString& section, const QString& key) const;
    // Writes what is held to disk and syncs the folder; false when the file could not be
    // written (the profile on disk is then the one from before).
    bool Flush();

  private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace quillon
