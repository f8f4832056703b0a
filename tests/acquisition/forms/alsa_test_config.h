// A temporary ALSA configuration for tests: software capture devices built from ALSA's own
// `null` and `file` plugins, so that the real open and capture paths run on any machine,
// with or without a sound card.
#pragma once

#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/files.h"
#include "tests/support/temp_dir.h"

namespace vk7::test {

// Interleaved 16-bit samples of a sine of `hz` and peak `amplitude` on every channel, with
// channel c shifted by c * 1000 counts of a slow ramp so that channels differ.
inline std::vector<int16_t> sineFrames(int rate, int channels, int frames, double hz, double amplitude, bool ramp) {
    std::vector<int16_t> out;
    out.reserve(size_t(frames) * size_t(channels));
    for (int k = 0; k < frames; ++k)
        for (int c = 0; c < channels; ++c) {
            double v = amplitude * std::sin(2 * std::numbers::pi * hz * k / rate);
            if (ramp && c == 1) v = (k % 2000) - 1000;
            out.push_back(int16_t(std::lrint(v)));
        }
    return out;
}

// Writes the configuration into a temporary folder and points ALSA at it for the life of
// the object:
//   default        a file plug over null: any rate and format, its samples from a FIFO that
//                  feed() writes, so that the test paces it (as a sound server would)
//   vk7_mono48     a device that takes only mono 16-bit at 48000 Hz, fed like default
//   vk7_hang       a file plug whose input is a FIFO nobody writes: a read never returns
//   vk7_play       a playback device: a file plug over null writing into a FIFO that the
//                  test drains with played()
class AlsaTestConfig {
public:
    AlsaTestConfig() {
        const std::string d = dir.path().string();
        const std::string conf =
            "pcm.!default {\n type file\n slave.pcm { type null }\n file \"/dev/null\"\n infile \"" + d +
            "/stereo.fifo\"\n format \"raw\"\n}\n"
            "pcm.vk7_mono48_source {\n type file\n slave.pcm { type null }\n file \"/dev/null\"\n infile \"" + d +
            "/mono48.fifo\"\n format \"raw\"\n}\n"
            "pcm.vk7_mono48 {\n type plug\n slave { pcm \"vk7_mono48_source\"\n rate 48000\n channels 1\n format S16_LE }\n}\n"
            "pcm.vk7_hang {\n type file\n slave.pcm { type null }\n file \"/dev/null\"\n infile \"" + d +
            "/hang.fifo\"\n format \"raw\"\n}\n"
            "pcm.vk7_play {\n type file\n slave.pcm { type null }\n file \"" + d + "/play.fifo\"\n format \"raw\"\n}\n";
        dir.write("asound.conf", conf);
        mkfifo((d + "/hang.fifo").c_str(), 0600);
        mkfifo((d + "/stereo.fifo").c_str(), 0600);
        mkfifo((d + "/play.fifo").c_str(), 0600);
        playReader_ = ::open((d + "/play.fifo").c_str(), O_RDWR);
        mkfifo((d + "/mono48.fifo").c_str(), 0600);
        feedWriter_ = ::open((d + "/stereo.fifo").c_str(), O_RDWR);
        monoWriter_ = ::open((d + "/mono48.fifo").c_str(), O_RDWR);
        // Held open for writing, so that opening the FIFO for reading does not wait, while
        // a read waits for data forever.
        fifoWriter_ = ::open((d + "/hang.fifo").c_str(), O_RDWR);
        if (const char* old = std::getenv("ALSA_CONFIG_PATH")) oldPath_ = old;
        setenv("ALSA_CONFIG_PATH", (d + "/asound.conf").c_str(), 1);
        snd_config_update_free_global();
    }
    ~AlsaTestConfig() {
        releaseHang();
        releaseFeed();
        stopDraining();
        if (playReader_ >= 0) ::close(playReader_);
        if (oldPath_)
            setenv("ALSA_CONFIG_PATH", oldPath_->c_str(), 1);
        else
            unsetenv("ALSA_CONFIG_PATH");
        snd_config_update_free_global();
    }

