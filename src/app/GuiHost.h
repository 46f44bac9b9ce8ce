#pragma once
// The document's host in the window: Qt message boxes and file dialogs, the wait cursor, the
// status bar and the window title. The main window fills in the parts that reach its widgets.

#include <QString>
#include <functional>

#include "model/DocumentHost.h"

class QWidget;

namespace quillon {

class GuiHost final : public DocumentHost {
  public:
    explicit GuiHost(QWidget* window = nullptr) : window_(window) {}
    void setWindow(QWidget* window) { window_ = window; }

    std::function<void(const QString&)> statusText;
    std::function<void(const QString&)> recentFile;
    std::function<StageViewArea()> stageArea;

    void Message(const QString& text) override;
    bool AskYesNo(const QString& text) override;
    std::optional<QString> OpenFileName(const FileDialogRequest& request) override;
    std::optional<QString> SaveFileName(const FileDialogRequest& request) override;
    bool AskFindMissingFile(const QString& path) override;
    void ShowText(const QString& text) override;
    void Beep(BeepKind kind) override;
    void SetWaitCursor(bool on) override;
    void SetStatusText(const QString& text) override;
    void SetWindowTitle(const QString& title) override;
    void AddRecentFile(const QString& path) override;
    StageViewArea VisibleStageArea() const override;

    // "Description|*.ext;*.ext|...||" as Qt's "Description (*.ext *.ext);;..." filter.
    static QString QtFilter(const QString& filter);

  private:
    QWidget* window_;
    int waitDepth_ = 0;
};

}  // namespace quillon
