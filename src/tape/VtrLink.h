#pragma once
// The link to the tape recorder over a serial port: opened exclusively at 38400 baud, 8 data
// bits, odd parity, 1 stop bit, with DTR and RTS raised and a second to settle; command
// packets written after both queues are purged; replies read 18 ms later and checked. Failures
// are results only; nothing is shown to anyone here.
//
// The recorder's port is chosen as "Com 1".."Com 4"; each stands for a device kept in the
// profile's "System"/"VTRDevice1".."VTRDevice4" (/dev/ttyS0../dev/ttyS3 unless changed there).

#include <QString>
#include <chrono>
#include <memory>
#include <optional>

#include "VtrProtocol.h"

class QSerialPort;

namespace quillon {

class Profile;

// Asked between the polls of WaitForRecord: true ends the wait (a key press, Cancel, Ctrl-C,
// a time limit). Keeps the user interface alive while it is asked.
class WaitControl {
  public:
    virtual ~WaitControl() = default;
    virtual bool StopRequested() = 0;
};

// The device of a port index (1 to 4); an empty text for 0 ("None") or anything else.
QString VtrDevice(const Profile& profile, int portIndex);

class VtrLink {
  public:
    VtrLink();
    ~VtrLink();
    VtrLink(const VtrLink&) = delete;
    VtrLink& operator=(const VtrLink&) = delete;

    // The settle time after opening (a second; tests shorten it).
    std::chrono::milliseconds settle{1000};

    // False when a port is already open (which stays as it is) or the device cannot be opened
    // for reading and writing, alone.
    bool Open(const QString& device);
    bool isOpen() const;
    // Why the last Open failed, in the serial port's words.
    const QString& openError() const { return openError_; }
    void Close();

    // Purges both queues and writes the packet; does not wait for a reply.
    bool SendCommand(uint8_t cmd1, uint8_t cmd2, const std::vector<uint8_t>& data = {});
    // 18 ms after, the first packet of what is waiting (at most 64 bytes); kBad when the port
    // reports an error, nothing waits or the checksum is wrong.
    vtr::Reply ReadReply();
    // STATUS SENSE and its reply; nothing when either fails.
    std::optional<vtr::Reply> Status();
    // The record bit of status byte 1.
    bool IsRecording();
    // True at once when recording; else polls until the recorder records (true) or control
    // says stop (false).
    bool WaitForRecord(WaitControl& control);
    // EDIT PRESET, IN DATA PRESET, OUT DATA PRESET, AUTO EDIT, 100 ms before each; the points
    // are timecode text, rewritten in the long form at the frame rate (x 100). False at the
    // first write that fails; replies are not read.
    bool PresetAndRecord(const QString& in, const QString& out, int frameRate, bool video,
                         bool audio1, bool audio2);
    bool Stop();

  private:
    std::unique_ptr<QSerialPort> port_;
    QString openError_;
};

}  // namespace quillon
