#include "simulator.h"

#include "blocks.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <optional>
#include <poll.h>
#include <random>
#include <stdexcept>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <system_error>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace vrxsim {
namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kDle = 0x10;
constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kEtx = 0x03;
constexpr std::size_t kMaxMessage = 256;

// Message codes of the transfer dialogues.
constexpr std::uint8_t kReqSystem = 0x01; // request; also the system write go-ahead
constexpr std::uint8_t kReqAudio = 0x02;  // request; also the audio write go-ahead
constexpr std::uint8_t kAnnounceSystem = 0x0A;
constexpr std::uint8_t kAnnounceAudio = 0x0B;
constexpr std::uint8_t kConfirmQuery = 0x11;
constexpr std::uint8_t kSystemData = 0x12;
constexpr std::uint8_t kAudioData = 0x13;
constexpr std::uint8_t kTaken = 0x21;   // "!"
constexpr std::uint8_t kRefused = 0x3F; // "?": the written block fails its check
constexpr std::uint8_t kAbort = 0x23;

// One byte at 9600 baud, 8N1: ten bit times.
constexpr std::chrono::nanoseconds kByteTime{1'041'667};
constexpr std::size_t kPaceBatch = 8;
constexpr std::chrono::milliseconds kChatterPeriod{100};
constexpr std::size_t kOversizeMessage = 300;

Bytes Encode(const Bytes& message) {
    Bytes frame{kDle, kStx};
    for (std::uint8_t b : message) {
        frame.push_back(b);
        if (b == kDle) {
            frame.push_back(kDle);
        }
    }
    frame.push_back(kDle);
    frame.push_back(kEtx);
    return frame;
}

// Rebuilds incoming messages: DLE STX starts a frame (also inside one), a doubled DLE is a data
// byte, DLE ETX ends it; anything else after a DLE, or more than 256 bytes, drops the frame.
class FrameReceiver {
public:
    bool Feed(std::uint8_t b) {
        switch (m_state) {
        case State::Idle:
            if (b == kDle) {
                m_state = State::IdleDle;
            }
            return false;
        case State::IdleDle:
            if (b == kStx) {
                m_message.clear();
                m_state = State::InFrame;
            } else if (b != kDle) {
                m_state = State::Idle;
            }
            return false;
        case State::InFrame:
            if (b == kDle) {
                m_state = State::InFrameDle;
            } else {
                Store(b);
            }
            return false;
        case State::InFrameDle:
            if (b == kDle) {
                m_state = State::InFrame;
                Store(b);
            } else if (b == kEtx) {
                m_state = State::Idle;
                return true;
            } else if (b == kStx) {
                m_message.clear();
                m_state = State::InFrame;
            } else {
                m_state = State::Idle;
            }
            return false;
        }
        m_state = State::Idle;
        return false;
    }
    const Bytes& Message() const { return m_message; }

private:
    void Store(std::uint8_t b) {
        if (m_message.size() < kMaxMessage) {
            m_message.push_back(b);
        } else {
            m_state = State::Idle;
        }
    }
    enum class State { Idle, IdleDle, InFrame, InFrameDle };
    State m_state = State::Idle;
    Bytes m_message;
};

void MakeRaw(int fd) {
    termios t{};
    if (tcgetattr(fd, &t) == 0) {
        cfmakeraw(&t);
        cfsetispeed(&t, B9600);
        cfsetospeed(&t, B9600);
        t.c_cc[VMIN] = 1;
        t.c_cc[VTIME] = 0;
        tcsetattr(fd, TCSANOW, &t);
    }
}

[[noreturn]] void ThrowErrno(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

Stage ReadStage(int block) {
    return static_cast<Stage>(static_cast<int>(Stage::ReadAudio0) + block);
}
Stage WriteStage(int block) {
    return static_cast<Stage>(static_cast<int>(Stage::WriteAudio0) + block);
}

bool Has(const std::vector<FaultKind>& kinds, FaultKind k) {
    return std::find(kinds.begin(), kinds.end(), k) != kinds.end();
}

// Which block a write in progress goes to, as named in the go-ahead.
enum class WriteTarget { None, System, Audio0, Audio1, Audio2, Nowhere };

} // namespace

