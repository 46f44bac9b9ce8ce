#include "SetFile.h"

#include "ByteStream.h"
#include "DurableFile.h"
#include "Paths.h"

namespace quillon {

void EncodePanel(const SetPanel& p, unsigned char* out) {
    std::string bytes;
    bytes.reserve(kSetPanelBytes);
    LeWriter w(bytes);
    w.U32(p.panelColor);
    for (float v : p.cornerEastWest)
        w.F32(v);
    for (float v : p.cornerUpDown)
        w.F32(v);
    for (float v : p.cornerNorthSouth)
        w.F32(v);
    w.U8(p.selected);
    w.Bytes(p.imagePath, kPanelPathBytes);
    w.I16(p.textureSlot);
    w.I32(p.keyColor);
    std::copy(bytes.begin(), bytes.end(), out);
}

SetPanel DecodePanel(const unsigned char* in) {
    LeReader r(in, kSetPanelBytes);
    SetPanel p;
    p.panelColor = r.U32();
    for (float& v : p.cornerEastWest)
        v = r.F32();
    for (float& v : p.cornerUpDown)
        v = r.F32();
    for (float& v : p.cornerNorthSouth)
        v = r.F32();
    p.selected = r.U8();
    r.Bytes(p.imagePath, kPanelPathBytes);
    p.textureSlot = r.I16();
    p.keyColor = r.I32();
    return p;
}

bool ReadSetStream(std::FILE* file, std::vector<SetPanel>& panels) {
    unsigned char header;
    if (std::fread(&header, 1, 1, file) != 1) return false;
    unsigned char rec[kSetPanelBytes];
    while (panels.size() < kMaxSetPanels &&
           std::fread(rec, 1, kSetPanelBytes, file) == kSetPanelBytes)
        panels.push_back(DecodePanel(rec));
    return true;
}

bool ReadSetBytes(std::string_view bytes, std::vector<SetPanel>& panels) {
    if (bytes.empty()) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (size_t at = 1; panels.size() < kMaxSetPanels && at + kSetPanelBytes <= bytes.size();
         at += kSetPanelBytes)
        panels.push_back(DecodePanel(p + at));
    return true;
}

bool ReadSetFile(const std::string& path, std::vector<SetPanel>& panels) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    const bool ok = ReadSetStream(f, panels);
    std::fclose(f);
    return ok;
}

std::string SerializeSet(const std::vector<SetPanel>& panels) {
    std::string out(1 + panels.size() * kSetPanelBytes, '\0');
    out[0] = static_cast<char>(kSetFileHeader);
    for (size_t i = 0; i < panels.size(); ++i)
        EncodePanel(panels[i], reinterpret_cast<unsigned char*>(&out[1 + i * kSetPanelBytes]));
    return out;
}

bool WriteSetFile(const std::string& path, const std::vector<SetPanel>& panels) {
    return WriteFileAtomically(path, SerializeSet(panels));
}

}  // namespace quillon
