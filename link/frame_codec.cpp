#include "link/frame_codec.h"

LinkResult FrameCodec::SendFrame(SerialLine& line, int n) {
    if (n < 0) {
        n = 0;
    }
    if (n > static_cast<int>(kMessageBufferSize)) {
        n = static_cast<int>(kMessageBufferSize);
    }
    std::size_t length = 0;
    m_frame[length++] = DLE;
    m_frame[length++] = STX;
    for (int i = 0; i < n; ++i) {
        const std::uint8_t byte = m_message[static_cast<std::size_t>(i)];
        m_frame[length++] = byte;
        if (byte == DLE) {
            m_frame[length++] = DLE; // only DLE is doubled
        }
    }
    m_frame[length++] = DLE;
    m_frame[length++] = ETX;
    line.Write(m_frame.data(), length);
    return LinkOk;
}

bool FrameCodec::Full() const {
    return m_nLength >= static_cast<int>(kMessageBufferSize);
}

void FrameCodec::Store(std::uint8_t byte) {
    m_message[static_cast<std::size_t>(m_nLength)] = byte;
    ++m_nLength;
}

LinkResult FrameCodec::FeedReceiver(std::uint8_t byte) {
    switch (m_nState) {
    case Idle:
        if (byte == DLE) {
            m_nState = IdleDle;
        }
        return LinkPending;
    case IdleDle:
        if (byte == STX) {
            m_nLength = 0;
            m_nState = InFrame;
        } else if (byte != DLE) {
            m_nState = Idle;
        }
        return LinkPending;
    case InFrame:
        if (byte == DLE) {
            m_nState = InFrameDle;
        } else if (!Full()) {
            Store(byte);
        } else {
            m_nState = Idle; // more than 256 message bytes: the frame is dropped
        }
        return LinkPending;
    case InFrameDle:
        if (byte == DLE) {
            if (!Full()) {
                Store(DLE);
                m_nState = InFrame;
            } else {
                m_nState = Idle;
            }
            return LinkPending;
        }
        if (byte == ETX) {
            m_nState = Idle;
            return LinkOk;
        }
        if (byte == STX) {
            m_nLength = 0; // a new frame starts
            m_nState = InFrame;
            return LinkPending;
        }
        m_nState = Idle; // a bad escape drops the frame
        return LinkPending;
    }
    m_nState = Idle; // no other state exists; were one ever found, the receiver starts over
    return LinkPending;
}

LinkResult FrameCodec::ReceiveFrame(SerialLine& line, int& length, ReceiveMode mode,
                                    const Deadline& limit) {
    length = 0;
    for (;;) {
        const int byte = line.ReadByte();
        if (byte < 0) {
            return mode == ReceiveMode::Drain ? LinkSilent : LinkNoReply;
        }
        if (FeedReceiver(static_cast<std::uint8_t>(byte)) == LinkOk) {
            length = m_nLength;
            return LinkOk;
        }
        // A line that keeps sending without completing a frame must not hold the program.
        if (limit.Expired()) {
            return LinkNoReply;
        }
    }
}

LinkResult FrameCodec::ReceiveFrame(SerialLine& line, int& length, ReceiveMode mode) {
    const int limitMs = mode == ReceiveMode::Drain ? kDrainLimitMs : kReplyLimitMs;
    return ReceiveFrame(line, length, mode,
                        Deadline(line.Clock(), std::chrono::milliseconds(limitMs)));
}

LinkResult FrameCodec::Exchange(SerialLine& line, int& length) {
    SendFrame(line, length);
    return ReceiveFrame(line, length, ReceiveMode::Reply);
}