struct Simulator::Impl {
    explicit Impl(Options o)
        : settings(o.settings), faults(std::move(o.faults)), pace(o.pace), delayMs(o.delayMs),
          saveFile(std::move(o.saveFile)) {}

    // Configuration and observed traffic, shared with the caller's thread.
    mutable std::mutex mutex;
    std::condition_variable changed;
    std::array<std::uint8_t, 800> settings;
    std::vector<Fault> faults;
    const bool pace;
    const int delayMs;
    const std::string saveFile;
    Bytes received;
    Bytes sent;
    Clock::time_point lastActivity = Clock::now();
    bool busy = false;    // a reply is being prepared or written
    bool chatter = false; // the line has started to chatter

    int master = -1;
    int slave = -1;
    int wake[2] = {-1, -1};
    int closeWatch = -1; // inotify: the program closed its descriptor of the device
    std::string devicePath;
    std::thread thread;
    std::atomic<bool> stopping{false};

    // Server thread only.
    FrameReceiver receiver;
    WriteTarget awaiting = WriteTarget::None; // go-ahead given, block not yet here
    Stage writeStage = Stage::Any;            // the announcement this write answers
    std::optional<Bytes> pending;             // the written block, until confirmed
    WriteTarget pendingTarget = WriteTarget::None;
    std::minstd_rand rng{0x3C3};
    Clock::time_point nextChatter{};

    void Serve();
    void Handle(const Bytes& message);
    std::vector<FaultKind> FaultsFor(Stage stage) const;
    void Reply(Bytes message, const std::vector<FaultKind>& kinds);
    void Commit();
    void Save(const std::array<std::uint8_t, 800>& image) const;
    bool Think();
    void WriteLine(const Bytes& bytes);
    bool WriteAll(const std::uint8_t* data, std::size_t n);
    std::uint8_t LineByte() {
        std::uint8_t b = 0;
        do {
            b = static_cast<std::uint8_t>(rng() & 0xFF);
        } while (b == kDle);
        return b;
    }
    void SetBusy(bool b) {
        {
            std::lock_guard lock(mutex);
            busy = b;
            lastActivity = Clock::now();
        }
        changed.notify_all();
    }
};

std::vector<FaultKind> Simulator::Impl::FaultsFor(Stage stage) const {
    std::lock_guard lock(mutex);
    std::vector<FaultKind> kinds;
    for (const Fault& f : faults) {
        const bool confirmOfThisWrite =
            stage == Stage::Confirm && f.stage == writeStage &&
            (f.kind == FaultKind::NoConfirm || f.kind == FaultKind::BadConfirm);
        if (f.stage == Stage::Any || f.stage == stage || confirmOfThisWrite) {
            kinds.push_back(f.kind);
        }
    }
    return kinds;
}

void Simulator::Impl::Serve() {
    std::array<std::uint8_t, 512> buffer{};
    while (!stopping) {
        int timeoutMs = -1;
        bool chattering = false;
        {
            std::lock_guard lock(mutex);
            chattering = chatter;
        }
        if (chattering) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(nextChatter - Clock::now());
            timeoutMs = static_cast<int>(std::max<long long>(0, left.count()));
        }
        pollfd fds[3] = {{master, POLLIN, 0}, {wake[0], POLLIN, 0}, {closeWatch, POLLIN, 0}};
        const int r = poll(fds, closeWatch >= 0 ? 3 : 2, timeoutMs);
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r < 0 || (fds[1].revents & POLLIN) != 0 || stopping) {
            break;
        }
        if (closeWatch >= 0 && (fds[2].revents & POLLIN) != 0) {
            // The exclusive-use flag that the program set lasts as long as any descriptor of
            // the terminal is open, and ours always is: without clearing it, the program could
            // not open the port again after closing it.
            alignas(inotify_event) char events[1024];
            while (read(closeWatch, events, sizeof events) > 0) {
            }
            ioctl(slave, TIOCNXCL);
        }
        if (chattering && Clock::now() >= nextChatter) {
            const std::uint8_t b = LineByte();
            WriteAll(&b, 1);
            nextChatter += kChatterPeriod;
        }
        if ((fds[0].revents & POLLIN) != 0) {
            const ssize_t n = read(master, buffer.data(), buffer.size());
            if (n > 0) {
                {
                    std::lock_guard lock(mutex);
                    received.insert(received.end(), buffer.begin(), buffer.begin() + n);
                    lastActivity = Clock::now();
                }
                for (ssize_t i = 0; i < n && !stopping; ++i) {
                    if (receiver.Feed(buffer[static_cast<std::size_t>(i)])) {
                        Handle(receiver.Message());
                    }
                }
            }
        } else if ((fds[0].revents & (POLLHUP | POLLERR)) != 0) {
            // The slave side is held open, so this should not happen; do not spin if it does.
            pollfd w{wake[0], POLLIN, 0};
            poll(&w, 1, 50);
        }
    }
}

