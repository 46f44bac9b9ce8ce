#pragma once
// The per-user profile: integer and string values by section and key, in an INI file named
// after the executable (QUILLON_PROFILE names another file). Every write goes to disk at once.

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

  private:
    std::unique_ptr<QSettings> settings_;
};

}  // namespace quillon
