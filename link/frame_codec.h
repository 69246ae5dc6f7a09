// Framing of messages on the line: DLE STX, the message with every DLE doubled, DLE ETX.
// There is no checksum, length field or sequence number: the transactions judge a reply by its
// code byte and length alone.
#pragma once

#include "link/serial_line.h"

#include <array>
#include <cstddef>
#include <cstdint>

inline constexpr std::uint8_t DLE = 0x10;
inline constexpr std::uint8_t STX = 0x02;
inline constexpr std::uint8_t ETX = 0x03;

// What every operation of the device link returns. The commands tell only LinkOk from the rest:
// any other result is a failed stage. The values are the link's own and never change.
enum class LinkResult {
    LinkOk = 0,      // success; for the receiver, a frame is complete
    LinkSilent = 1,  // drain mode: no byte arrived within the read timeout (the line is quiet)
    LinkFailed = 2,  // a transaction failed: a reply missing, of the wrong code or length, or a
                     // block that failed its check
    LinkNoReply = 4, // reply mode: no byte within the read timeout, or the reply took too long
    LinkPending = 6, // the receiver needs more bytes
};
using enum LinkResult;

// Where the receiver stands in the frame it is rebuilding.
enum class ReceiveStateValue {
    Idle,      // between frames, hunting for DLE STX
    IdleDle,   // between frames, after a DLE
    InFrame,   // inside a frame, storing message bytes
    InFrameDle // inside a frame, after a DLE: doubled DLE, ETX, or STX starting anew
};
using enum ReceiveStateValue;

enum class ReceiveMode { Drain, Reply };

inline constexpr std::size_t kMessageBufferSize = 256;
inline constexpr std::size_t kFrameBufferSize = 4 + 2 * kMessageBufferSize;

// Total time one receive may take on a line that keeps sending bytes without completing a
// frame. A reply is bounded well above the longest frame's line time; a drain, which reads and
// throws away whatever the processor still had to send, only at the link check's limit.
inline constexpr int kReplyLimitMs = 3000;
inline constexpr int kDrainLimitMs = 10000;

// The framing of one line: the buffer in which every message is built and every reply received,
// the encoded outgoing frame, and the receiver's state. A program keeps one codec for its port
// from start to end: the state persists between exchanges and between commands, and only the
// bytes on the line move it, so a frame cut off by a silent second is continued by the next
// receive. Every operation that touches the line takes it as its first argument (the port, or
// the port seen through a trace).
class FrameCodec {
public:
    using Message = std::array<std::uint8_t, kMessageBufferSize>;
    using Frame = std::array<std::uint8_t, kFrameBufferSize>;

    FrameCodec() = default;
    FrameCodec(const FrameCodec&) = delete;
    FrameCodec& operator=(const FrameCodec&) = delete;

    // Encodes the first n bytes of MessageBuffer (n at most 256) into FrameBuffer and writes the
    // frame to the line in one Write. Always LinkOk.
    LinkResult SendFrame(SerialLine& line, int n);
    // Reads and feeds bytes until a frame completes (LinkOk, length = ReceiveLength) or the line
    // is silent for the read timeout (LinkSilent in drain mode, LinkNoReply in reply mode,
    // length = 0). On a line that keeps sending without completing a frame it gives up with
    // LinkNoReply once `limit` has passed on the line's clock; without one, after kReplyLimitMs in
    // reply mode and kDrainLimitMs in drain mode.
    LinkResult ReceiveFrame(SerialLine& line, int& length, ReceiveMode mode);
    LinkResult ReceiveFrame(SerialLine& line, int& length, ReceiveMode mode, const Deadline& limit);
    // One step of the receive state machine: LinkOk when this byte completed a frame, LinkPending
    // otherwise.
    LinkResult FeedReceiver(std::uint8_t byte);
    // SendFrame(line, length), then ReceiveFrame in reply mode; length then holds the reply's
    // length.
    LinkResult Exchange(SerialLine& line, int& length);

    // The message buffer: byte 0 is the code. A reply is stored over the request, from byte 0 on
    // as it arrives.
    Message& MessageBuffer() { return m_message; }
    const Message& MessageBuffer() const { return m_message; }
    // The last frame encoded for the line.
    const Frame& FrameBuffer() const { return m_frame; }
    ReceiveStateValue ReceiveState() const { return m_nState; }
    // The number of message bytes stored for the frame in progress (or the last one completed).
    int ReceiveLength() const { return m_nLength; }

private:
    bool Full() const;
    void Store(std::uint8_t byte);

    Message m_message{};
    Frame m_frame{};
    ReceiveStateValue m_nState = Idle;
    int m_nLength = 0;
};