void Simulator::Impl::Handle(const Bytes& m) {
    if (m.empty()) {
        return;
    }
    const std::uint8_t code = m[0];
    std::array<std::uint8_t, 800> image;
    {
        std::lock_guard lock(mutex);
        image = settings;
    }

    if (code == kReqSystem && m.size() == 1) {
        awaiting = WriteTarget::None;
        pending.reset();
        Bytes reply{kSystemData};
        reply.insert(reply.end(), image.begin(), image.begin() + kSystemBytes);
        Reply(std::move(reply), FaultsFor(Stage::ReadSystem));
    } else if (code == kReqAudio && m.size() == 2) {
        awaiting = WriteTarget::None;
        pending.reset();
        const int block = m[1];
        if (block > 2) {
            return; // the processor has no such block
        }
        Bytes reply{kAudioData};
        const auto* a = image.begin() + kAudioOffset[block];
        reply.insert(reply.end(), a, a + kAudioBytes);
        Reply(std::move(reply), FaultsFor(ReadStage(block)));
    } else if (code == kAnnounceSystem && m.size() == 1) {
        pending.reset();
        writeStage = Stage::WriteSystem;
        const auto kinds = FaultsFor(Stage::WriteSystem);
        const bool answers = !Has(kinds, FaultKind::Silent) && !Has(kinds, FaultKind::Chatter);
        awaiting = answers ? WriteTarget::System : WriteTarget::None;
        Reply(Bytes{kReqSystem}, kinds);
    } else if (code == kAnnounceAudio && m.size() == 3) {
        pending.reset();
        awaiting = WriteTarget::None;
        const int block = m[1];
        if (block > 2) {
            return;
        }
        writeStage = WriteStage(block);
        const auto kinds = FaultsFor(writeStage);
        int named = block;
        if (Has(kinds, FaultKind::WrongBlock)) {
            named = (block + 1) % 3;
        }
        const bool answers = !Has(kinds, FaultKind::Silent) && !Has(kinds, FaultKind::Chatter);
        if (answers) {
            awaiting =
                Has(kinds, FaultKind::BadBlockNumber)
                    ? WriteTarget::Nowhere
                    : static_cast<WriteTarget>(static_cast<int>(WriteTarget::Audio0) + named);
        }
        Reply(Bytes{kReqAudio, static_cast<std::uint8_t>(named)}, kinds);
    } else if (code == kSystemData && m.size() == 1 + kSystemBytes) {
        if (awaiting == WriteTarget::System) {
            pending = Bytes(m.begin() + 1, m.end());
            pendingTarget = WriteTarget::System;
        }
        awaiting = WriteTarget::None;
    } else if (code == kAudioData && m.size() == 1 + kAudioBytes) {
        if (awaiting >= WriteTarget::Audio0 && awaiting <= WriteTarget::Audio2) {
            pending = Bytes(m.begin() + 1, m.end());
            pendingTarget = awaiting;
        }
        awaiting = WriteTarget::None;
    } else if (code == kConfirmQuery && m.size() == 1) {
        awaiting = WriteTarget::None;
        const auto kinds = FaultsFor(Stage::Confirm);
        if (!pending) {
            writeStage = Stage::Any;
            return; // nothing was written since the go-ahead: nothing to confirm
        }
        const bool valid =
            pendingTarget == WriteTarget::System
                ? SystemBlockValid(
                      std::span<const std::uint8_t, kSystemBytes>(pending->data(), kSystemBytes))
                : AudioBlockValid(
                      std::span<const std::uint8_t, kAudioBytes>(pending->data(), kAudioBytes));
        const bool refuses = Has(kinds, FaultKind::Silent) || Has(kinds, FaultKind::Chatter) ||
                             Has(kinds, FaultKind::WrongCode) || Has(kinds, FaultKind::WrongLength);
        if (valid && !refuses) {
            Commit();
        }
        pending.reset();
        writeStage = Stage::Any;
        Reply(Bytes{valid ? kTaken : kRefused}, kinds);
    } else if (code == kAbort && m.size() == 1) {
        awaiting = WriteTarget::None;
        pending.reset();
        writeStage = Stage::Any;
    }
    // Anything else is not a request this processor knows: it is ignored.
}

