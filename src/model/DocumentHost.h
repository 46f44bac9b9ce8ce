#pragma once
// How the document talks to the user: the GUI implements this with Qt dialogs, the CLI and the
// tests with a scripted host. Nothing in the model opens a window itself.

#include <QString>
#include <QStringList>
#include <optional>

namespace quillon {

enum class BeepKind { Exclamation, Asterisk };
enum class Answer { kYes, kNo, kCancel };

struct FileDialogRequest {
    QString filter;            // "Description|*.ext;*.ext|...||" as the menus give it
    QString defaultExtension;  // without the dot; empty for none
    QString startFolder;
    QString initialName;
    bool overwritePrompt = false;
};

class DocumentHost {
  public:
    virtual ~DocumentHost() = default;
    // Modal message with OK only.
    virtual void Message(const QString& text) = 0;
    // A failure: the message with the stop icon, and under it what went wrong where (the file
    // and the reason).
    virtual void Error(const QString& text, const QString& details) = 0;
    // Yes/No question; true on Yes.
    virtual bool AskYesNo(const QString& text) = 0;
    // Yes/No/Cancel question, for the questions that may call off what asked them.
    virtual Answer AskYesNoCancel(const QString& text) = 0;
    virtual std::optional<QString> OpenFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> SaveFileName(const FileDialogRequest& request) = 0;
    // An open dialog in which many files may be chosen; nothing on Cancel. A host without one
    // asks for a single file.
    virtual QStringList OpenFileNames(const FileDialogRequest& request) {
        const std::optional<QString> one = OpenFileName(request);
        return one ? QStringList{*one} : QStringList{};
    }
    // The "File not Found !" dialog for path; true on Yes (the user wants to look for it).
    virtual bool AskFindMissingFile(const QString& path) = 0;
    // The parts-list text dialog, used to show plain text.
    virtual void ShowText(const QString& text) = 0;
    virtual void Beep(BeepKind kind) = 0;
    virtual void SetWaitCursor(bool on) = 0;
    virtual void SetStatusText(const QString& text) = 0;
    virtual void SetWindowTitle(const QString& title) = 0;
    virtual void AddRecentFile(const QString& path) = 0;
};

// The wait cursor for the length of a scope, put back on every way out.
class WaitCursor {
  public:
    explicit WaitCursor(DocumentHost& host) : host_(host) { host_.SetWaitCursor(true); }
    ~WaitCursor() { host_.SetWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    DocumentHost& host_;
};

}  // namespace quillon
