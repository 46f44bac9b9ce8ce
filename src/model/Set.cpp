#include "Set.h"

namespace quillon {

SetPanel& Set::AddPanel(const SetPanel& panel) {
    panels.push_back(panel);
    return panels.back();
}

bool Set::DeletePanel(int i) {
    if (i < 0 || i >= panelCount()) return false;
    panels.erase(panels.begin() + i);
    panels.shrink_to_fit();
    dirty = 1;
    return true;
}

void Set::SelectAll(bool flag) {
    for (auto& p : panels)
        p.selected = flag ? 1 : 0;
}

void Set::Clear() {
    panels.clear();
    panels.shrink_to_fit();
    dirty = 0;
    path.clear();
}

std::unique_ptr<Set> Set::CopySet() const {
    auto copy = std::make_unique<Set>();
    copy->dirty = dirty;
    copy->panels = panels;
    copy->path = path;
    return copy;
}

void Set::SetPath(const std::string& p) {
    path = p.size() > 255 ? p.substr(0, 255) : p;
}

bool Set::AnySelected() const {
    for (const auto& p : panels)
        if (p.selected) return true;
    return false;
}

}  // namespace quillon
