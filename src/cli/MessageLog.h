#pragma once
// A host for the picture commands: keeps every message a picture gives, so a failure can say
// all of them; questions are answered "No" and dialogs cancelled.

#include <QString>
#include <QStringList>
#include <string>

#include "model/DocumentHost.h"

namespace quillon::cli {

class MessageLog final : public DocumentHost {
  public:
    void Message(const QString& text) override { messages.push_back(text); }
    bool AskYesNo(const QString&) override { return false; }
    std::optional<QString> OpenFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> SaveFileName(const FileDialogRequest&) override { return std::nullopt; }
    bool AskFindMissingFile(const QString&) override { return false; }
    void ShowText(const QString&) override {}
    void Beep(BeepKind) override {}
    void SetWaitCursor(bool) override {}
    void SetStatusText(const QString&) override {}
    void SetWindowTitle(const QString&) override {}
    void AddRecentFile(const QString&) override {}
    StageViewArea VisibleStageArea() const override { return {}; }

    // "first; second: file", or fallback when the picture said nothing.
    std::string Describe(const std::string& fallback, const std::string& file) const {
        const QString text = messages.isEmpty() ? QString::fromStdString(fallback)
                                                : messages.join(QStringLiteral("; "));
        return text.toStdString() + ": " + file;
    }

    QStringList messages;
};

}  // namespace quillon::cli
