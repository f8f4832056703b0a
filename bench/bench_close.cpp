// How long vk7r takes to close: from the close request (Alt+F4, or the answer to "Запись
// сигналов не окончена..." while a channel records) to the end of the process, on real ALSA
// devices made of ALSA's own `null` and `file` plugins: a capture device fed with a carrier
// in real time or one whose reads never return, and a playback device drained in real time.
//
// Each iteration runs the program's four windows, as the program's main block makes them,
// in a child process (this executable again, offscreen), which reports the moment of the
// request; the time is counted until the parent sees the child end. Counters: `finished` is
// 1 when the recording running at the close ended as a .hrm file.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>

#include "acquisition/forms/helper.h"
#include "acquisition/forms/vk7u1.h"
#include "acquisition/forms/vk7v1.h"
#include "acquisition/forms/vk7v2.h"
#include "common/clock.h"
#include "common/files.h"
#include "common/number_text.h"
#include "platform/qt/alsa_sound_input.h"
#include "platform/qt/alsa_sound_output.h"
#include "platform/dialogs.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
constexpr int kRate = 44100;

int64_t monotonicNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// ---- the child: the program until its close ----------------------------------------------

// Every box is answered OK at once: the question before stopping a recording, and the
// no-sound notice of the hung device.
class OkDialogs : public vk7::Dialogs {
public:
    vk7::Answer message(const vk7::MessageRequest&) override { return vk7::Answer::Ok; }
    std::optional<fs::path> openOne(const vk7::FileDialogRequest&) override { return std::nullopt; }
    std::vector<fs::path> openSeveral(const vk7::FileDialogRequest&) override { return {}; }
    std::optional<fs::path> saveAs(const vk7::FileDialogRequest&) override { return std::nullopt; }
    bool printSetup(vk7::Printer&) override { return false; }
};

// argv: --close-child <start folder> <record 0|1> <fd for the request time> <hung 0|1>
int runChild(char** argv) {
    const fs::path start = argv[2];
    const bool record = std::string(argv[3]) == "1";
    const int report = static_cast<int>(vk7::parseLenientInt(argv[4]));
    const bool hung = std::string(argv[5]) == "1";
    int argc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(argc, qtArgv);

    OkDialogs dialogs;
    vk7::AlsaSoundInput input;
    vk7::AlsaSoundOutput output;
    vk7::SystemClock clock;
    auto sleep = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
    vk7::TForm1 form1(vk7::StartFolder(start), input, dialogs, clock, sleep, nullptr, &output);
    vk7::TForm2 form2(form1.engine());
    vk7::TForm3 form3(form1.engine());
    vk7::TForm4 form4{vk7::StartFolder(start)};
    form1.setOtherForms(&form2, &form3, &form4);
    QObject::connect(&form1, &vk7::TForm1::programClosed, &app, &QApplication::quit, Qt::QueuedConnection);
    form1.show();

    // Running: the blocks arrive (a hung device gets a second), F10 starts a recording,
    // which goes on for two seconds; then the close.
    QTimer step;
    int phase = 0;
    const auto started = std::chrono::steady_clock::now();
    auto closeAt = started;
    QObject::connect(&step, &QTimer::timeout, [&] {
        const auto now = std::chrono::steady_clock::now();
        if (phase == 0) {
            const bool running = hung ? now - started > std::chrono::seconds(1) : form1.engine().state().firstBufferDone;
            if (!running && now - started > std::chrono::seconds(30)) {
                std::fprintf(stderr, "no sound arrived\n");
                std::_Exit(2);
            }
            if (!running) return;
            if (record) {
                // F10 goes where the application delivers a typed key: the focused control.
                QWidget* target = form1.focusWidget() ? form1.focusWidget() : &form1;
                QKeyEvent press(QEvent::KeyPress, Qt::Key_F10, Qt::NoModifier);
                QApplication::sendEvent(target, &press);
                QKeyEvent release(QEvent::KeyRelease, Qt::Key_F10, Qt::NoModifier);
                QApplication::sendEvent(target, &release);
            }
            closeAt = now + std::chrono::seconds(2);
            phase = 1;
        } else if (phase == 1 && now >= closeAt) {
            phase = 2;
            step.stop();
            const int64_t t = monotonicNs();
            (void)!::write(report, &t, sizeof t);
            form1.close();
        }
    });
    step.start(20);
    return app.exec();
}

// ---- the parent: devices, one child per iteration ----------------------------------------

