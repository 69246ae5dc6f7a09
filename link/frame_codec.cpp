#include "link/frame_codec.h"

std::array<std::uint8_t, kMessageBufferSize> MessageBuffer{};
std::array<std::uint8_t, kFrameBufferSize> FrameBuffer{};
int ReceiveState = Idle;
int ReceiveLength = 0;

int SendFrame(SerialLine& line, int n) {
    if (n < 0) {
        n = 0;
    }
    if (n > static_cast<int>(kMessageBufferSize)) {
        n = static_cast<int>(kMessageBufferSize);
    }
    std::size_t length = 0;
    FrameBuffer[length++] = DLE;
    FrameBuffer[length++] = STX;
    for (int i = 0; i < n; ++i) {
        const std::uint8_t byte = MessageBuffer[static_cast<std::size_t>(i)];
        FrameBuffer[length++] = byte;
        if (byte == DLE) {
            FrameBuffer[length++] = DLE; // only DLE is doubled
        }
    }
    FrameBuffer[length++] = DLE;
    FrameBuffer[length++] = ETX;
    line.Write(FrameBuffer.data(), length);
    return LinkOk;
}

namespace {

bool Full() {
    return ReceiveLength >= static_cast<int>(kMessageBufferSize);
}

void Store(std::uint8_t byte) {
    MessageBuffer[static_cast<std::size_t>(ReceiveLength)] = byte;
    ++ReceiveLength;
}

} // namespace

int FeedReceiver(std::uint8_t byte) {
    switch (ReceiveState) {
    case Idle:
        if (byte == DLE) {
            ReceiveState = IdleDle;
        }
        return LinkPending;
    case IdleDle:
        if (byte == STX) {
            ReceiveLength = 0;
            ReceiveState = InFrame;
        } else if (byte != DLE) {
            ReceiveState = Idle;
        }
        return LinkPending;
    case InFrame:
        if (byte == DLE) {
            ReceiveState = InFrameDle;
        } else if (!Full()) {
            Store(byte);
        } else {
            ReceiveState = Idle; // more than 256 message bytes: the frame is dropped
        }
        return LinkPending;
    case InFrameDle:
        if (byte == DLE) {
            if (!Full()) {
                Store(DLE);
                ReceiveState = InFrame;
            } else {
                ReceiveState = Idle;
            }
            return LinkPending;
        }
        if (byte == ETX) {
            ReceiveState = Idle;
            return LinkOk;
        }
        if (byte == STX) {
            ReceiveLength = 0; // a new frame starts
            ReceiveState = InFrame;
            return LinkPending;
        }
        ReceiveState = Idle; // a bad escape drops the frame
        return LinkPending;
    default:
        ReceiveState = Idle;
        return LinkPending;
    }
}

int ReceiveFrame(SerialLine& line, int& length, ReceiveMode mode, const Deadline& limit) {
    length = 0;
    for (;;) {
        const int byte = line.ReadByte();
        if (byte < 0) {
            return mode == ReceiveMode::Drain ? LinkSilent : LinkNoReply;
        }
        if (FeedReceiver(static_cast<std::uint8_t>(byte)) == LinkOk) {
            length = ReceiveLength;
            return LinkOk;
        }
        // A line that keeps sending without completing a frame must not hold the program.
        if (limit.Expired()) {
            return LinkNoReply;
        }
    }
}

int ReceiveFrame(SerialLine& line, int& length, ReceiveMode mode) {
    const int limitMs = mode == ReceiveMode::Drain ? kDrainLimitMs : kReplyLimitMs;
    return ReceiveFrame(line, length, mode,
                        Deadline(line.Clock(), std::chrono::milliseconds(limitMs)));
}

int Exchange(SerialLine& line, int& length) {
    SendFrame(line, length);
    return ReceiveFrame(line, length, ReceiveMode::Reply);
}

void ResetReceiver() {
    ReceiveState = Idle;
    ReceiveLength = 0;
}