void Simulator::Impl::Commit() {
    std::array<std::uint8_t, 800> image;
    {
        std::lock_guard lock(mutex);
        std::size_t offset = 0;
        if (pendingTarget != WriteTarget::System) {
            offset = kAudioOffset[static_cast<int>(pendingTarget) -
                                  static_cast<int>(WriteTarget::Audio0)];
        }
        std::copy(pending->begin(), pending->end(), settings.begin() + offset);
        image = settings;
    }
    if (!saveFile.empty()) {
        Save(image);
    }
}

void Simulator::Impl::Save(const std::array<std::uint8_t, 800>& image) const {
    // Written beside the target and renamed over it, so a reader sees the old or the new
    // settings, whole.
    const std::string tmp = saveFile + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(image.data()),
                  static_cast<std::streamsize>(image.size()));
        out.flush();
        if (!out) {
            std::fprintf(stderr, "vrx3km-sim: cannot write %s\n", tmp.c_str());
            std::remove(tmp.c_str());
            return;
        }
    }
    if (std::rename(tmp.c_str(), saveFile.c_str()) != 0) {
        std::fprintf(stderr, "vrx3km-sim: cannot replace %s\n", saveFile.c_str());
        std::remove(tmp.c_str());
    }
}

void Simulator::Impl::Reply(Bytes message, const std::vector<FaultKind>& kinds) {
    SetBusy(true);
    if (!Think()) {
        SetBusy(false);
        return;
    }
    if (Has(kinds, FaultKind::Chatter)) {
        {
            std::lock_guard lock(mutex);
            chatter = true;
        }
        nextChatter = Clock::now();
        SetBusy(false);
        return;
    }
    const bool confirm = message.size() == 1 && (message[0] == kTaken || message[0] == kRefused);
    const bool goAhead = !confirm && message.size() <= 2;
    if (Has(kinds, FaultKind::Silent) || (confirm && Has(kinds, FaultKind::NoConfirm))) {
        SetBusy(false);
        return;
    }
    if (Has(kinds, FaultKind::WrongCode)) {
        if (goAhead) {
            message[0] = message[0] == kReqSystem ? kReqAudio : kReqSystem;
        } else if (confirm) {
            message[0] = 0x22;
        } else {
            message[0] = static_cast<std::uint8_t>(message[0] + 1);
        }
    }
    if (Has(kinds, FaultKind::WrongLength)) {
        if (goAhead) {
            message.push_back(0);
        } else {
            message.pop_back();
        }
    }
    if (Has(kinds, FaultKind::BadBlock) && !goAhead && !confirm) {
        if (message.size() == 1 + kSystemBytes) {
            message[1 + 8] = 0; // range 1..99
        } else if (message.size() > 1 + 12) {
            message[1 + 12] = 25; // L equaliser, 40 Hz: range 0..24
        }
    }
    if (Has(kinds, FaultKind::BadBlockNumber) && goAhead && message.size() == 2) {
        message[1] = 5;
    }
    if (confirm && Has(kinds, FaultKind::BadConfirm)) {
        message.push_back(0x00);
    }
    if (Has(kinds, FaultKind::Oversize)) {
        while (message.size() < kOversizeMessage) {
            message.push_back(static_cast<std::uint8_t>(LineByte() & 0x7F));
        }
    }

    Bytes frame = Encode(message);
    if (Has(kinds, FaultKind::BadEscape)) {
        // In the middle, but never between the two halves of a doubled DLE.
        std::size_t at = std::max<std::size_t>(3, frame.size() / 2);
        while (at < frame.size() - 2 && frame[at - 1] == kDle) {
            ++at;
        }
        frame.insert(frame.begin() + static_cast<std::ptrdiff_t>(at), {kDle, 0x05});
    }
    if (Has(kinds, FaultKind::CutFrame)) {
        std::size_t keep = std::max<std::size_t>(3, frame.size() / 2);
        while (keep < frame.size() - 2 && frame[keep - 1] == kDle) {
            ++keep;
        }
        frame.resize(keep);
    }
    if (Has(kinds, FaultKind::Noise)) {
        Bytes noise(8 + rng() % 17);
        for (auto& b : noise) {
            b = LineByte();
        }
        frame.insert(frame.begin(), noise.begin(), noise.end());
    }
    WriteLine(frame);
    SetBusy(false);
}

