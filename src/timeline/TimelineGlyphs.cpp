#include "timeline/TimelineGlyphs.h"

#include <QImage>
#include <QPainter>
#include <array>
#include <map>
#include <utility>

namespace quillon {

namespace {

// '#' is ink. Rows of one glyph are all the same length.
struct Pattern {
    const char* const* rows;
    int height;
};

// clang-format off
constexpr const char* kMovie[] = {
    "########",
    "#.#..#.#",
    "########",
    "#......#",
    "########",
    "#.#..#.#",
    "########",
};

constexpr const char* kSound[] = {
    "....##..",
    "....#.#.",
    "....#..#",
    "....#...",
    "..###...",
    ".####...",
    "..##....",
};

constexpr const char* kActor[] = {
    "...##...",
    "...##...",
    ".######.",
    "...##...",
    "...##...",
    "..#..#..",
    ".#....#.",
};

constexpr const char* kScene[] = {
    "########",
    "#.#.#.##",
    "########",
    "#......#",
    "#......#",
    "#......#",
    "########",
};

constexpr const char* kScript[] = {
    "######..",
    "#....##.",
    "#.##..#.",
    "#.....#.",
    "#.###.#.",
    "#.....#.",
    "#######.",
};

constexpr const char* kCamera[] = {
    "........",
    ".####..#",
    "#....###",
    "#....#.#",
    "#....###",
    ".####..#",
    "........",
};

// Key marks: the middle column 6 is the key's own pixel.
constexpr const char* kItemKey[] = {
    "......#.....",
    ".....###....",
    "....#####...",
    "...#######..",
    "....#####...",
    ".....###....",
    "......#.....",
};

constexpr const char* kCameraKey[] = {
    "...#######..",
    "...#######..",
    "....#####...",
    "....#####...",
    ".....###....",
    ".....###....",
    "......#.....",
};

constexpr const char* kCameraKeyTag[] = {
    "####..",
    "#..###",
    "#..#.#",
    "#..###",
    "####..",
};

constexpr const char* kRostrumKey[] = {
    "...#######..",
    "...#.....#..",
    "...#.###.#..",
    "...#.###.#..",
    "...#.###.#..",
    "...#.....#..",
    "...#######..",
};

// Range marks: an opening and a closing bracket as high as a row.
constexpr const char* kRangeStart[] = {
    "...####.",
    "...###..",
    "...##...",
    "...#....",
    "...#....",
    "...#....",
    "...#....",
    "...#....",
    "...#....",
    "...##...",
    "...###..",
    "...####.",
};

constexpr const char* kRangeEnd[] = {
    "####....",
    ".###....",
    "..##....",
    "...#....",
    "...#....",
    "...#....",
    "...#....",
    "...#....",
    "...#....",
    "..##....",
    ".###....",
    "####....",
};
// clang-format on

template <std::size_t N>
constexpr Pattern P(const char* const (&rows)[N]) {
    return {rows, static_cast<int>(N)};
}

Pattern PatternOf(Glyph g) {
    switch (g) {
        case Glyph::MovieIcon:
            return P(kMovie);
        case Glyph::SoundIcon:
            return P(kSound);
        case Glyph::ActorIcon:
            return P(kActor);
        case Glyph::SceneIcon:
            return P(kScene);
        case Glyph::ScriptIcon:
            return P(kScript);
        case Glyph::CameraIcon:
            return P(kCamera);
        case Glyph::ItemKey:
            return P(kItemKey);
        case Glyph::CameraKey:
            return P(kCameraKey);
        case Glyph::CameraKeyTag:
            return P(kCameraKeyTag);
        case Glyph::RostrumKey:
            return P(kRostrumKey);
        case Glyph::RangeStart:
            return P(kRangeStart);
        case Glyph::RangeEnd:
            return P(kRangeEnd);
    }
    return P(kItemKey);
}

// One prepared image per glyph and colour; the timeline paints only on the UI thread.
const QImage& GlyphImage(Glyph g, QColor colour) {
    static std::map<std::pair<int, QRgb>, QImage> cache;
    const auto key = std::make_pair(static_cast<int>(g), colour.rgba());
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    const QSize size = GlyphSize(g);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            if (GlyphInk(g, x, y)) image.setPixel(x, y, colour.rgba());
    return cache.emplace(key, std::move(image)).first->second;
}

}  // namespace

bool IconFor(NodeKind kind, Glyph& out) {
    switch (kind) {
        case NodeKind::Movie:
            out = Glyph::MovieIcon;
            return true;
        case NodeKind::SoundTrack:
            out = Glyph::SoundIcon;
            return true;
        case NodeKind::Actor:
            out = Glyph::ActorIcon;
            return true;
        case NodeKind::Scene:
            out = Glyph::SceneIcon;
            return true;
        case NodeKind::Script:
            out = Glyph::ScriptIcon;
            return true;
        case NodeKind::Camera:
            out = Glyph::CameraIcon;
            return true;
    }
    return false;
}

QSize GlyphSize(Glyph glyph) {
    const Pattern p = PatternOf(glyph);
    return QSize(static_cast<int>(std::char_traits<char>::length(p.rows[0])), p.height);
}

bool GlyphInk(Glyph glyph, int x, int y) {
    const Pattern p = PatternOf(glyph);
    const QSize size = GlyphSize(glyph);
    if (x < 0 || y < 0 || x >= size.width() || y >= size.height()) return false;
    return p.rows[y][x] == '#';
}

void DrawGlyph(QPainter& painter, Glyph glyph, QPoint at, QColor colour) {
    painter.drawImage(at, GlyphImage(glyph, colour));
}

}  // namespace quillon
