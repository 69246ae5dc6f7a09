// Framing of messages on the line: DLE STX, the message with every DLE doubled, DLE ETX.
// There is no checksum, length field or sequence number: the transactions judge a reply by its
// code byte and length alone.
#pragma once

#include "link/serial_line.h"

#include <array>
#include <cstdint>

inline constexpr std::uint8_t DLE = 0x10;
inline constexpr std::uint8_t STX = 0x02;
inline constexpr std::uint8_t ETX = 0x03;

// Link results. Callers outside the link test only zero against non-zero.
inline constexpr int LinkOk = 0;     // success; for the receiver, a frame is complete
inline constexpr int LinkSilent = 1; // no byte within the read timeout, drain mode
inline constexpr int LinkFailed = 2; // a transaction failed
inline constexpr int LinkNoReply =
    4; // no byte within the read timeout (or the reply took too long), reply mode
inline constexpr int LinkPending = 6; // the receiver needs more bytes

inline constexpr std::size_t kMessageBufferSize = 256;
inline constexpr std::size_t kFrameBufferSize = 4 + 2 * kMessageBufferSize;

// The one buffer in which every message is built and every reply received (byte 0 is the
// code). A reply is stored over the request.
extern std::array<std::uint8_t, kMessageBufferSize> MessageBuffer;
// The encoded outgoing frame.
extern std::array<std::uint8_t, kFrameBufferSize> FrameBuffer;

enum ReceiveStateValue : int { Idle = 0, IdleDle = 1, InFrame = 2, InFrameDle = 3 };
// The receiver's state and the count of message bytes stored for the frame in progress. They
// persist between calls: only the bytes on the line move them, so a frame cut off by a silent
// second is continued by the next receive.
extern int ReceiveState;
extern int ReceiveLength;

enum class ReceiveMode { Drain, Reply };

// Total time one receive may take on a line that keeps sending bytes without completing a
// frame. A reply is bounded well above the longest frame's line time; a drain, which reads and
// throws away whatever the processor still had to send, only at the link check's limit.
inline constexpr int kReplyLimitMs = 3000;
inline constexpr int kDrainLimitMs = 10000;

// Every operation that touches the line takes it as its first argument; the buffers and the
// receiver state stay the link's globals.

// Encodes the first n bytes of MessageBuffer (n at most 256) and writes the frame to the line
// in one Write. Always 0.
int SendFrame(SerialLine& line, int n);
// Reads and feeds bytes until a frame completes (0, length = ReceiveLength) or the line is
// silent for the read timeout (1 in drain mode, 4 in reply mode, length = 0). On a line that
// keeps sending without completing a frame it gives up with 4 once `limit` has passed on the
// line's clock; without one, after kReplyLimitMs in reply mode and kDrainLimitMs in drain mode.
int ReceiveFrame(SerialLine& line, int& length, ReceiveMode mode);
int ReceiveFrame(SerialLine& line, int& length, ReceiveMode mode, const Deadline& limit);
// One step of the receive state machine: 0 when this byte completed a frame, 6 otherwise.
int FeedReceiver(std::uint8_t byte);
// SendFrame(line, length), then ReceiveFrame in reply mode; length then holds the reply's
// length.
int Exchange(SerialLine& line, int& length);
// Puts the receiver back to its start state. The program never calls it: tests do, to start
// each case from a known state.
void ResetReceiver();
