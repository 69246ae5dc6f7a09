// Arbitrary bytes on the line, through the receive state machine and the transactions that
// judge the replies. The line is the tests' in-memory line: it plays the fuzzer's bytes at the
// line rate, on its own clock, and checks every frame the program writes. The receiver starts
// wherever bytes received before left it. After each run:
//  - the receiver holds at most 256 bytes;
//  - a read that failed left the image as it was; one that succeeded stored a block that
//    passes its check;
//  - a write never changed the image, and the audio block it sent is the one the last
//    go-ahead on the line named;
//  - results are 0, 2 or 4.
#include "link/frame_codec.h"
#include "link/transactions.h"
#include "memory_line.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::size_t g_shadowed = 0;               // bytes of the line the shadow decoder has seen
const SettingsImage* g_writing = nullptr; // the image a write sends from, if one runs

// The line as the program would see it, decoded independently of the codec: the last
// complete frame the processor sent.
Bytes g_shadow;
Bytes g_lastReply;
int g_shadowState = 0; // 0 idle, 1 idle after DLE, 2 in frame, 3 in frame after DLE

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void Shadow(std::uint8_t b) {
    switch (g_shadowState) {
    case 0:
        g_shadowState = b == DLE ? 1 : 0;
        break;
    case 1:
        g_shadowState = b == STX ? 2 : (b == DLE ? 1 : 0);
        if (b == STX) {
            g_shadow.clear();
        }
        break;
    case 2:
        if (b == DLE) {
            g_shadowState = 3;
        } else if (g_shadow.size() < 256) {
            g_shadow.push_back(b);
        } else {
            g_shadowState = 0;
        }
        break;
    default:
        if (b == DLE && g_shadow.size() < 256) {
            g_shadow.push_back(b);
            g_shadowState = 2;
        } else if (b == ETX) {
            g_lastReply = g_shadow;
            g_shadowState = 0;
        } else if (b == STX) {
            g_shadow.clear();
            g_shadowState = 2;
        } else {
            g_shadowState = 0;
        }
        break;
    }
}

// A written frame decoded: DLE STX, the message with DLE doubled, DLE ETX, nothing else.
Bytes DecodeWritten(const std::uint8_t* p, std::size_t n) {
    Check(n >= 4 && p[0] == DLE && p[1] == STX && p[n - 2] == DLE && p[n - 1] == ETX);
    Bytes message;
    for (std::size_t i = 2; i < n - 2; ++i) {
        if (p[i] == DLE) {
            Check(i + 1 < n - 2 && p[i + 1] == DLE);
            ++i;
        }
        message.push_back(p[i]);
    }
    Check(message.size() <= 256);
    return message;
}

} // namespace

namespace {

// Brings the shadow decoder up to the bytes the program has read so far.
void CatchUp(const testsupport::MemoryLine& line) {
    for (; g_shadowed < line.Read().size(); ++g_shadowed) {
        Shadow(line.Read()[g_shadowed]);
    }
}

void CheckWritten(const testsupport::MemoryLine& line, std::span<const std::uint8_t> frame) {
    CatchUp(line);
    const Bytes message = DecodeWritten(frame.data(), frame.size());
    if (g_writing != nullptr && !message.empty() && message[0] == kAudioBlock) {
        // Sent only after a go-ahead "02 n" naming one of the three blocks.
        Check(message.size() == 1 + kAudioSetupSize);
        Check(g_lastReply.size() == 2 && g_lastReply[0] == kRequestAudio && g_lastReply[1] <= 2);
        const AudioSetup& named = g_lastReply[1] == 0   ? g_writing->current
                                  : g_lastReply[1] == 1 ? g_writing->alternate1
                                                        : g_writing->alternate2;
        Check(std::memcmp(message.data() + 1, named.data(), kAudioSetupSize) == 0);
    }
    if (g_writing != nullptr && !message.empty() && message[0] == kSystemBlock) {
        Check(g_lastReply.size() == 1 && g_lastReply[0] == kRequestSystem);
        Check(std::memcmp(message.data() + 1, g_writing->system.data(), kSystemSetupSize) == 0);
    }
}

} // namespace

namespace {

bool Same(const SettingsImage& a, const SettingsImage& b) {
    return a.system == b.system && a.current == b.current && a.alternate1 == b.alternate1 &&
           a.alternate2 == b.alternate2;
}

SettingsImage Distinct() {
    SettingsImage image;
    image.system.fill(0x5A);
    image.current.fill(0xA0);
    image.alternate1.fill(0xA1);
    image.alternate2.fill(0xA2);
    image.current[7] = DLE; // a DLE in the data must be doubled on the line
    return image;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const int op = data[0] % 8;
    // The first bytes were received before: they bring the receiver (and the shadow decoder) to
    // where the run starts. The rest arrive on the line.
    const std::size_t nBefore = std::min<std::size_t>(data[1], size - 2);
    const std::span<const std::uint8_t> earlier(data + 2, nBefore);
    const std::span<const std::uint8_t> bytes(data + 2 + nBefore, size - 2 - nBefore);
    testsupport::MemoryLine line;
    line.Send(bytes);
    line.onWrite = [&line](std::span<const std::uint8_t> frame) { CheckWritten(line, frame); };
    g_shadowed = 0;
    g_shadowState = 0;
    g_shadow.clear();
    g_lastReply.clear();
    g_writing = nullptr;
    FrameCodec codec;
    for (const std::uint8_t byte : earlier) {
        codec.FeedReceiver(byte);
        Shadow(byte);
    }
    g_lastReply.clear();

    SettingsImage image = Distinct();
    const SettingsImage before = image;
    LinkResult result = LinkOk;
    switch (op) {
    case 0:
    case 1:
        for (const std::uint8_t byte : bytes) {
            const LinkResult r = codec.FeedReceiver(byte);
            Check(r == LinkOk || r == LinkPending);
            Check(codec.ReceiveLength() >= 0 && codec.ReceiveLength() <= 256);
        }
        return 0;
    case 2:
        result = ReadSystemSetup(line, codec, image);
        if (result == LinkOk) {
            Check(CheckSystemSetup(image.system));
            Check(image.current == before.current && image.alternate1 == before.alternate1 &&
                  image.alternate2 == before.alternate2);
        }
        break;
    case 3:
        result = ReadAudioSetup(line, codec, data[1] % 3, data[1] % 4, image);
        if (result == LinkOk) {
            const AudioSetup* block = AudioSetupFor(image, data[1] % 4);
            Check(block != nullptr);
            Check(CheckAudioSetup(*block));
            Check(image.system == before.system);
        }
        break;
    case 4:
        g_writing = &image;
        result = WriteSystemSetup(line, codec, image);
        Check(Same(image, before));
        break;
    case 5:
        g_writing = &image;
        result = WriteAudioSetup(line, codec, data[1] % 3, data[1] % 3, image);
        Check(Same(image, before));
        break;
    case 6:
        result = ConfirmWrite(line, codec);
        Check(Same(image, before));
        break;
    default:
        result = CheckLink(line, codec, image);
        if (result == LinkOk) {
            Check(CheckSystemSetup(image.system));
        }
        break;
    }
    Check(result == LinkOk || result == LinkFailed || result == LinkNoReply);
    if (result != LinkOk) {
        Check(Same(image, before));
    }
    Check(codec.ReceiveLength() >= 0 && codec.ReceiveLength() <= 256);
    return 0;
}