bool Simulator::Impl::Think() {
    if (delayMs <= 0) {
        return !stopping;
    }
    pollfd w{wake[0], POLLIN, 0};
    const auto end = Clock::now() + std::chrono::milliseconds(delayMs);
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
        if (left.count() <= 0 || stopping) {
            return !stopping;
        }
        if (poll(&w, 1, static_cast<int>(left.count())) > 0) {
            return false;
        }
    }
}

void Simulator::Impl::WriteLine(const Bytes& bytes) {
    if (!pace) {
        WriteAll(bytes.data(), bytes.size());
        return;
    }
    // Byte i leaves no earlier than i byte times after the first; the deadlines are absolute,
    // so time lost to scheduling is caught up instead of adding up. Waking once per few bytes
    // (each then a few milliseconds late at most, the last one on time) keeps the CPU time of
    // a paced transfer small.
    const auto start = Clock::now();
    std::size_t done = 0;
    while (done < bytes.size() && !stopping) {
        const auto elapsed = Clock::now() - start;
        const std::size_t due =
            std::min<std::size_t>(bytes.size(), static_cast<std::size_t>(elapsed / kByteTime) + 1);
        if (due > done) {
            if (!WriteAll(bytes.data() + done, due - done)) {
                return;
            }
            done = due;
        }
        if (done < bytes.size()) {
            const std::size_t wakeFor = std::min(bytes.size() - 1, done + kPaceBatch - 1);
            std::this_thread::sleep_until(start + kByteTime * static_cast<long>(wakeFor));
        }
    }
}

bool Simulator::Impl::WriteAll(const std::uint8_t* data, std::size_t n) {
    // Gives up when the other side has not taken anything for a while (nobody reads the line).
    auto giveUp = Clock::now() + std::chrono::seconds(2);
    while (n > 0 && !stopping) {
        const ssize_t w = write(master, data, n);
        if (w > 0) {
            {
                std::lock_guard lock(mutex);
                sent.insert(sent.end(), data, data + w);
                lastActivity = Clock::now();
            }
            data += w;
            n -= static_cast<std::size_t>(w);
            giveUp = Clock::now() + std::chrono::seconds(2);
            continue;
        }
        if (w < 0 && errno == EINTR) {
            continue;
        }
        if (w < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            return false;
        }
        if (Clock::now() >= giveUp) {
            return false;
        }
        pollfd fds[2] = {{master, POLLOUT, 0}, {wake[0], POLLIN, 0}};
        poll(fds, 2, 100);
        if ((fds[1].revents & POLLIN) != 0) {
            return false;
        }
    }
    return n == 0;
}

