#pragma once
// A document host with nobody behind it: messages go nowhere, questions are answered "No" and
// file dialogs are cancelled. For benchmarks and fuzzers that drive a document without a user.

#include "DocumentHost.h"

namespace quillon {

class QuietHost final : public DocumentHost {
  public:
    void Message(const QString&) override {}
    void Error(const QString&, const QString&) override {}
    bool AskYesNo(const QString&) override { return false; }
    Answer AskYesNoCancel(const QString&) override { return Answer::kNo; }
    std::optional<QString> OpenFileName(const FileDialogRequest&) override { return {}; }
    std::optional<QString> SaveFileName(const FileDialogRequest&) override { return {}; }
    bool AskFindMissingFile(const QString&) override { return false; }
    void ShowText(const QString&) override {}
    void Beep(BeepKind) override {}
    void SetWaitCursor(bool) override {}
    void SetStatusText(const QString&) override {}
    void SetWindowTitle(const QString&) override {}
    void AddRecentFile(const QString&) override {}
};

}  // namespace quillon