// ALSA devices for one run: `default` captures from a FIFO (fed with a 4 kHz carrier in
// real time, or never written: the hung device) and plays into a FIFO drained in real time.
class Devices {
public:
    explicit Devices(bool hung) {
        const std::string d = dir.path().string();
        mkfifo((d + "/in.fifo").c_str(), 0600);
        mkfifo((d + "/out.fifo").c_str(), 0600);
        dir.write("asound.conf", "pcm.!default {\n type asym\n capture.pcm {\n  type file\n  slave.pcm { type null }\n"
                                 "  file \"/dev/null\"\n  infile \"" + d + "/in.fifo\"\n  format \"raw\"\n }\n"
                                 " playback.pcm {\n  type file\n  slave.pcm { type null }\n  file \"" + d +
                                 "/out.fifo\"\n  format \"raw\"\n }\n}\n");
        // Held open for writing: the capture's open does not wait, and a hung device's reads
        // wait for ever.
        in_ = ::open((d + "/in.fifo").c_str(), O_RDWR);
        out_ = ::open((d + "/out.fifo").c_str(), O_RDWR | O_NONBLOCK);
        if (!hung) feeder_ = std::thread([this] { feed(); });
        drainer_ = std::thread([this] { drain(); });
    }
    ~Devices() {
        stop_ = true;
        if (feeder_.joinable()) feeder_.join();
        drainer_.join();
        ::close(in_);
        ::close(out_);
    }
    std::string config() const { return (dir.path() / "asound.conf").string(); }

private:
    // Real-time pace: what has been moved may run ahead of the clock by at most 0.2 s.
    template <class Move>
    void paced(Move move) {
        const auto t0 = std::chrono::steady_clock::now();
        int64_t frames = 0;
        while (!stop_) {
            const double due = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() * kRate;
            if (frames > due + 0.2 * kRate) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                continue;
            }
            frames += move();
        }
    }
    void feed() {
        std::vector<int16_t> block(2 * 1024);
        int64_t k = 0;
        paced([&] {
            for (int i = 0; i < 1024; ++i, ++k)
                block[2 * size_t(i)] = block[2 * size_t(i) + 1] =
                    int16_t(std::lrint(5000 * std::sin(2 * std::numbers::pi * 4000.0 * double(k) / kRate)));
            pollfd p{in_, POLLOUT, 0};
            if (::poll(&p, 1, 50) <= 0) return int64_t(0);
            return int64_t(std::max<ssize_t>(0, ::write(in_, block.data(), block.size() * 2)) / 4);
        });
    }
    void drain() {
        std::vector<char> chunk(4096);
        paced([&] {
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) return int64_t(0);
            return int64_t(std::max<ssize_t>(0, ::read(out_, chunk.data(), chunk.size())) / 4);
        });
    }

    vk7::test::TempDir dir;
    int in_ = -1, out_ = -1;
    std::atomic<bool> stop_{false};
    std::thread feeder_, drainer_;
};

// One run of the program; the seconds from the close request to its end (negative when
// the child failed), and whether a recording ended as h1a.hrm.
double closeOnce(bool hung, bool record, bool& finished) {
    Devices devices(hung);
    vk7::test::TempDir start;
    vk7::test::copyInstallation(fs::path(VK7_SOURCE_DIR) / "install", start.path());
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return -1;

    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string v = *e;
        if (v.rfind("ALSA_CONFIG_PATH=", 0) != 0 && v.rfind("QT_QPA_PLATFORM=", 0) != 0) env.push_back(v);
    }
    env.push_back("ALSA_CONFIG_PATH=" + devices.config());
    env.push_back("QT_QPA_PLATFORM=offscreen");
    std::vector<char*> envp;
    for (auto& v : env) envp.push_back(v.data());
    envp.push_back(nullptr);
    std::string self = fs::read_symlink("/proc/self/exe").string(), mode = "--close-child", folder = start.path().string(),
                rec = record ? "1" : "0", fd = std::to_string(pipeFds[1]), h = hung ? "1" : "0";
    char* argv[] = {self.data(), mode.data(), folder.data(), rec.data(), fd.data(), h.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, envp.data()) != 0) return -1;
    ::close(pipeFds[1]);
    int64_t requested = 0;
    const bool got = ::read(pipeFds[0], &requested, sizeof requested) == sizeof requested;
    int status = 0;
    ::waitpid(pid, &status, 0);
    const int64_t ended = monotonicNs();
    ::close(pipeFds[0]);
    std::error_code ec;
    finished = fs::exists(start / "data/kanal1/h1a.hrm", ec);
    if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return double(ended - requested) / 1e9;
}

void BM_Close(benchmark::State& state) {
    const bool hung = state.range(0) != 0, record = state.range(1) != 0;
    int finished = 0, runs = 0;
    for (auto _ : state) {
        bool f = false;
        const double s = closeOnce(hung, record, f);
        if (s < 0) {
            state.SkipWithError("the program did not run to its close");
            return;
        }
        state.SetIterationTime(s);
        finished += f;
        ++runs;
    }
    state.counters["finished"] = runs ? double(finished) / runs : 0;
    state.SetLabel(std::string(hung ? "hung capture device" : "fed capture device") +
                   (record ? ", recording running" : ", no recording"));
}
BENCHMARK(BM_Close)
    ->ArgNames({"hung", "recording"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 6 && std::string(argv[1]) == "--close-child") return runChild(argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
