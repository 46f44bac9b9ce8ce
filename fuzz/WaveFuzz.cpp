// Feeds arbitrary bytes to the WAV reader: the chunk walk, the start offset and length at a few
// frame rates, the clip player streaming the data to an output that takes each buffer at once
// (never more than two in flight, never more bytes than the data chunk holds), and the PCM
// decoding that movies use.
#include <sys/mman.h>
#include <unistd.h>

#include <QBuffer>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <deque>

#include "model/Document.h"
#include "model/DocumentHost.h"
#include "model/Profile.h"
#include "model/QuietHost.h"
#include "player/ShowSoundtrack.h"
#include "player/SoundClip.h"
#include "player/WaveFile.h"

using namespace quillon;

namespace {

class CountingOutput final : public AudioOutput {
  public:
    int Open(const WaveFormat&, Client* c) override {
        client = c;
        return kAudioOpened;
    }
    void Write(const uint8_t*, size_t size) override {
        if (size == 0 || size > 4096) std::abort();
        queued.push_back(size);
        if (queued.size() > 2) std::abort();
        total += size;
    }
    bool Idle() const override { return queued.empty(); }
    void Reset() override { queued.clear(); }
    void Close() override { client = nullptr; }
    Client* client = nullptr;
    std::deque<size_t> queued;
    uint64_t total = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const WaveScan scan = ScanWave(buffer);
    if (!scan.ok()) return 0;
    for (int rate : {0, 50, 2997, 3000, 6000, INT32_MAX}) {
        if (LengthInFrames(rate, scan.dataSize, scan.format) < 0) std::abort();
        for (int64_t frame : {int64_t(0), int64_t(1), int64_t(30), int64_t(INT32_MAX)})
            if (StartOffset(frame, scan.format, rate) < 0) std::abort();
    }
    const std::vector<int16_t> pcm = ReadPcm16(buffer, scan, 2, 1 << 16);
    if (pcm.size() % 2 != 0) std::abort();

    // The clip player reads a file: the bytes go into one in memory.
    static QuietHost host;
    static Profile profile(QStringLiteral("/nonexistent/fuzz-wave.ini"));
    static Document doc(profile, host);
    const int fd = memfd_create("wave", 0);
    if (fd < 0) return 0;
    if (write(fd, data, size) != ssize_t(size)) {
        close(fd);
        return 0;
    }
    CountingOutput out;
    {
        SoundClip clip(doc, out);
        clip.SetFileName(QStringLiteral("/proc/self/fd/%1").arg(fd));
        if (clip.OpenAndScan(0, ScanMode::kScanOnly) && clip.Play(size % 7)) {
            // The device takes each buffer at once; the clip ends by itself.
            for (int rounds = 0; !out.queued.empty(); ++rounds) {
                if (rounds > (1 << 20)) std::abort();
                out.queued.pop_front();
                if (out.client) out.client->BufferDone();
            }
            if (clip.Playing()) std::abort();
            if (out.total > clip.dataSize()) std::abort();
        }
    }
    close(fd);
    return 0;
}
