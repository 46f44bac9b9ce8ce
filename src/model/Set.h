#pragma once
// A scene's set: a flat, exactly sized list of panels, with the file it came from.

#include <memory>
#include <string>
#include <vector>

#include "SetPanel.h"

namespace quillon {

class Set {
  public:
    uint8_t dirty = 0;  // 1 when the panels changed since the set was last read or written
    std::vector<SetPanel> panels;
    std::string path;  // at most 255 bytes: the set file of these panels

    int panelCount() const { return static_cast<int>(panels.size()); }

    // Appends a copy and returns the stored record.
    SetPanel& AddPanel(const SetPanel& panel);
    // Removes panel i and marks the set dirty; false for an index out of range.
    bool DeletePanel(int i);
    void SelectAll(bool flag);
    void Clear();
    std::unique_ptr<Set> CopySet() const;
    void SetPath(const std::string& p);
    bool AnySelected() const;
};

}  // namespace quillon
