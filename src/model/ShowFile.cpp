#include "ShowFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "ByteStream.h"
#include "DurableFile.h"
#include "Paths.h"

namespace quillon {

namespace {

constexpr size_t kMaxCaptionLine = 64 * 1024;
constexpr size_t kMaxCaptionBytes = 16 * 1024 * 1024;

void WriteNode(LeWriter& w, const ShowNode& n) {
    w.U8(kShowFileVersion);
    w.I16(static_cast<int16_t>(n.childCount()));
    w.U32(n.reserved);
    w.Bytes(n.name, kNodeTextBytes);
    w.Bytes(n.fileName, kNodeTextBytes);
    w.I32(n.startFrame);
    w.I32(n.endFrame);
    w.U16(n.flags & (kSelected | kRangeEditable));
    w.U8(static_cast<uint8_t>(n.kind));
    w.U8(n.motionMode);
    w.U16(0);
    w.I16(static_cast<int16_t>(n.keyBytes()));
    w.Keys(n.keys.data(), n.keys.size());
    w.I32(n.keyColor);
    for (const ShowNode* c : n.children)
        WriteNode(w, *c);
}

size_t NodeBytes(const ShowNode& n) {
    size_t total = 285 + size_t(n.keyBytes());
    for (const ShowNode* c : n.children)
        total += NodeBytes(*c);
    return total;
}

ShowReadResult ReadShow(TextModeReader& in, ShowFileContents& out, const ShowReadOptions& options);

// One record, read whole or not at all.
struct Record {
    std::unique_ptr<ShowNode> node;
    int pendingChildren = 0;
};

bool ReadRecord(TextModeReader& in, int version, Record& rec) {
    const size_t textBytes = version == 1 ? 41 : kNodeTextBytes;
    const size_t kindBytes = version >= 3 ? 4 : 1;
    // version, child count, reserved, name, fileName, start, end, flags, kind, keyBytes
    const size_t headBytes = 1 + 2 + 4 + 2 * textBytes + 4 + 4 + 2 + kindBytes + 2;
    unsigned char head[1 + 2 + 4 + 2 * kNodeTextBytes + 4 + 4 + 2 + 4 + 2];
    if (!in.Read(head, headBytes)) return false;
    LeReader r(head, headBytes);
    auto node = std::make_unique<ShowNode>();
    r.U8();  // every record carries the version; the first one decides for the whole file
    const int16_t children = r.I16();
    node->reserved = r.U32();
    r.Bytes(node->name, textBytes);
    r.Bytes(node->fileName, textBytes);
    node->startFrame = r.I32();
    node->endFrame = r.I32();
    node->flags = r.U16() & (kSelected | kRangeEditable);
    node->kind = static_cast<NodeKind>(r.U8());
    if (kindBytes == 4) {
        node->motionMode = r.U8();
        r.U16();
    }
    const int16_t keyBytes = r.I16();
    if (keyBytes < 0) return false;  // no way to know where the record ends

    const size_t count = size_t(keyBytes) / kKeyFrameBytes;
    const size_t rest = size_t(keyBytes) % kKeyFrameBytes;  // bytes of no whole key: skipped
    // The records are read straight into the key list and decoded in place.
    node->keys.resize(count);
    auto* raw = reinterpret_cast<unsigned char*>(node->keys.data());
    if (!in.Read(raw, count * kKeyFrameBytes)) return false;
    unsigned char skip[kKeyFrameBytes];
    if (rest && !in.Read(skip, rest)) return false;
    DecodeKeys(raw, count, node->keys.data());

    unsigned char tail[4];
    if (!in.Read(tail, 4)) return false;
    LeReader tr(tail, 4);
    node->keyColor = tr.I32();

    rec.node = std::move(node);
    rec.pendingChildren = children < 0 ? 0 : children;
    return true;
}

}  // namespace

ShowNode* AppendCamera(ShowNode& scene, bool rostrumMode, int32_t keyColor) {
    auto* cam = new ShowNode;
    cam->kind = NodeKind::Camera;
    cam->startFrame = scene.startFrame;
    cam->endFrame = scene.endFrame;
    if (!scene.AddChild(cam, false)) {
        delete cam;
        return nullptr;
    }
    cam->AddKey(DefaultCameraKey(rostrumMode), 0);
    cam->keyColor = keyColor;
    cam->setSelected(true);
    return cam;
}

std::string SerializeShow(const ShowNode& root, const std::vector<std::string>& captions) {
    std::string raw;
    raw.reserve(NodeBytes(root) + 64);
    LeWriter w(raw);
    WriteNode(w, root);
    raw += std::to_string(captions.size());
    raw += " CAPTIONS\n";
    for (const std::string& c : captions) {
        for (char ch : c)
            raw.push_back(ch == '\n' || ch == '\r' ? ' ' : ch);
        raw.push_back('\n');
    }
    return TextModeEncode(raw);
}

bool WriteShowFile(const std::string& path, const ShowNode& root,
                   const std::vector<std::string>& captions) {
    return WriteFileAtomically(path, SerializeShow(root, captions));
}

ShowReadResult ReadShowFile(const std::string& path, ShowFileContents& out,
                            const ShowReadOptions& options) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        out = ShowFileContents{};
        out.failure = std::strerror(errno);
        return ShowReadResult::CannotOpen;
    }
    const ShowReadResult result = ReadShowStream(f, out, options);
    std::fclose(f);
    return result;
}

