#include "VtrLink.h"

#include <termios.h>

#include <QSerialPort>
#include <QThread>

#include "model/Profile.h"
#include "model/Timecode.h"

namespace quillon {

namespace {

constexpr int kReplyWaitMs = 18;
constexpr int kCommandGapMs = 100;
constexpr int kMostReplyBytes = 64;

}  // namespace

QString VtrDevice(const Profile& profile, int portIndex) {
    if (portIndex < 1 || portIndex > 4) return QString();
    return profile.GetString(QStringLiteral("System"), QStringLiteral("VTRDevice%1").arg(portIndex),
                             QStringLiteral("/dev/ttyS%1").arg(portIndex - 1));
}

VtrLink::VtrLink() = default;

VtrLink::~VtrLink() {
    Close();
}

bool VtrLink::isOpen() const {
    return port_ && port_->isOpen();
}

bool VtrLink::Open(const QString& device) {
    if (isOpen()) {
        openError_ = QStringLiteral("a recorder port is open already");
        return false;
    }
    openError_.clear();
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(device);
    // QSerialPort opens the device alone (a lock, and TIOCEXCL on the terminal).
    if (!port->open(QIODevice::ReadWrite)) {
        openError_ = port->errorString();
        return false;
    }
    if (!port->setBaudRate(QSerialPort::Baud38400) || !port->setDataBits(QSerialPort::Data8) ||
        !port->setParity(QSerialPort::OddParity) || !port->setStopBits(QSerialPort::OneStop) ||
        !port->setFlowControl(QSerialPort::NoFlowControl)) {
        openError_ = port->errorString();
        return false;
    }
    // A pseudo-terminal has no modem lines: a refusal here is no reason to give up the port.
    port->setDataTerminalReady(true);
    port->setRequestToSend(true);
    port->clearError();
    port_ = std::move(port);
    QThread::msleep(static_cast<unsigned long>(settle.count()));
    return true;
}

void VtrLink::Close() {
    if (port_) port_->close();
    port_.reset();
}

bool VtrLink::SendCommand(uint8_t cmd1, uint8_t cmd2, const std::vector<uint8_t>& data) {
    if (!isOpen()) return false;
    port_->clearError();  // errors count for the exchange they happen in
    const std::vector<uint8_t> packet = vtr::CommandPacket(cmd1, cmd2, data);
    // Whatever waits either way belongs to an earlier exchange. Every write is drained before
    // it returns, so the output queue is empty by now: purging the input is what is left to
    // do (purging a pseudo-terminal's output would take back bytes its other end has not read).
    port_->clear(QSerialPort::Input);
    port_->readAll();
    const qint64 written =
        port_->write(reinterpret_cast<const char*>(packet.data()), qint64(packet.size()));
    if (written != qint64(packet.size())) return false;
    while (port_->bytesToWrite() > 0)
        if (!port_->waitForBytesWritten(1000)) return false;
    // Sent before the call returns: the next command's purge must not take it back.
    return ::tcdrain(int(port_->handle())) == 0;
}

vtr::Reply VtrLink::ReadReply() {
    if (!isOpen()) return {};
    QThread::msleep(kReplyWaitMs);
    // What the recorder sent by now, pulled in without waiting any longer (finding nothing
    // more is a time-out, not a fault of the port).
    port_->waitForReadyRead(0);
    const QSerialPort::SerialPortError error = port_->error();
    if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError) return {};
    const QByteArray bytes = port_->read(kMostReplyBytes);
    if (bytes.isEmpty()) return {};
    return vtr::DecodeReply(reinterpret_cast<const uint8_t*>(bytes.constData()),
                            size_t(bytes.size()));
}

std::optional<vtr::Reply> VtrLink::Status() {
    if (!SendCommand(vtr::kStatusSense[0], vtr::kStatusSense[1], {vtr::kStatusSenseRequest}))
        return std::nullopt;
    const vtr::Reply reply = ReadReply();
    if (!reply.ok()) return std::nullopt;
    return reply;
}

bool VtrLink::IsRecording() {
    const auto reply = Status();
    return reply && reply->kind == vtr::Reply::kStatus && (reply->status[1] & vtr::kRecordBit);
}

bool VtrLink::WaitForRecord(WaitControl& control) {
    if (IsRecording()) return true;
    for (;;) {
        if (control.StopRequested()) return false;
        if (IsRecording()) return true;
    }
}

bool VtrLink::PresetAndRecord(const QString& in, const QString& out, int frameRate, bool video,
                              bool audio1, bool audio2) {
    const std::string inText =
        FormatTimecode(ParseTimecode(in.toStdString(), frameRate), frameRate);
    const std::string outText =
        FormatTimecode(ParseTimecode(out.toStdString(), frameRate), frameRate);
    const auto inBytes = vtr::TimecodeBytes(inText);
    const auto outBytes = vtr::TimecodeBytes(outText);
    struct Step {
        const uint8_t* command;
        std::vector<uint8_t> data;
    };
    const uint8_t track = vtr::TrackByte(video, audio1, audio2);
    const Step steps[] = {
        {vtr::kEditPreset, {track}},
        {vtr::kInDataPreset, {inBytes[0], inBytes[1], inBytes[2], inBytes[3]}},
        {vtr::kOutDataPreset, {outBytes[0], outBytes[1], outBytes[2], outBytes[3]}},
        {vtr::kAutoEdit, {}},
    };
    for (const Step& s : steps) {
        QThread::msleep(kCommandGapMs);
        if (!SendCommand(s.command[0], s.command[1], s.data)) return false;
    }
    return true;
}

bool VtrLink::Stop() {
    return SendCommand(vtr::kStop[0], vtr::kStop[1]);
}

}  // namespace quillon
