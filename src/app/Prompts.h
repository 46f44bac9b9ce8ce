#pragma once
// The small prompts other commands call: a name, a timecode, and the parts list text window.

#include <QString>
#include <cstdint>

class QWidget;

namespace quillon {

// The name prompt: the question is the title ("Type Name" when empty); the answer (at most 40
// characters) starts as *answer, all selected. OK copies it back and returns true; Cancel
// leaves *answer.
bool AskName(QWidget* parent, QString* answer, const QString& question = QString());

// The timecode prompt: "Original Time:" and "NewTime:" show current; "Start" and "End" put the
// minimum and maximum in. OK returns the typed timecode (relative with "+" or "-") clamped to
// minimum .. maximum; Cancel returns current.
int64_t AskTimecode(QWidget* parent, int64_t current, int rate, const QString& question,
                    int64_t minimum, int64_t maximum);

// "Elements Used in This Show:": one multi-line text with the caret at its end.
void ShowPartsList(QWidget* parent, const QString& text);

}  // namespace quillon