Simulator::Simulator(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {
    Impl& d = *impl_;
    d.master = posix_openpt(O_RDWR | O_NOCTTY);
    if (d.master < 0) {
        ThrowErrno("posix_openpt");
    }
    if (grantpt(d.master) != 0 || unlockpt(d.master) != 0) {
        const int e = errno;
        close(d.master);
        throw std::system_error(e, std::generic_category(), "grantpt/unlockpt");
    }
    char name[128] = {};
    if (ptsname_r(d.master, name, sizeof name) != 0) {
        const int e = errno;
        close(d.master);
        throw std::system_error(e, std::generic_category(), "ptsname");
    }
    d.devicePath = name;
    // Holding the slave open keeps the master from seeing a hang-up each time the program
    // closes and reopens the port.
    d.slave = open(name, O_RDWR | O_NOCTTY);
    if (d.slave < 0 || pipe(d.wake) != 0) {
        const int e = errno;
        if (d.slave >= 0) {
            close(d.slave);
        }
        close(d.master);
        throw std::system_error(e, std::generic_category(), "open pty slave");
    }
    MakeRaw(d.slave);
    d.closeWatch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (d.closeWatch >= 0 &&
        inotify_add_watch(d.closeWatch, name, IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        close(d.closeWatch);
        d.closeWatch = -1;
    }
    MakeRaw(d.master);
    fcntl(d.master, F_SETFL, fcntl(d.master, F_GETFL) | O_NONBLOCK);
    fcntl(d.master, F_SETFD, FD_CLOEXEC);
    fcntl(d.slave, F_SETFD, FD_CLOEXEC);
    fcntl(d.wake[0], F_SETFD, FD_CLOEXEC);
    fcntl(d.wake[1], F_SETFD, FD_CLOEXEC);
}

Simulator::~Simulator() {
    Stop();
    close(impl_->master);
    close(impl_->slave);
    close(impl_->wake[0]);
    close(impl_->wake[1]);
    if (impl_->closeWatch >= 0) {
        close(impl_->closeWatch);
    }
}

void Simulator::Start() {
    Impl& d = *impl_;
    if (d.thread.joinable()) {
        return;
    }
    // Forget a stop request left in the pipe by an earlier Stop.
    fcntl(d.wake[0], F_SETFL, fcntl(d.wake[0], F_GETFL) | O_NONBLOCK);
    char drain[16];
    while (read(d.wake[0], drain, sizeof drain) > 0) {
    }
    d.stopping = false;
    d.thread = std::thread([&d] { d.Serve(); });
}

void Simulator::Stop() {
    Impl& d = *impl_;
    if (!d.thread.joinable()) {
        return;
    }
    d.stopping = true;
    const char b = 1;
    while (write(d.wake[1], &b, 1) < 0 && errno == EINTR) {
    }
    d.thread.join();
    d.SetBusy(false);
}

const std::string& Simulator::DevicePath() const {
    return impl_->devicePath;
}

std::array<std::uint8_t, 800> Simulator::Settings() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->settings;
}

std::vector<std::uint8_t> Simulator::ReceivedBytes() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->received;
}

std::vector<std::uint8_t> Simulator::SentBytes() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->sent;
}

void Simulator::SetFaults(std::vector<Fault> faults) {
    {
        std::lock_guard lock(impl_->mutex);
        impl_->faults = std::move(faults);
        impl_->chatter = false; // a new set of faults starts on a quiet line
    }
    impl_->changed.notify_all();
}

void Simulator::SetSettings(const std::array<std::uint8_t, 800>& settings) {
    std::lock_guard lock(impl_->mutex);
    impl_->settings = settings;
}

bool Simulator::WaitIdle(int ms, int timeoutMs) {
    Impl& d = *impl_;
    const auto now0 = Clock::now();
    const auto deadline = now0 + std::chrono::milliseconds(timeoutMs);
    const auto quiet = std::chrono::milliseconds(ms);
    std::unique_lock lock(d.mutex);
    // Silence is counted from the call at the earliest: bytes the program has just written may
    // still be on their way through the terminal layer.
    for (;;) {
        const auto now = Clock::now();
        int inFlight = 0;
        ioctl(d.master, FIONREAD, &inFlight);
        const auto quietSince = std::max(d.lastActivity, now0);
        if (!d.busy && !d.chatter && inFlight == 0 && now - quietSince >= quiet) {
            return true;
        }
        if (now >= deadline) {
            return false;
        }
        auto until = deadline;
        if (inFlight > 0) {
            until = std::min(deadline, now + std::chrono::milliseconds(2));
        } else if (!d.busy && !d.chatter) {
            until = std::min(deadline, quietSince + quiet);
        }
        d.changed.wait_until(lock, until);
    }
}

} // namespace vrxsim
