#include "Prompts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "SettingsValues.h"
#include "model/Timecode.h"

namespace quillon {

namespace {

QDialogButtonBox* OkCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

}  // namespace

bool AskName(QWidget* parent, QString* answer, const QString& question) {
    QDialog dialog(parent);
    dialog.setWindowTitle(question.isEmpty() ? QStringLiteral("Type Name") : question);
    auto* layout = new QVBoxLayout(&dialog);
    auto* edit = new QLineEdit(answer->left(40), &dialog);
    edit->setMaxLength(40);
    edit->selectAll();
    layout->addWidget(edit);
    layout->addWidget(OkCancel(&dialog));
    edit->setFocus();
    if (dialog.exec() != QDialog::Accepted) return false;
    *answer = edit->text();
    return true;
}

int64_t AskTimecode(QWidget* parent, int64_t current, int rate, const QString& question,
                    int64_t minimum, int64_t maximum) {
    QDialog dialog(parent);
    dialog.setWindowTitle(question.isEmpty() ? QStringLiteral("Type Timecode") : question);
    auto* grid = new QGridLayout(&dialog);
    const QString now = QString::fromStdString(FormatTimecode(current, rate));
    grid->addWidget(new QLabel(QStringLiteral("Original Time:"), &dialog), 0, 0);
    grid->addWidget(new QLabel(now, &dialog), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("NewTime:"), &dialog), 1, 0);
    auto* edit = new QLineEdit(now, &dialog);
    grid->addWidget(edit, 1, 1);
    auto* start = new QPushButton(QStringLiteral("Start"), &dialog);
    auto* end = new QPushButton(QStringLiteral("End"), &dialog);
    QObject::connect(start, &QPushButton::clicked, edit,
                     [=] { edit->setText(QString::fromStdString(FormatTimecode(minimum, rate))); });
    QObject::connect(end, &QPushButton::clicked, edit,
                     [=] { edit->setText(QString::fromStdString(FormatTimecode(maximum, rate))); });
    grid->addWidget(start, 2, 0);
    grid->addWidget(end, 2, 1);
    grid->addWidget(OkCancel(&dialog), 3, 0, 1, 2);
    edit->selectAll();
    edit->setFocus();
    if (dialog.exec() != QDialog::Accepted) return current;
    return TimecodeAnswer(edit->text(), rate, current, minimum, maximum);
}

void ShowPartsList(QWidget* parent, const QString& text) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Elements Used in This Show:"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* edit = new QPlainTextEdit(&dialog);
    // Lines end in CR LF in the text; the edit shows them as plain line breaks.
    edit->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    edit->moveCursor(QTextCursor::End);
    edit->ensureCursorVisible();
    layout->addWidget(edit);
    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(ok, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(ok);
    dialog.resize(480, 400);
    dialog.exec();
}

}  // namespace quillon
