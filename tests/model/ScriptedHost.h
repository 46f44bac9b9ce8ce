#pragma once
// A host for document tests: records every message, beep and prompt, and answers questions and
// file dialogs from queues the test fills (empty queue: No / cancel).

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "model/DocumentHost.h"

namespace quillon {

class ScriptedHost final : public DocumentHost {
  public:
    void Message(const QString& text) override { messages.push_back(text); }
    void Error(const QString& text, const QString& detail) override {
        messages.push_back(text);
        details.push_back(detail);
    }
    bool AskYesNo(const QString& text) override { return AskYesNoCancel(text) == Answer::kYes; }
    // Answers from `answers` first, then from yesNo; No when both are empty.
    Answer AskYesNoCancel(const QString& text) override {
        questions.push_back(text);
        if (!answers.empty()) {
            const Answer a = answers.front();
            answers.pop_front();
            return a;
        }
        if (yesNo.empty()) return Answer::kNo;
        const bool a = yesNo.front();
        yesNo.pop_front();
        return a ? Answer::kYes : Answer::kNo;
    }
    std::optional<QString> OpenFileName(const FileDialogRequest& r) override {
        openRequests.push_back(r);
        return Next();
    }
    // Answers from fileLists first; else one file as OpenFileName gives it.
    QStringList OpenFileNames(const FileDialogRequest& r) override {
        if (fileLists.empty()) return DocumentHost::OpenFileNames(r);
        openRequests.push_back(r);
        const QStringList chosen = fileLists.front();
        fileLists.pop_front();
        return chosen;
    }
    std::optional<QString> SaveFileName(const FileDialogRequest& r) override {
        saveRequests.push_back(r);
        return Next();
    }
    bool AskFindMissingFile(const QString& path) override {
        missing.push_back(path);
        if (findMissing.empty()) return false;
        const bool a = findMissing.front();
        findMissing.pop_front();
        return a;
    }
    void ShowText(const QString& text) override { texts.push_back(text); }
    void Beep(BeepKind kind) override { beeps.push_back(kind); }
    void SetWaitCursor(bool on) override { waitCursor += on ? '+' : '-'; }
    void SetStatusText(const QString& text) override { status.push_back(text); }
    void SetWindowTitle(const QString& t) override { title = t; }
    void AddRecentFile(const QString& path) override { recent.push_back(path); }

    std::deque<bool> yesNo;
    std::deque<Answer> answers;
    std::deque<bool> findMissing;
    std::deque<std::optional<QString>> files;  // answers to open and save dialogs, in order
    std::deque<QStringList> fileLists;         // answers to many-file open dialogs

    QStringList messages, details, questions, missing, texts, status, recent;
    std::vector<FileDialogRequest> openRequests, saveRequests;
    std::vector<BeepKind> beeps;
    std::string waitCursor;  // '+' and '-' for each SetWaitCursor, in order
    QString title;

  private:
    std::optional<QString> Next() {
        if (files.empty() || !files.front()) {
            if (!files.empty()) files.pop_front();
            return std::nullopt;
        }
        const QString f = *files.front();
        files.pop_front();
        return f;
    }
};

}  // namespace quillon
