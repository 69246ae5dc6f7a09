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

// One byte at 9600 baud, 8N1: ten bit times.
constexpr std::chrono::nanoseconds kByteTime{1'041'667};
constexpr std::size_t kPaceBatch = 8;
constexpr std::chrono::milliseconds kChatterPeriod{100};

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

} // namespace

struct Simulator::Impl {
    explicit Impl(Options o)
        : dialogue(o.settings, std::move(o.faults)), pace(o.pace), delayMs(o.delayMs),
          saveFile(std::move(o.saveFile)) {}

    // The dialogue and the observed traffic, shared with the caller's thread.
    mutable std::mutex mutex;
    std::condition_variable changed;
    Dialogue dialogue;
    const bool pace;
    const int delayMs;
    const std::string saveFile;
    Bytes received;
    Bytes sent;
    Clock::time_point lastActivity = Clock::now();
    bool busy = false;    // bytes are on their way in, or a reply is being prepared or written
    bool chatter = false; // the line has started to chatter

    int master = -1;
    int slave = -1;
    int wake[2] = {-1, -1};
    int closeWatch = -1; // inotify: the program closed its descriptor of the device
    std::string devicePath;
    std::thread thread;
    std::atomic<bool> stopping{false};

    // Server thread only.
    Clock::time_point nextChatter{};
    Clock::time_point inboundFree{}; // when the last byte received has fully crossed the line

    void Serve();
    void Receive(const std::uint8_t* data, std::size_t n);
    // Sends the answer to a request whose last byte reached the processor at requestEnd (on a
    // real line), after the think time.
    void Deliver(const Answer& answer, Clock::time_point requestEnd);
    void Save(const std::array<std::uint8_t, 800>& image) const;
    bool WaitUntil(Clock::time_point when);
    void WriteLine(const Bytes& bytes);
    bool WriteAll(const std::uint8_t* data, std::size_t n);
    void SetBusy(bool b) {
        {
            std::lock_guard lock(mutex);
            busy = b;
            lastActivity = Clock::now();
        }
        changed.notify_all();
    }
};

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
            std::uint8_t b = 0;
            {
                std::lock_guard lock(mutex);
                b = dialogue.ChatterByte();
            }
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
                Receive(buffer.data(), static_cast<std::size_t>(n));
            }
        } else if ((fds[0].revents & (POLLHUP | POLLERR)) != 0) {
            // The slave side is held open, so this should not happen; do not spin if it does.
            pollfd w{wake[0], POLLIN, 0};
            poll(&w, 1, 50);
        }
    }
}

void Simulator::Impl::Receive(const std::uint8_t* data, std::size_t n) {
    // On a real line a byte reaches the processor only when its ten bits have crossed it after
    // the byte before it: the program's own bytes take their line time too. Paced, the bytes
    // are taken at those times; either way a reply's think time counts from there.
    const auto start = std::max(Clock::now(), inboundFree);
    inboundFree = start + kByteTime * static_cast<long>(n);
    if (pace) {
        SetBusy(true);
    }
    for (std::size_t i = 0; i < n && !stopping; ++i) {
        if (pace) {
            // Waking once per few bytes keeps the CPU time small; a byte is never early.
            const std::size_t wakeFor = std::min(n - 1, i + kPaceBatch - 1);
            if (i % kPaceBatch == 0 &&
                !WaitUntil(start + kByteTime * static_cast<long>(wakeFor + 1))) {
                break;
            }
        }
        std::optional<Answer> answer;
        {
            std::lock_guard lock(mutex);
            answer = dialogue.Feed(data[i]);
        }
        if (answer) {
            Deliver(*answer, start + kByteTime * static_cast<long>(i + 1));
        }
    }
    if (pace) {
        SetBusy(false);
    }
}

void Simulator::Impl::Deliver(const Answer& answer, Clock::time_point requestEnd) {
    SetBusy(true);
    if (answer.committed && !saveFile.empty()) {
        std::array<std::uint8_t, 800> image;
        {
            std::lock_guard lock(mutex);
            image = dialogue.Settings();
        }
        Save(image);
    }
    // Paced, the request's bytes are taken a few at a time, so its end may still lie ahead.
    if ((pace || delayMs > 0) && !WaitUntil(requestEnd + std::chrono::milliseconds(delayMs))) {
        SetBusy(false);
        return;
    }
    if (answer.startsChatter) {
        {
            std::lock_guard lock(mutex);
            chatter = true;
        }
        nextChatter = Clock::now();
    } else if (!answer.line.empty()) {
        WriteLine(answer.line);
    }
    SetBusy(false);
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

// Waits until `when`; false when the simulator is told to stop meanwhile.
bool Simulator::Impl::WaitUntil(Clock::time_point when) {
    pollfd w{wake[0], POLLIN, 0};
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(when - Clock::now());
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
    return impl_->dialogue.Settings();
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
        impl_->dialogue.SetFaults(std::move(faults));
        impl_->chatter = false; // a new set of faults starts on a quiet line
    }
    impl_->changed.notify_all();
}

void Simulator::SetSettings(const std::array<std::uint8_t, 800>& settings) {
    std::lock_guard lock(impl_->mutex);
    impl_->dialogue.SetSettings(settings);
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
