#include "device_link/command_channel.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/diagnostics.h"
#include "platform/log.h"

namespace kestrion {
namespace {

constexpr int kWiredTimeoutMs = 1000;
constexpr int kReceiverTimeoutMs = 5000;
constexpr int kReceiverFastTimeoutMs = 500;
constexpr auto kReplyPause = std::chrono::milliseconds(10);
constexpr std::uint8_t kReceiverLinked = 0xFF;  // reply byte 8 of the link query

void tracePacket(const char* label, const Packet& p)
{
    if (diagnosticsEnabled())
        debugTrace(std::string(label) + "\n" + formatPacketTrace(p));
}

// A reply belongs to a request when it repeats its command, length and offset; anything else is
// a late reply to an earlier request.
bool echoes(const Packet& request, const Packet& reply)
{
    return std::equal(request.begin() + packet::kCommandOffset, request.begin() + packet::kStatusOffset,
                      reply.begin() + packet::kCommandOffset);
}

bool receiverCannotReach(const Packet& reply)
{
    return reply[packet::kCommandOffset] == packet::kReceiverNoAnswer;
}

long long nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int statusResult(const Packet& reply)
{
    switch (reply[packet::kStatusOffset]) {
    case packet::kStatusInvalid:
        return kCommandStatusInvalid;
    case packet::kStatusRejected:
        return kCommandStatusRejected;
    default:
        return kCommandOk;
    }
}

// Counts the exchanges in flight: the light lock lets a lighting-table write overlap a
// configuration exchange, and the first to finish must not clear the other's mark.
class BusyMark {
public:
    explicit BusyMark(std::atomic<int>& busy) : m_busy(busy) { ++m_busy; }
    ~BusyMark() { --m_busy; }
    BusyMark(const BusyMark&) = delete;
    BusyMark& operator=(const BusyMark&) = delete;

private:
    std::atomic<int>& m_busy;
};

}  // namespace

CommandChannel::CommandChannel() = default;

CommandChannel::~CommandChannel()
{
    m_wiredLink.close();
    m_receiverLink.close();
}

void CommandChannel::setLinkMode(int mode)
{
    const bool receiver = mode == static_cast<int>(LinkMode::Receiver);
    m_receiverMode = receiver;
    m_chunkSize = receiver ? kReceiverChunk : kWiredChunk;
}

bool CommandChannel::setBlockLength(std::uint16_t length)
{
    if (length > kMaxBlockLength)
        return false;
    m_blockLength = length;
    return true;
}

int CommandChannel::beginConfig()
{
    return bareCommand(CommandCode::BeginConfig);
}

int CommandChannel::endConfig()
{
    std::this_thread::sleep_for(kReplyPause);
    return bareCommand(CommandCode::EndConfig);
}

int CommandChannel::readDeviceInfo(std::uint8_t* destination)
{
    return chunkedTransfer({CommandCode::ReadDeviceInfo, Direction::Read, destination, nullptr,
                            kDeviceInfoSize, 0, m_chunkSize, Exchange::Standard});
}

int CommandChannel::writeDeviceInfo(const std::uint8_t* source)
{
    // One packet of 34 bytes even through the receiver.
    return chunkedTransfer({CommandCode::WriteDeviceInfo, Direction::Write, nullptr, source,
                            kDeviceInfoSize, 0, kDeviceInfoSize, Exchange::Standard});
}

int CommandChannel::readSettings(std::uint8_t* destination, std::size_t length, std::uint16_t startOffset)
{
    return chunkedTransfer({CommandCode::ReadSettings, Direction::Read, destination, nullptr, length,
                            startOffset, m_chunkSize, Exchange::Standard});
}

int CommandChannel::writeSettings(const std::uint8_t* source, std::size_t length, std::uint16_t startOffset)
{
    return chunkedTransfer({CommandCode::WriteSettings, Direction::Write, nullptr, source, length,
                            startOffset, m_chunkSize, Exchange::Standard});
}

int CommandChannel::readKeyTable(std::uint8_t* destination)
{
    return chunkedTransfer({CommandCode::ReadKeyTable, Direction::Read, destination, nullptr,
                            m_blockLength, 0, m_chunkSize, Exchange::Standard});
}

int CommandChannel::writeKeyTable(const std::uint8_t* source, int page)
{
    if (page != 0)
        return kCommandBadKeyPage;
    return chunkedTransfer({CommandCode::WriteKeyTable, Direction::Write, nullptr, source,
                            m_blockLength, 0, m_chunkSize, Exchange::Standard});
}

int CommandChannel::readLightTable(std::uint8_t* destination, std::size_t length, int index, int stride)
{
    return chunkedTransfer({CommandCode::ReadLightTable, Direction::Read, destination, nullptr, length,
                            static_cast<std::uint16_t>(index * stride), m_chunkSize, Exchange::Standard});
}

int CommandChannel::writeLightTable(const std::uint8_t* source, std::size_t length, int index, int stride)
{
    return chunkedTransfer({CommandCode::WriteLightTable, Direction::Write, nullptr, source, length,
                            static_cast<std::uint16_t>(index * stride), m_chunkSize, Exchange::Standard});
}

int CommandChannel::streamLightFrame(const std::uint8_t* source, std::size_t length)
{
    return chunkedTransfer({CommandCode::StreamLightFrame, Direction::Write, nullptr, source, length, 0,
                            m_chunkSize, Exchange::Fast});
}

int CommandChannel::writeMacroData(const std::uint8_t* source, std::size_t length)
{
    return chunkedTransfer({CommandCode::WriteMacroData, Direction::Write, nullptr, source, length, 0,
                            m_chunkSize, Exchange::Standard});
}

int CommandChannel::writeShootData(const std::uint8_t* source, std::size_t length)
{
    return chunkedTransfer({CommandCode::WriteShootData, Direction::Write, nullptr, source, length, 0,
                            packet::kMaxData, Exchange::Standard});
}

int CommandChannel::sendReadyNotice()
{
    Packet buffer = buildRequest(CommandCode::SendReadyNotice, 0, 0, nullptr, 0, false);
    // Held so that this reply cannot be taken by, or take, another thread's exchange.
    std::lock_guard lock(m_commandLock);
    return rawExchange(buffer);
}

int CommandChannel::readStatus(std::uint8_t* destination, std::size_t length, std::uint16_t offset)
{
    const std::size_t n = std::min(length, packet::kMaxData);
    return chunkedTransfer({CommandCode::ReadStatus, Direction::Read, destination, nullptr, n, offset,
                            packet::kMaxData, Exchange::Standard});
}

int CommandChannel::readSecondKeyTable(std::uint8_t* destination)
{
    return chunkedTransfer({CommandCode::ReadSecondKeyTable, Direction::Read, destination, nullptr,
                            static_cast<std::size_t>(m_blockLength / 3), 0, m_chunkSize, Exchange::Standard});
}

int CommandChannel::enableSoftwareLighting()
{
    return bareCommand(CommandCode::EnableSoftwareLighting);
}

bool CommandChannel::queryReceiverLink()
{
    if (!m_receiverMode)
        return true;
    const Packet request = buildRequest(CommandCode::QueryReceiverLink, 0, 0);
    Packet reply{};
    const int result = sendPacket(request, reply, Exchange::Standard);
    const bool answered = reply[packet::kDataOffset] == kReceiverLinked;
    if (!answered)
        writeLog("Hid2_4GDeviceIsLink>0xAA    false");
    return result == kCommandOk && answered;
}

std::recursive_mutex& CommandChannel::lockFor(CommandCode code)
{
    const bool lighting = code == CommandCode::WriteLightTable || code == CommandCode::StreamLightFrame;
    return lighting ? m_lightLock : m_commandLock;
}

int CommandChannel::bareCommand(CommandCode code)
{
    const Packet request = buildRequest(code, 0, 0);
    Packet reply{};
    return sendPacket(request, reply, Exchange::Standard);
}

int CommandChannel::chunkedTransfer(const Transfer& t)
{
    for (std::size_t done = 0; done < t.length;) {
        const std::size_t n = std::min(t.chunk, t.length - done);
        const auto address = static_cast<std::uint16_t>(t.startOffset + done);
        const std::uint8_t* data = t.direction == Direction::Write ? t.source + done : nullptr;
        const Packet request = buildRequest(t.code, static_cast<std::uint8_t>(n), address, data, n);
        if (t.exchange == Exchange::Fast && m_busy > 0) {
            // Light frames give way to configuration traffic: dropped, never queued.
            debugTrace("放弃灯光数据");
            done += n;
            continue;
        }
        Packet reply{};
        const int result = sendPacket(request, reply, t.exchange);
        if (result != kCommandOk)
            return result;
        if (t.direction == Direction::Read)
            std::copy_n(reply.begin() + packet::kDataOffset, n, t.destination + done);
        done += n;
        if (m_progress && t.exchange == Exchange::Standard && t.length > t.chunk)
            m_progress(done, t.length);
    }
    return kCommandOk;
}

int CommandChannel::sendPacket(const Packet& request, Packet& reply, Exchange exchange)
{
    const auto code = static_cast<CommandCode>(request[packet::kCommandOffset]);
    std::lock_guard lock(lockFor(code));
    const int result = exchange == Exchange::Fast ? fastExchange(request, reply) : standardExchange(request, reply);
    return result == kCommandOk ? statusResult(reply) : result;
}

bool CommandChannel::writeRequest(const Packet& request, int timeoutMs, bool flushFirst)
{
    std::lock_guard io(m_ioLock);
    HidDevice& link = activeLink();
    if (flushFirst)
        link.flushInputQueue();
    return link.writeReport(request.data(), request.size(), nullptr, timeoutMs);
}

bool CommandChannel::readReply(Packet& reply, int timeoutMs, bool pauseFirst)
{
    std::lock_guard io(m_ioLock);
    if (pauseFirst)
        std::this_thread::sleep_for(kReplyPause);
    return activeLink().readReport(reply.data(), reply.size(), nullptr, timeoutMs);
}

int CommandChannel::standardExchange(const Packet& request, Packet& reply)
{
    if (m_suspended)
        return kCommandOk;
    BusyMark busy(m_busy);
    if (!m_open)
        return kCommandReadFailed;

    tracePacket("命令", request);
    const bool receiver = m_receiverMode;
    const int timeoutMs = receiver ? kReceiverTimeoutMs : kWiredTimeoutMs;
    int result = kCommandReadFailed;
    for (int attempt = 0; attempt < 2 && result == kCommandReadFailed; ++attempt) {
        // Late replies to earlier requests are drained on both links before the request goes out.
        if (!writeRequest(request, timeoutMs, true))
            return kCommandWriteFailed;
        result = awaitReply(request, reply, timeoutMs, receiver);
    }
    tracePacket("返回", reply);
    return result;
}

// Reads until the reply to `request` arrives, skipping stale ones, within one timeout.
int CommandChannel::awaitReply(const Packet& request, Packet& reply, int timeoutMs, bool receiver)
{
    const long long deadline = nowMs() + timeoutMs;
    bool pauseFirst = true;
    for (int left = timeoutMs; left >= 0; left = static_cast<int>(deadline - nowMs())) {
        if (!readReply(reply, left, pauseFirst))
            break;
        pauseFirst = false;
        if (echoes(request, reply))
            return kCommandOk;
        if (receiver && receiverCannotReach(reply))
            return kCommandUnreachable;
        tracePacket("stale reply skipped", reply);
    }
    // Neither a stale reply nor half a read may pass for this request's answer.
    reply.fill(0);
    return kCommandReadFailed;
}

int CommandChannel::fastExchange(const Packet& request, Packet& reply)
{
    // Light frames too stay off a device whose firmware another program is writing.
    if (m_suspended)
        return kCommandOk;
    BusyMark busy(m_busy);
    if (!m_open)
        return kCommandReadFailed;

    const bool receiver = m_receiverMode;
    const int timeoutMs = receiver ? kReceiverFastTimeoutMs : kWiredTimeoutMs;
    if (!writeRequest(request, timeoutMs, false))
        return kCommandWriteFailed;

    std::lock_guard io(m_ioLock);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const bool read = readReply(reply, timeoutMs, false);
        if (echoes(request, reply))
            return read ? kCommandOk : kCommandReadFailed;
        if (receiver && receiverCannotReach(reply))
            return kCommandUnreachable;
    }
    return kCommandReadFailed;
}

int CommandChannel::rawExchange(Packet& buffer)
{
    if (!m_open)
        return kCommandReadFailed;
    const int timeoutMs = m_receiverMode ? kReceiverTimeoutMs : kWiredTimeoutMs;
    if (!writeRequest(buffer, timeoutMs, false))
        return kCommandWriteFailed;
    return readReply(buffer, timeoutMs, false) ? kCommandOk : kCommandReadFailed;
}

}  // namespace kestrion
