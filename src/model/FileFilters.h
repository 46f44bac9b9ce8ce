#pragma once
// The file dialog filters of the show's files, as "Description|*.ext;*.ext|...||", and the
// dialog request each kind of file is asked for with. One place for every filter text.

#include <QString>

#include "DocumentHost.h"
#include "ShowNode.h"

namespace quillon::filters {

inline const QString kShow = QStringLiteral("Show Files (*.shw)|*.shw|All Files *.*|*.*||");
// Opening and saving a set through its own commands.
inline const QString kSet = QStringLiteral("Set Files (*.set)|*.set||");
// Looking for a set that was not found.
inline const QString kSetLookup = QStringLiteral("Set Files (*.set)|*.set|All Files *.*|*.*||");
inline const QString kAvi = QStringLiteral("AVI Movie Files (*.avi)|*.avi|All Files *.*|*.*||");
inline const QString kWave = QStringLiteral("Wave Audio Files (*.wav)|*.wav|All Files *.*|*.*||");
inline const QString kScript = QStringLiteral(
    "Rich Text Files (*.rtf)|*.rtf|Plain Text Files (*.txt)|*.txt|All Files *.*|*.*||");
inline const QString kAll = QStringLiteral("All Files *.*|*.*||");

// Every picture and movie format an actor or panel can show.
const QString& Pictures();

// The open dialog for a file of the given kind that was not found (default extension and
// filter by kind: a picture for an actor, a movie, a wave file, a set for a scene, any file
// otherwise), starting in startFolder with the file's bare name.
FileDialogRequest ForMissingFile(NodeKind kind, const QString& startFolder,
                                 const QString& bareName);

}  // namespace quillon::filters
