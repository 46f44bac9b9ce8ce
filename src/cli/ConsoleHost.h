#pragma once
// The document's host for the command line: messages are kept for the failure report,
// questions are answered "No", file dialogs are cancelled and missing files are noted, not
// looked for.

#include <QString>
#include <QStringList>
#include <cstdio>
#include <string>

#include "model/DocumentHost.h"

namespace quillon {

class ConsoleHost final : public DocumentHost {
  public:
    void Message(const QString& text) override { messages.push_back(text); }
    void Error(const QString& text, const QString& details) override {
        messages.push_back(details.isEmpty() ? text : text + QStringLiteral(": ") + details);
    }
    bool AskYesNo(const QString&) override { return false; }
    Answer AskYesNoCancel(const QString&) override { return Answer::kNo; }
    std::optional<QString> OpenFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> SaveFileName(const FileDialogRequest&) override { return std::nullopt; }
    // Nobody is there to look for it: the file is noted and the show goes on without it.
    bool AskFindMissingFile(const QString& path) override {
        messages.push_back(QStringLiteral("File not Found ! ") + path);
        return false;
    }
    void ShowText(const QString& text) override { std::fputs(text.toUtf8().constData(), stdout); }
    void Beep(BeepKind) override {}
    void SetWaitCursor(bool) override {}
    void SetStatusText(const QString&) override {}
    void SetWindowTitle(const QString&) override {}
    void AddRecentFile(const QString&) override {}

    // The last message given; the CLI reports it when a command fails.
    QString lastMessage() const { return messages.isEmpty() ? QString() : messages.back(); }

    // Why a show could not be read: what the reader said (it names the file and the reason),
    // or the bare message with the file.
    std::string ReadFailure(const std::string& file) const {
        if (!messages.isEmpty()) return messages.back().toStdString();
        return "Couldn't read file: " + file;
    }

    // "first; second: file", or fallback when nothing was said.
    std::string Describe(const std::string& fallback, const std::string& file) const {
        const QString text = messages.isEmpty() ? QString::fromStdString(fallback)
                                                : messages.join(QStringLiteral("; "));
        return text.toStdString() + ": " + file;
    }

    QStringList messages;
};

}  // namespace quillon
