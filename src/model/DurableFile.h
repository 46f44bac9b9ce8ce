#pragma once
// Saving that survives a crash or a power loss. Every file the program saves (shows, sets, the
// profile, recovery copies, pictures, worlds, logs) goes through here: the bytes are written to
// a temporary file beside the target, flushed to disk (fsync), renamed over the target, and the
// folder is synced so that the rename itself is on disk. Whatever happens in between, the
// target holds either its old contents or the new ones, never an empty or half file.

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace quillon {

enum class AtomicWriteResult { Ok, CannotCreate, WriteFailed };

// Writes bytes to path as described above. False on any failure; the temporary file is removed
// and any previous file at path is left as it was.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// The same for content that `write` puts into the open temporary file (it returns false when a
// write fails). CannotCreate when no temporary file can be made beside path; WriteFailed when
// writing, flushing, closing or renaming fails.
AtomicWriteResult WriteFileAtomicallyWith(const std::string& path,
                                          const std::function<bool(std::FILE*)>& write);

// Flushes the entries of a folder (renames, new and removed files) to disk. False when the
// folder cannot be opened or synced. An empty folder means the working folder.
bool SyncFolder(const std::string& folder);
// The same for the folder that holds path.
bool SyncFolderOf(const std::string& path);

// Removes a file and syncs its folder; true when the file is gone (or was never there).
bool RemoveFileDurably(const std::string& path);

}  // namespace quillon
