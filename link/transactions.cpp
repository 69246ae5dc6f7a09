#include "link/transactions.h"

#include "link/frame_codec.h"

#include <algorithm>
#include <span>

namespace {

std::span<const std::uint8_t> Data(std::size_t size) {
    return std::span<const std::uint8_t>(MessageBuffer).subspan(1, size);
}

} // namespace

int ReadSystemSetup(SerialLine& line, SettingsImage& image) {
    MessageBuffer[0] = kRequestSystem;
    int length = 1;
    const int result = Exchange(line, length);
    if (result != LinkOk || length != 1 + static_cast<int>(kSystemSetupSize) ||
        MessageBuffer[0] != kSystemBlock ||
        !CheckSystemSetup(Data(kSystemSetupSize).first<kSystemSetupSize>())) {
        return LinkFailed;
    }
    std::copy_n(MessageBuffer.begin() + 1, kSystemSetupSize, image.system.begin());
    return LinkOk;
}

int ReadAudioSetup(SerialLine& line, int selector, int destination, SettingsImage& image) {
    MessageBuffer[0] = kRequestAudio;
    MessageBuffer[1] = static_cast<std::uint8_t>(selector & 0xFF);
    int length = 2;
    const int result = Exchange(line, length);
    if (result != LinkOk || MessageBuffer[0] != kAudioBlock ||
        length != 1 + static_cast<int>(kAudioSetupSize) ||
        !CheckAudioSetup(Data(kAudioSetupSize).first<kAudioSetupSize>())) {
        return LinkFailed;
    }
    // The reply does not say which block it carries: the destination is the caller's choice.
    AudioSetup* block = AudioSetupFor(image, destination);
    if (block == nullptr) {
        return LinkFailed;
    }
    std::copy_n(MessageBuffer.begin() + 1, kAudioSetupSize, block->begin());
    return LinkOk;
}

int SendAbort(SerialLine& line) {
    MessageBuffer[0] = kAbort;
    SendFrame(line, 1);
    return LinkFailed;
}

int ConfirmWrite(SerialLine& line) {
    MessageBuffer[0] = kConfirmRequest;
    int length = 1;
    const int result = Exchange(line, length);
    if (result != LinkOk) {
        return result;
    }
    return (length == 1 && MessageBuffer[0] == kTaken) ? LinkOk : LinkFailed;
}

int WriteSystemSetup(SerialLine& line, const SettingsImage& image) {
    MessageBuffer[0] = kAnnounceSystem;
    int length = 1;
    // The result is not looked at: the reply is judged by the code byte that stands in the
    // buffer, which after silence is still the request's own 0A.
    Exchange(line, length);
    if (MessageBuffer[0] != kRequestSystem) {
        return LinkFailed;
    }
    if (length != 1) {
        return SendAbort(line);
    }
    MessageBuffer[0] = kSystemBlock;
    std::copy(image.system.begin(), image.system.end(), MessageBuffer.begin() + 1);
    SendFrame(line, 1 + static_cast<int>(kSystemSetupSize));
    return ConfirmWrite(line);
}

int WriteAudioSetup(SerialLine& line, int s1, int s2, const SettingsImage& image, int* pTaken) {
    MessageBuffer[0] = kAnnounceAudio;
    MessageBuffer[1] = static_cast<std::uint8_t>(s1 & 0xFF);
    MessageBuffer[2] = static_cast<std::uint8_t>(s2 & 0xFF);
    int length = 3;
    Exchange(line, length);
    if (MessageBuffer[0] != kRequestAudio) {
        return LinkFailed;
    }
    if (length != 2) {
        return SendAbort(line);
    }
    // The processor names the block it wants, not necessarily the one announced.
    const AudioSetup* block = AudioSetupFor(image, MessageBuffer[1]);
    if (block == nullptr) {
        return SendAbort(line);
    }
    if (pTaken != nullptr) {
        *pTaken = MessageBuffer[1];
    }
    MessageBuffer[0] = kAudioBlock;
    std::copy(block->begin(), block->end(), MessageBuffer.begin() + 1);
    SendFrame(line, 1 + static_cast<int>(kAudioSetupSize));
    return ConfirmWrite(line);
}

int CheckLink(SerialLine& line, SettingsImage& image) {
    const Deadline deadline(line.Clock(), std::chrono::milliseconds(kDrainLimitMs));
    for (;;) {
        if (deadline.Expired()) {
            return LinkFailed; // the line never fell silent
        }
        int length = 0;
        const int result = ReceiveFrame(line, length, ReceiveMode::Drain, deadline);
        if (result == LinkSilent) {
            break;
        }
        if (result == LinkNoReply) {
            return LinkFailed;
        }
    }
    return ReadSystemSetup(line, image);
}
