#pragma once
// Loading what a node's file names: pictures, sounds, movies and scripts. These are provided by
// the picture, player and script subsystems; the model only calls them through this interface.
// NullMediaLoader loads nothing and says so, so a headless document never pretends to have a
// picture it could not read.

#include <QString>
#include <optional>

namespace quillon {

class Document;
class ShowNode;
struct SetPanel;

class MediaLoader {
  public:
    virtual ~MediaLoader() = default;
    // Gives an actor its picture or movie; interactive use may ask questions. False on failure.
    virtual bool AssignActorPicture(Document& doc, const QString& path, ShowNode& actor,
                                    bool interactive) = 0;
    // Loads a panel's picture into the texture table; false leaves textureSlot at -1.
    virtual bool LoadPanelPicture(Document& doc, SetPanel& panel) = 0;
    // Loads a sound track's clip; its length in frames, or nothing when it cannot be read.
    virtual std::optional<int> LoadSound(Document& doc, const QString& path, ShowNode& track) = 0;
    // Frame count of a movie file, or nothing when it cannot be opened.
    virtual std::optional<int> MovieFrameCount(const QString& path) = 0;
    // Empties the texture table (a new or reset show).
    virtual void ResetTextures() = 0;
};

class NullMediaLoader final : public MediaLoader {
  public:
    bool AssignActorPicture(Document&, const QString&, ShowNode&, bool) override { return false; }
    bool LoadPanelPicture(Document&, SetPanel&) override { return false; }
    std::optional<int> LoadSound(Document&, const QString&, ShowNode&) override {
        return std::nullopt;
    }
    std::optional<int> MovieFrameCount(const QString&) override { return std::nullopt; }
    void ResetTextures() override {}
};

}  // namespace quillon