    void writeRaw(const char* name, const std::vector<int16_t>& samples) {
        dir.write(name, std::string(reinterpret_cast<const char*>(samples.data()), samples.size() * 2));
    }
    // Writes samples into the default device's FIFO (or vk7_mono48's) and keeps it open, so
    // that the device then waits for more. The FIFO is first made large enough to hold them
    // all where the system allows it (1 MiB for a user), so that the device finds every
    // sample there from its first read, however busy the machine: a read of the file plug
    // that finds less than it asks for is filled up with stale samples. What does not fit
    // follows from a thread as the device reads.
    void feed(std::vector<int16_t> samples, bool mono48 = false) {
        const int fd = mono48 ? monoWriter_ : feedWriter_;
        const size_t bytes = samples.size() * 2;
        const int given = fcntl(fd, F_GETPIPE_SZ);
        size_t capacity = given > 0 ? size_t(given) : 65536;
        size_t want = capacity;
        while (want < bytes && want < kLargestUserFifo) want *= 2;
        if (want > capacity) {
            const int got = fcntl(fd, F_SETPIPE_SZ, int(want));
            if (got > 0) capacity = size_t(got);
        }
        const size_t first = std::min(bytes, capacity);
        if (::write(fd, samples.data(), first) != ssize_t(first)) return;
        if (first == bytes) return;
        feeder_ = std::thread([this, fd, first, samples = std::move(samples)] {
            const char* p = reinterpret_cast<const char*>(samples.data()) + first;
            size_t left = samples.size() * 2 - first;
            while (left > 0 && !stopFeed_) {
                pollfd w{fd, POLLOUT, 0};
                if (::poll(&w, 1, 50) <= 0) continue;
                const ssize_t n = ::write(fd, p, std::min<size_t>(left, 4096));
                if (n <= 0) break;
                p += n;
                left -= size_t(n);
            }
        });
    }
    // Ends the default device's input (end of file).
    void releaseFeed() {
        stopFeed_ = true;
        if (feeder_.joinable()) feeder_.join();
        if (feedWriter_ >= 0) ::close(feedWriter_);
        if (monoWriter_ >= 0) ::close(monoWriter_);
        feedWriter_ = monoWriter_ = -1;
    }
    // Drains what vk7_play plays, from a thread, until stopDraining().
    void startDraining() {
        drainer_ = std::thread([this] {
            std::vector<char> chunk(65536);
            while (!stopDrain_) {
                pollfd p{playReader_, POLLIN, 0};
                if (::poll(&p, 1, 50) <= 0) continue;
                const ssize_t n = ::read(playReader_, chunk.data(), chunk.size());
                if (n <= 0) continue;
                std::lock_guard lock(playedMutex_);
                played_.insert(played_.end(), chunk.begin(), chunk.begin() + n);
            }
        });
    }
    void stopDraining() {
        stopDrain_ = true;
        if (drainer_.joinable()) drainer_.join();
    }
    // The interleaved samples played so far.
    std::vector<int16_t> played() {
        std::lock_guard lock(playedMutex_);
        std::vector<int16_t> out(played_.size() / 2);
        if (!out.empty()) std::memcpy(out.data(), played_.data(), out.size() * 2);
        return out;
    }
    // Lets a read blocked on the FIFO return (end of file), so a thread left in it ends.
    void releaseHang() {
        if (fifoWriter_ >= 0) ::close(fifoWriter_);
        fifoWriter_ = -1;
    }
    // Whether a thread of this process waits in a read of vk7_hang's FIFO, where a capture
    // thread sits once it has asked the hanging device for frames. Read from /proc: each
    // thread's system call with its arguments, and what each file descriptor refers to.
    bool hangIsBeingRead() const {
        std::error_code ec;
        const fs::path fifo = fs::canonical(dir / "hang.fifo", ec);
        for (const auto& task : fs::directory_iterator("/proc/self/task", ec)) {
            std::ifstream in(task.path() / "syscall");
            long number = -1;
            std::string fd;
            if (!(in >> number >> fd) || number != SYS_read) continue;
            if (fs::read_symlink(fs::path("/proc/self/fd") / std::to_string(std::stoul(fd, nullptr, 0)), ec) == fifo)
                return true;
        }
        return false;
    }
    // Whether the hanging device is still open in this process (after releaseHang(), only a
    // capture thread left in it keeps it open, until that thread ends and closes it).
    bool hangIsOpen() const {
        std::error_code ec;
        const fs::path fifo = fs::canonical(dir / "hang.fifo", ec);
        for (const auto& fd : fs::directory_iterator("/proc/self/fd", ec))
            if (fs::read_symlink(fd.path(), ec) == fifo) return true;
        return false;
    }

    TempDir dir;

private:
    // The largest FIFO a user may ask for (/proc/sys/fs/pipe-max-size as Linux ships it).
    static constexpr size_t kLargestUserFifo = size_t(1) << 20;

    int fifoWriter_ = -1;
    int feedWriter_ = -1;
    int monoWriter_ = -1;
    std::atomic<bool> stopFeed_{false};
    int playReader_ = -1;
    std::thread drainer_;
    std::atomic<bool> stopDrain_{false};
    std::mutex playedMutex_;
    std::vector<char> played_;
    std::thread feeder_;
    std::optional<std::string> oldPath_;
};

}  // namespace vk7::test