ShowReadResult ReadShowStream(std::FILE* file, ShowFileContents& out,
                              const ShowReadOptions& options) {
    TextModeReader in(file);
    return ReadShow(in, out, options);
}

ShowReadResult ReadShowBytes(const unsigned char* data, size_t size, ShowFileContents& out,
                             const ShowReadOptions& options) {
    TextModeReader in(data, size);
    return ReadShow(in, out, options);
}

namespace {

ShowReadResult ReadShow(TextModeReader& in, ShowFileContents& out, const ShowReadOptions& options) {
    out = ShowFileContents{};
    const int version = in.PeekByte();
    if (version < 0) {
        out.failure = "the file is empty";
        return ShowReadResult::NotAShowFile;
    }
    if (version < 1 || version > 3) {
        char why[80];
        std::snprintf(why, sizeof why,
                      "not a show file (its first byte is %d, not a version 1 to 3)", version);
        out.failure = why;
        return ShowReadResult::NotAShowFile;
    }

    Record rootRec;
    if (!ReadRecord(in, version, rootRec)) {
        out.failure = "truncated at byte " + std::to_string(in.BytesRead()) +
                      ", inside the show's first record";
        return ShowReadResult::NotAShowFile;
    }
    out.version = version;
    out.root = std::move(rootRec.node);

    // The chain from the root to the record read last, with the children each still expects.
    struct Open {
        ShowNode* node;
        int pending;
    };
    std::vector<Open> chain{{out.root.get(), rootRec.pendingChildren}};
    auto anyPending = [&chain] {
        for (const Open& o : chain)
            if (o.pending > 0) return true;
        return false;
    };

    while (anyPending()) {
        Record rec;
        if (!ReadRecord(in, version, rec)) {
            out.truncated = true;
            break;
        }
        while (chain.back().pending == 0)
            chain.pop_back();
        Open& parent = chain.back();
        --parent.pending;
        ShowNode* node = rec.node.get();
        if (!parent.node->AddChild(node, false)) break;  // more children than a file can hold
        rec.node.release();
        const int depth = static_cast<int>(chain.size());
        if (version < 3 && node->Is(NodeKind::Scene) && parent.node == out.root.get()) {
            for (int i = 0; i < 4; ++i)
                AppendCamera(*node, options.rostrumMode, options.defaultKeyColor);
        }
        chain.push_back({node, depth >= kMaxShowDepth ? 0 : rec.pendingChildren});
    }

    std::string line;
    if (in.ReadLine(line, kMaxCaptionLine)) {
        out.hasCaptionSection = true;
        size_t total = 0;
        while (total < kMaxCaptionBytes && in.ReadLine(line, kMaxCaptionLine)) {
            total += line.size() + 1;
            out.captions.push_back(line);
        }
    }

    if (version < 3) {
        // Older files kept the camera motion in the scene's own keys: camera 0 takes them.
        for (ShowNode* scene : out.root->children) {
            if (!scene->Is(NodeKind::Scene)) continue;
            ShowNode* cam = scene->ChildAt(0);
            if (!cam || !cam->Is(NodeKind::Camera)) continue;
            for (const KeyFrame& k : scene->keys)
                cam->AddKey(k, 0);
        }
    }
    return ShowReadResult::Ok;
}

}  // namespace
}  // namespace quillon
