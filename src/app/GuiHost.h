#pragma once
// The document's host in the window: Qt message boxes and file dialogs, the wait cursor, the
// status bar, the window title and the recent-file list.

#include <QString>

#include "model/DocumentHost.h"

class QMainWindow;

namespace quillon {

class RecentFiles;

class GuiHost final : public DocumentHost {
  public:
    explicit GuiHost(RecentFiles& recent) : recent_(recent) {}
    // The window the dialogs belong to and whose status bar and title the host writes; null
    // while there is none.
    void setWindow(QMainWindow* window) { window_ = window; }

    void Message(const QString& text) override;
    void Error(const QString& text, const QString& details) override;
    bool AskYesNo(const QString& text) override;
    Answer AskYesNoCancel(const QString& text) override;
    std::optional<QString> OpenFileName(const FileDialogRequest& request) override;
    QStringList OpenFileNames(const FileDialogRequest& request) override;
    std::optional<QString> SaveFileName(const FileDialogRequest& request) override;
    bool AskFindMissingFile(const QString& path) override;
    void ShowText(const QString& text) override;
    void Beep(BeepKind kind) override;
    void SetWaitCursor(bool on) override;
    void SetStatusText(const QString& text) override;
    void SetWindowTitle(const QString& title) override;
    void AddRecentFile(const QString& path) override;

    // "Description|*.ext;*.ext|...||" as Qt's "Description (*.ext *.ext);;..." filter.
    static QString QtFilter(const QString& filter);

  private:
    RecentFiles& recent_;
    QMainWindow* window_ = nullptr;
    int waitDepth_ = 0;
};

}  // namespace quillon
