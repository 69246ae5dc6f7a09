// Arbitrary line bytes through the frame receiver; after each completed frame the reply checks
// that the transactions apply run on it, against an image that must only change through a
// reply that passed them.
#include "link/frame_codec.h"
#include "link/transactions.h"

#include <algorithm>
#include <cstdlib>
#include <span>

namespace {

void CheckReply(int length) {
    if (length < 0 || length > static_cast<int>(kMessageBufferSize)) {
        std::abort();
    }
    const std::span<const std::uint8_t> data =
        std::span<const std::uint8_t>(MessageBuffer).subspan(1);
    if (length == 1 + static_cast<int>(kSystemSetupSize) && MessageBuffer[0] == kSystemBlock) {
        if (CheckSystemSetup(data.first<kSystemSetupSize>())) {
            std::copy_n(MessageBuffer.begin() + 1, kSystemSetupSize,
                        g_SettingsImage.system.begin());
        }
    }
    if (length == 1 + static_cast<int>(kAudioSetupSize) && MessageBuffer[0] == kAudioBlock) {
        if (CheckAudioSetup(data.first<kAudioSetupSize>())) {
            AudioSetup* block = nullptr;
            const int number = MessageBuffer[1] % 4; // includes one that names no block
            if (AudioSetupFor(g_SettingsImage, number, block) == LinkOk) {
                if (block == nullptr) {
                    std::abort();
                }
                std::copy_n(MessageBuffer.begin() + 1, kAudioSetupSize, block->begin());
            } else if (block != nullptr) {
                std::abort();
            }
        }
    }
    // The go-ahead and confirmation tests read no further than the length says.
    volatile bool goAhead = length == 2 && MessageBuffer[0] == kRequestAudio;
    volatile bool taken = length == 1 && MessageBuffer[0] == kTaken;
    (void)goAhead;
    (void)taken;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The first byte picks the receiver's starting state, including values outside the four.
    if (size == 0) {
        return 0;
    }
    ReceiveState = static_cast<int>(data[0] % 6) - 1;
    ReceiveLength = 0;
    for (std::size_t i = 1; i < size; ++i) {
        const int result = FeedReceiver(data[i]);
        if (result != LinkOk && result != LinkPending) {
            std::abort();
        }
        if (ReceiveState < Idle || ReceiveState > InFrameDle || ReceiveLength < 0 ||
            ReceiveLength > static_cast<int>(kMessageBufferSize)) {
            std::abort();
        }
        if (result == LinkOk) {
            if (ReceiveState != Idle) {
                std::abort();
            }
            CheckReply(ReceiveLength);
        }
    }
    return 0;
}
