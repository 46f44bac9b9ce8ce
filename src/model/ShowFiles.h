#pragma once
// The show's files and the questions around them: new, open, save and close with their
// prompts, the missing-file lookup, and the set files of the scenes. It works on the one
// document and talks to the user only through the document's host; the GUI, the CLI and the
// tests all open and save shows through it.

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon {

class Document;
class DocumentHost;
class Set;
struct SetPanel;
class ShowNode;
enum class NodeKind : uint8_t;

// How a set file is read into a scene's set: in place of its panels, or after them.
enum class SetLoad { kReplace, kAppend };
// Whether the set's and its pictures' paths go through the missing-file lookup first.
enum class FileLookup { kLookUp, kAsStored };
// Whether saving a set asks for its name even when it has one.
enum class SetName { kKeep, kAsk };

// A show kept in a recovery copy, to be read back as the show it was.
struct RecoveredShow {
    QString showFile;      // the copy's show file
    QString originalPath;  // where the show lived; empty for a show that was never saved
    struct SetCopy {
        int scene = 0;      // index of the scene among the show's scenes
        std::string bytes;  // the set file's bytes as the copy kept them
    };
    std::vector<SetCopy> sets;
};

class ShowFiles {
  public:
    explicit ShowFiles(Document& doc);

    // --- shows ---
    // "&New Show": after "Are you sure?" when the show is modified, a new show of one scene.
    void NewShow();
    // "&Open Show...": offers to save a modified show, then asks for a show to open.
    void OpenShow();
    // Opening a named show (the command line, a dropped file, a recent file): the same one
    // question about a modified show as "&Open Show..." asks, then ReadShow. A show whose save
    // the user asked for and that was cancelled or failed stays open. True when the file was
    // read; only then it joins the recent files.
    bool OpenShowFile(const QString& path);
    // Replaces the show by the file's, looking for and loading every file it names. False,
    // with "Couldn't read file" and the open show unchanged, when it cannot be read.
    bool ReadShow(const QString& path);
    // Reads a show back from its recovery copy: the records from the copy, the files they name
    // looked for as if the show lay at its original path, and each scene that kept a set in
    // the copy given that set (marked changed unless it equals the file at its own path). The
    // show comes up untitled and modified, "Save Show &As..." offering the original path. False,
    // with "Couldn't read file" and the open show unchanged, when the copy cannot be read.
    bool RecoverShow(const RecoveredShow& show);
    // Writes the show and its changed sets to path (an untitled show asks for a name first).
    // False, with "Couldn't write file" and the show still modified, when that fails.
    bool WriteShow(const QString& path);
    bool SaveShow();
    bool SaveShowAs();
    // The close questions, in order: each changed set, the show, the script, each with Yes, No
    // and Cancel. False when the user cancelled, or chose to save the show and that was
    // cancelled or failed: the caller keeps the show.
    bool CloseShow();

    // --- prompts ---
    // "Save changes to " + name + "?" (label when name is empty); true on Yes.
    bool AskSave(const QString& name, const QString& label);
    // "Are you sure?"; true on Yes.
    bool Confirm();

    // --- files that moved ---
    // True with path unchanged when it exists, or with the path of the same bare name in the
    // project folder (or the folder of the show being read); else the "File not Found !"
    // question and a file dialog, whose choice replaces path and marks the show modified.
    bool LookupFile(NodeKind kind, QString& path);
    // How a lookup ended: the path as stored, the same bare name found in a folder it is looked
    // for in, a file the user chose, or nothing.
    enum class Found { kAsStored, kBeside, kChosen, kMissing };
    Found Resolve(NodeKind kind, QString& path);

    // --- sets ---
    bool ReadSet(Set& set, const QString& path, SetLoad load, FileLookup lookup);
    // The same for a set file's bytes held in memory (a recovery copy's), as if read from path.
    bool ReadSetBytes(Set& set, const std::string& bytes, const QString& path, SetLoad load,
                      FileLookup lookup);
    bool WriteSet(Set& set, const QString& path);
    // Reads a set into the scene; without a path the user chooses the file.
    bool OpenSet(ShowNode* scene, SetLoad load, const std::optional<QString>& path = std::nullopt);
    bool SaveSet(ShowNode* scene, SetName name);
    // "&New Set": after "Are you sure?", the scene's set is emptied and forgets its file.
    void NewSet(ShowNode* scene);

  private:
    // A modified show is offered for saving; false when the user wanted it saved and that did
    // not happen.
    bool OfferToSave();
    // ReadShow, or with `recovered` RecoverShow.
    bool ReadShowFrom(const QString& path, const RecoveredShow* recovered);
    // The panels just read become the set's, their pictures looked for and loaded.
    void TakePanels(Set& set, const std::vector<SetPanel>& panels, FileLookup lookup);

    Document& doc_;
    DocumentHost& host_;
    // While a show is read: its folder, where files moved along with it are found.
    QString readingFolder_;
};

}  // namespace quillon
