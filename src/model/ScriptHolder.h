#pragma once
// What holds the show's script text (the script window), as the document sees it: it loads a
// script track's file and shows it, and the close questions ask it about unsaved text. The
// script text belongs to the holder, not to the show file, which keeps only the file's name.

#include <QString>

namespace quillon {

class ScriptHolder {
  public:
    virtual ~ScriptHolder() = default;
    // Reads the file into the holder and shows it; false (nothing changed) when it cannot be
    // read.
    virtual bool Load(const QString& path) = 0;
    virtual bool modified() const = 0;
    virtual QString path() const = 0;
    // Saves under a name asked for.
    virtual void Save() = 0;
    // "Show Script": shown when hidden, hidden when shown.
    virtual void ToggleShown() = 0;
};

}  // namespace quillon
