#include "GuiHost.h"

#include <QApplication>
#include <QFileDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>

#include "Prompts.h"
#include "RecentFiles.h"

namespace quillon {

void GuiHost::Message(const QString& text) {
    QMessageBox::information(window_, QApplication::applicationDisplayName(), text);
}

void GuiHost::Error(const QString& text, const QString& details) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, window_);
    box.setInformativeText(details);
    box.exec();
}

bool GuiHost::AskYesNo(const QString& text) {
    return QMessageBox::question(window_, QApplication::applicationDisplayName(), text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

Answer GuiHost::AskYesNoCancel(const QString& text) {
    switch (QMessageBox::question(window_, QApplication::applicationDisplayName(), text,
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
        case QMessageBox::Yes:
            return Answer::kYes;
        case QMessageBox::No:
            return Answer::kNo;
        default:
            return Answer::kCancel;
    }
}

QString GuiHost::QtFilter(const QString& filter) {
    // Pairs of description and pattern list, separated by "|", ended by "||".
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) break;
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString description = parts[i];
        // A description that already names its patterns keeps them once.
        const int paren = description.indexOf(QLatin1Char('('));
        if (paren > 0) description = description.left(paren).trimmed();
        out << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    return out.join(QStringLiteral(";;"));
}

std::optional<QString> GuiHost::OpenFileName(const FileDialogRequest& r) {
    const QString name = QFileDialog::getOpenFileName(
        window_, QString(),
        r.startFolder.isEmpty() ? r.initialName : r.startFolder + "/" + r.initialName,
        QtFilter(r.filter));
    if (name.isEmpty()) return std::nullopt;
    return name;
}

QStringList GuiHost::OpenFileNames(const FileDialogRequest& r) {
    return QFileDialog::getOpenFileNames(window_, QString(), r.startFolder, QtFilter(r.filter));
}

std::optional<QString> GuiHost::SaveFileName(const FileDialogRequest& r) {
    QFileDialog dialog(window_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QtFilter(r.filter));
    if (!r.startFolder.isEmpty()) dialog.setDirectory(r.startFolder);
    if (!r.initialName.isEmpty()) dialog.selectFile(r.initialName);
    if (!r.defaultExtension.isEmpty()) dialog.setDefaultSuffix(r.defaultExtension);
    if (!r.overwritePrompt) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
}

bool GuiHost::AskFindMissingFile(const QString& path) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("File not Found !"),
                    QStringLiteral("Can't find this file:\n\"%1\"\nDo you want to find this file "
                                   "your self?")
                        .arg(path),
                    QMessageBox::Yes | QMessageBox::No, window_);
    return box.exec() == QMessageBox::Yes;
}

void GuiHost::ShowText(const QString& text) {
    ShowPartsList(window_, text);
}

void GuiHost::Beep(BeepKind) {
    QApplication::beep();
}

void GuiHost::SetWaitCursor(bool on) {
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++waitDepth_;
    } else if (waitDepth_ > 0) {
        QApplication::restoreOverrideCursor();
        --waitDepth_;
    }
}

void GuiHost::SetStatusText(const QString& text) {
    if (window_) window_->statusBar()->showMessage(text);
}

void GuiHost::SetWindowTitle(const QString& title) {
    if (window_) window_->setWindowTitle(title);
}

void GuiHost::AddRecentFile(const QString& path) {
    recent_.Add(path);
}

}  // namespace quillon
