#include "link/transactions.h"

#include <algorithm>
#include <span>

namespace {

std::span<const std::uint8_t> Data(const FrameCodec& codec, std::size_t size) {
    return std::span<const std::uint8_t>(codec.MessageBuffer()).subspan(1, size);
}

} // namespace

LinkResult ReadSystemSetup(SerialLine& line, FrameCodec& codec, SettingsImage& image) {
    FrameCodec::Message& message = codec.MessageBuffer();
    message[0] = kRequestSystem;
    int length = 1;
    const LinkResult result = codec.Exchange(line, length);
    if (result != LinkOk || length != 1 + static_cast<int>(kSystemSetupSize) ||
        message[0] != kSystemBlock ||
        !CheckSystemSetup(Data(codec, kSystemSetupSize).first<kSystemSetupSize>())) {
        return LinkFailed;
    }
    std::copy_n(message.begin() + 1, kSystemSetupSize, image.system.begin());
    return LinkOk;
}

LinkResult ReadAudioSetup(SerialLine& line, FrameCodec& codec, int selector, int destination,
                          SettingsImage& image) {
    FrameCodec::Message& message = codec.MessageBuffer();
    message[0] = kRequestAudio;
    message[1] = static_cast<std::uint8_t>(selector & 0xFF);
    int length = 2;
    const LinkResult result = codec.Exchange(line, length);
    if (result != LinkOk || message[0] != kAudioBlock ||
        length != 1 + static_cast<int>(kAudioSetupSize) ||
        !CheckAudioSetup(Data(codec, kAudioSetupSize).first<kAudioSetupSize>())) {
        return LinkFailed;
    }
    // The reply does not say which block it carries: the destination is the caller's choice.
    AudioSetup* block = AudioSetupFor(image, destination);
    if (block == nullptr) {
        return LinkFailed;
    }
    std::copy_n(message.begin() + 1, kAudioSetupSize, block->begin());
    return LinkOk;
}

LinkResult SendAbort(SerialLine& line, FrameCodec& codec) {
    codec.MessageBuffer()[0] = kAbort;
    codec.SendFrame(line, 1);
    return LinkFailed;
}

LinkResult ConfirmWrite(SerialLine& line, FrameCodec& codec) {
    codec.MessageBuffer()[0] = kConfirmRequest;
    int length = 1;
    const LinkResult result = codec.Exchange(line, length);
    if (result != LinkOk) {
        return result;
    }
    return (length == 1 && codec.MessageBuffer()[0] == kTaken) ? LinkOk : LinkFailed;
}

namespace {

// The data frame of a write, then the confirmation: the processor gave its go-ahead.
LinkResult SendBlock(SerialLine& line, FrameCodec& codec, std::uint8_t code,
                     std::span<const std::uint8_t> block) {
    FrameCodec::Message& message = codec.MessageBuffer();
    message[0] = code;
    std::copy(block.begin(), block.end(), message.begin() + 1);
    codec.SendFrame(line, 1 + static_cast<int>(block.size()));
    return ConfirmWrite(line, codec);
}

} // namespace

LinkResult WriteSystemSetup(SerialLine& line, FrameCodec& codec, const SettingsImage& image) {
    FrameCodec::Message& message = codec.MessageBuffer();
    message[0] = kAnnounceSystem;
    int length = 1;
    // The result is not looked at: the reply is judged by the code byte that stands in the
    // buffer, which after silence is still the request's own 0A.
    codec.Exchange(line, length);
    if (message[0] != kRequestSystem) {
        return LinkFailed;
    }
    if (length != 1) {
        return SendAbort(line, codec);
    }
    return SendBlock(line, codec, kSystemBlock, image.system);
}

LinkResult WriteAudioSetup(SerialLine& line, FrameCodec& codec, int s1, int s2,
                           const SettingsImage& image, int* pTaken) {
    FrameCodec::Message& message = codec.MessageBuffer();
    message[0] = kAnnounceAudio;
    message[1] = static_cast<std::uint8_t>(s1 & 0xFF);
    message[2] = static_cast<std::uint8_t>(s2 & 0xFF);
    int length = 3;
    codec.Exchange(line, length);
    if (message[0] != kRequestAudio) {
        return LinkFailed;
    }
    if (length != 2) {
        return SendAbort(line, codec);
    }
    // The processor names the block it wants, not necessarily the one announced.
    const AudioSetup* block = AudioSetupFor(image, message[1]);
    if (block == nullptr) {
        return SendAbort(line, codec);
    }
    if (pTaken != nullptr) {
        *pTaken = message[1];
    }
    return SendBlock(line, codec, kAudioBlock, *block);
}

LinkResult CheckLink(SerialLine& line, FrameCodec& codec, SettingsImage& image) {
    const Deadline deadline(line.Clock(), std::chrono::milliseconds(kDrainLimitMs));
    for (;;) {
        if (deadline.Expired()) {
            return LinkFailed; // the line never fell silent
        }
        int length = 0;
        const LinkResult result = codec.ReceiveFrame(line, length, ReceiveMode::Drain, deadline);
        if (result == LinkSilent) {
            break;
        }
        if (result == LinkNoReply) {
            return LinkFailed;
        }
    }
    return ReadSystemSetup(line, codec, image);
}
