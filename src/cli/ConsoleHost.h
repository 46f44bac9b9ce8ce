#pragma once
// The document's host for the command line: messages go to stderr, questions are answered
// "No", file dialogs are cancelled and missing files are not looked for.

#include <QString>
#include <cstdio>

#include "model/DocumentHost.h"

namespace quillon {

class ConsoleHost final : public DocumentHost {
  public:
    void Message(const QString& text) override { lastMessage_ = text; }
    bool AskYesNo(const QString&) override { return false; }
    std::optional<QString> OpenFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> SaveFileName(const FileDialogRequest&) override { return std::nullopt; }
    bool AskFindMissingFile(const QString&) override { return false; }
    void ShowText(const QString& text) override { std::fputs(text.toUtf8().constData(), stdout); }
    void Beep(BeepKind) override {}
    void SetWaitCursor(bool) override {}
    void SetStatusText(const QString&) override {}
    void SetWindowTitle(const QString&) override {}
    void AddRecentFile(const QString&) override {}
    StageViewArea VisibleStageArea() const override { return {}; }

    // The last message the document gave; the CLI reports it when a command fails.
    const QString& lastMessage() const { return lastMessage_; }

  private:
    QString lastMessage_;
};

}  // namespace quillon
