#pragma once
// A tape recorder on the other end of a pseudo-terminal: it reads command packets, keeps them,
// and answers as told: ACK to commands, status to STATUS SENSE (recording after a number of
// polls), or NAK, bad checksums, half packets and garbage. The link opens the terminal's slave
// side like any serial device.
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quillon::testing {

class VtrEmulator {
  public:
    enum class Answer { kProper, kNak, kBadChecksum, kHalfPacket, kGarbage, kSilent };

    explicit VtrEmulator(int pollsBeforeRecording = 2, Answer answer = Answer::kProper)
        : recordAfter_(pollsBeforeRecording), answer_(answer) {
        char name[256] = {};
        if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) return;
        device_ = name;
        thread_ = std::thread([this] { Serve(); });
    }
    ~VtrEmulator() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (master_ >= 0) close(master_);
        if (slave_ >= 0) close(slave_);
    }

    const std::string& device() const { return device_; }
    // Every packet received, in order.
    std::vector<std::vector<uint8_t>> packets() {
        std::lock_guard lock(mutex_);
        return packets_;
    }
    int statusPolls() const { return polls_; }

  private:
    void Serve() {
        std::vector<uint8_t> buffer;
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN)) continue;
            uint8_t chunk[256];
            const ssize_t got = read(master_, chunk, sizeof chunk);
            if (got <= 0) continue;
            buffer.insert(buffer.end(), chunk, chunk + got);
            while (!buffer.empty()) {
                // EDIT PRESET carries one byte whatever its count nibble says.
                const bool editPreset = buffer[0] == 0x42 && buffer.size() > 1 && buffer[1] == 0x30;
                const size_t size = editPreset ? 4 : size_t(buffer[0] & 0x0F) + 3;
                if (buffer.size() < size) break;
                std::vector<uint8_t> packet(buffer.begin(), buffer.begin() + long(size));
                buffer.erase(buffer.begin(), buffer.begin() + long(size));
                {
                    std::lock_guard lock(mutex_);
                    packets_.push_back(packet);
                }
                Reply(packet);
            }
        }
    }

    void Reply(const std::vector<uint8_t>& command) {
        std::vector<uint8_t> reply;
        if (command[0] == 0x61 && command[1] == 0x20) {
            const bool recording = ++polls_ > recordAfter_;
            reply = {0x77, 0x20, 0x00, uint8_t(recording ? 0x02 : 0x00), 0, 0, 0, 0, 0};
        } else {
            reply = {0x10, 0x01};
        }
        switch (answer_) {
            case Answer::kNak:
                reply = {0x11, 0x12};
                break;
            case Answer::kGarbage:
                reply = {0xFF, 0x13, 0x37, 0x00, 0x42};
                Write(reply);
                return;
            case Answer::kSilent:
                return;
            default:
                break;
        }
        unsigned sum = 0;
        for (uint8_t b : reply)
            sum += b;
        reply.push_back(uint8_t(sum + (answer_ == Answer::kBadChecksum ? 1 : 0)));
        if (answer_ == Answer::kHalfPacket) reply.resize(reply.size() / 2);
        Write(reply);
    }

    void Write(const std::vector<uint8_t>& bytes) {
        if (write(master_, bytes.data(), bytes.size()) < 0) return;
    }

    int master_ = -1, slave_ = -1;
    std::string device_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::vector<uint8_t>> packets_;
    std::atomic<int> polls_{0};
    int recordAfter_;
    Answer answer_;
};

}  // namespace quillon::testing
