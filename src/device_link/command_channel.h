#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>

#include "device_link/command_packet.h"
#include "device_link/hid_device.h"

namespace kestrion {

// Result codes of every command operation.
enum CommandResult : int {
    kCommandOk = 1,
    kCommandReadFailed = 0,  // also: the channel is not open
    kCommandWriteFailed = -1,
    kCommandUnreachable = -101,  // the receiver says the device behind it does not answer
    kCommandStatusInvalid = -102,
    kCommandStatusRejected = -103,
    kCommandBadKeyPage = -201,
};

enum class LinkMode { Wired = 1, Receiver = 2 };

// The request/reply exchange with one device's command interface, over its cable or its
// receiver. One per device object; used from its worker thread and the lighting thread, and
// closed from the UI thread.
//
// Locks: commandLock (configuration packets) or lightLock (lighting table and light frames) is
// taken first, around one packet's exchange; ioLock second, around each single write or read and
// around re-opening a link.
class CommandChannel {
public:
    static constexpr std::uint16_t kMaxBlockLength = 512;
    static constexpr std::size_t kDeviceInfoSize = 34;
    static constexpr std::size_t kWiredChunk = 56;
    static constexpr std::size_t kReceiverChunk = 24;

    CommandChannel();
    ~CommandChannel();
    CommandChannel(const CommandChannel&) = delete;
    CommandChannel& operator=(const CommandChannel&) = delete;

    // Told after each packet of a multi-packet configuration transfer: bytes done of the total.
    // Set before the channel is used.
    using ProgressObserver = std::function<void(std::size_t done, std::size_t total)>;
    void setProgressObserver(ProgressObserver observer) { m_progress = std::move(observer); }

    void setLinkMode(int mode);
    bool setBlockLength(std::uint16_t length);
    void setOpen(bool open) { m_open = open; }
    void setSuspended(bool suspended) { m_suspended = suspended; }

    bool isOpen() const { return m_open; }
    bool isBusy() const { return m_busy > 0; }
    bool isSuspended() const { return m_suspended; }
    bool receiverMode() const { return m_receiverMode; }
    std::size_t chunkSize() const { return m_chunkSize; }
    std::uint16_t blockLength() const { return m_blockLength; }
    HidDevice& wiredLink() { return m_wiredLink; }
    HidDevice& receiverLink() { return m_receiverLink; }
    std::recursive_mutex& ioLock() { return m_ioLock; }

    int beginConfig();
    int endConfig();
    int readDeviceInfo(std::uint8_t* destination);
    int writeDeviceInfo(const std::uint8_t* source);
    int readSettings(std::uint8_t* destination, std::size_t length, std::uint16_t startOffset);
    int writeSettings(const std::uint8_t* source, std::size_t length, std::uint16_t startOffset);
    int readKeyTable(std::uint8_t* destination);
    int writeKeyTable(const std::uint8_t* source, int page);
    int readLightTable(std::uint8_t* destination, std::size_t length, int index, int stride);
    int writeLightTable(const std::uint8_t* source, std::size_t length, int index, int stride);
    int streamLightFrame(const std::uint8_t* source, std::size_t length);
    int writeMacroData(const std::uint8_t* source, std::size_t length);
    int writeShootData(const std::uint8_t* source, std::size_t length);
    int sendReadyNotice();
    int readStatus(std::uint8_t* destination, std::size_t length, std::uint16_t offset);
    int readSecondKeyTable(std::uint8_t* destination);
    int enableSoftwareLighting();
    bool queryReceiverLink();

private:
    enum class Exchange { Standard, Fast };
    enum class Direction { Read, Write };
    struct Transfer {
        CommandCode code;
        Direction direction;
        std::uint8_t* destination;
        const std::uint8_t* source;
        std::size_t length;
        std::uint16_t startOffset;
        std::size_t chunk;
        Exchange exchange;
    };

    HidDevice& activeLink() { return m_receiverMode ? m_receiverLink : m_wiredLink; }
    std::recursive_mutex& lockFor(CommandCode code);
    int bareCommand(CommandCode code);
    int chunkedTransfer(const Transfer& transfer);
    int sendPacket(const Packet& request, Packet& reply, Exchange exchange);
    int standardExchange(const Packet& request, Packet& reply);
    int awaitReply(const Packet& request, Packet& reply, int timeoutMs, bool receiver);
    int fastExchange(const Packet& request, Packet& reply);
    int rawExchange(Packet& buffer);
    bool writeRequest(const Packet& request, int timeoutMs, bool flushFirst);
    bool readReply(Packet& reply, int timeoutMs, bool pauseFirst);

    std::atomic<std::uint16_t> m_blockLength{kMaxBlockLength};
    std::atomic<int> m_busy{0};  // exchanges in flight
    std::atomic<bool> m_open{false};
    HidDevice m_wiredLink;
    HidDevice m_receiverLink;
    std::recursive_mutex m_ioLock;
    std::recursive_mutex m_commandLock;
    std::recursive_mutex m_lightLock;
    std::atomic<bool> m_receiverMode{false};
    std::atomic<std::size_t> m_chunkSize{kReceiverChunk};
    std::atomic<bool> m_suspended{false};
    ProgressObserver m_progress;
};

}  // namespace kestrion
