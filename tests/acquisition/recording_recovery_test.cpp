// No recording is lost: a write that fails (a full disk) finishes the file with what was
// written where the disk allows it, and the start of the program finishes every recording
// that was cut short (killed, power gone, disk full at its end) with every point it holds.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <fstream>

#include "acquisition/acquisition_engine.h"
#include "acquisition/recording.h"
#include "chromfile/chromatogram_file.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "platform/scripted_dialogs.h"
#include "platform/simulated_box.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait.h"

namespace vk7 {
namespace {

// rsv.dat / rsv1.dat with the names, a record time of `seconds` and the folders of a pair.
std::string rsv(const std::string& n1, const std::string& n2, const std::string& f1, const std::string& f2,
                int seconds = 600) {
    const std::string r = " 1.00000000000000E+0000", t = std::to_string(seconds);
    return "0\r\n" + n1 + "\r\n" + n2 + "\r\n" + t + "\r\n" + t + "\r\n" + n1 + "\r\n" + n2 + "\r\n" + t + "\r\n" + t +
           "\r\n0\r\n0\r\n0\r\n0\r\n" + r + "\r\n" + r + "\r\n" + r + "\r\n" + r + "\r\n" + f1 + "\r\n" + f2 + "\r\n";
}

// A start folder whose pair AB records into data/k1 and data/k2 as "Метан" and "Этан", pair
// CD into data/k3 and data/k4 as "C" and "D".
void writeStartFolder(const fs::path& dir, int recordSeconds = 600) {
    for (const char* installed : {"vk7.dat", "calibrvk"})
        fs::copy_file(fs::path(VK7_SOURCE_DIR) / "install" / installed, dir / installed);
    fs::create_directories(dir / "space");
    writeLines(dir / "space/rsv.dat", splitLines(rsv(RU("Метан"), RU("Этан"), "k1", "k2", recordSeconds)));
    writeLines(dir / "space/rsv1.dat", splitLines(rsv("C", "D", "k3", "k4", recordSeconds)));
    for (const char* k : {"data/k1", "data/k2", "data/k3", "data/k4"}) fs::create_directories(dir / k);
}

// The engine of the program on a start folder, fed by the simulated box.
struct Program {
    explicit Program(const fs::path& dir) : engine{{StartFolder(dir), box, dialogs, clock, [](int) {}}} {
        dialogs.setAutoAcknowledgeInfo(true);
    }
    void start() {
        engine.create(277, 29);
        engine.showStartMessages();
    }
    SimulatedBox box;
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2024, 5, 6, 14, 5, 0}};
    AcquisitionEngine engine;
};

std::string bytesOf(const std::vector<int16_t>& words) { return wordsToBytes(words); }

// The header of a recording (w14 as given) and points 0, 7, 14, ...
std::vector<int16_t> recordingWords(int points, int w14 = 0) {
    const auto h = recordingHeader({1, 0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 1.0, w14);
    std::vector<int16_t> words(h.begin(), h.end());
    for (int k = 0; k < points; ++k) words.push_back(int16_t(7 * k - 300));
    return words;
}

void appendComment(std::vector<int16_t>& words, const std::string& comment) {
    for (char c : comment) words.push_back(int16_t(uint8_t(c)));
    words.push_back(0);
}

// Sets the time a file was last written to a local date and time.
void setWritten(const fs::path& file, const LocalDateTime& t) {
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    const timespec times[2] = {{mktime(&tm), 0}, {mktime(&tm), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

// What the processing program opens: every point, the comment.
struct Opened {
    std::vector<int16_t> samples;
    std::string comment;
};
Opened open(const fs::path& file) {
    const ChromatogramWords w = readChromatogramWords(file);
    Opened o;
    o.samples.assign(w.words.begin() + kHeaderWords, w.words.begin() + kHeaderWords + w.sampleCount());
    ReadRequest request;
    request.AveragingMs = 0;
    request.Vk7Rate = 21.533203125;
    o.comment = ReadChromatogram(file, request).Chrom.CommentText;  // throws when vk7t cannot open it
    return o;
}

std::vector<int16_t> pointsOf(const std::vector<int16_t>& words) {
    return std::vector<int16_t>(words.begin() + kHeaderWords, words.end());
}

// ---- the files a start finds ---------------------------------------------------------------

TEST(InterruptedRecordings, EveryKindOfCutShortFileIsFinishedWithItsPointsAndNothingIsReplaced) {
    test::TempDir dir;
    const LocalDateTime written{2024, 5, 6, 13, 45, 30};
    const std::string name = RU("Метан");
    const std::string comment = recordingComment(written, name);
    std::vector<int16_t> finishedTail = recordingWords(50, int(comment.size()));
    appendComment(finishedTail, recordingComment({2024, 5, 6, 11, 0, 0}, name));
    struct Case {
        const char* what;
        const char* file;
        std::string bytes;
        const char* becomes;      // "" when it goes
        std::vector<int16_t> points;
        std::string comment;
    };
    const Case cases[] = {
        {"killed while recording", "h5a.hr", bytesOf(recordingWords(100)), "h5a.hrm", pointsOf(recordingWords(100)), comment},
        {"half a point at the end", "h6a.hr", bytesOf(recordingWords(30)) + "\x11", "h6a.hrm", pointsOf(recordingWords(30)),
         comment},
        {"finished, only the rename missing", "h7a.hr", bytesOf(finishedTail), "h7a.hrm", pointsOf(recordingWords(50)),
         recordingComment({2024, 5, 6, 11, 0, 0}, name)},
        // An older program set w14 when the recording began: what follows the header is points.
        {"w14 set from the start", "h8a.hr", bytesOf(recordingWords(40, 22)), "h8a.hrm", pointsOf(recordingWords(40)), comment},
        {"upper-case name", "H9A.HR", bytesOf(recordingWords(10)), "H9A.HRM", pointsOf(recordingWords(10)), comment},
        {"the other channel's name", "h5b.hr", bytesOf(recordingWords(10)), "h5b.hrm", pointsOf(recordingWords(10)),
         recordingComment(written, RU("Этан"))},
        {"a header only", "h10a.hr", bytesOf(recordingWords(0)), "", {}, ""},
        {"less than a header", "h11a.hr", std::string(17, '\0'), "", {}, ""},
        {"empty", "h12a.hr", "", "", {}, ""},
    };
    for (const Case& c : cases) setWritten(dir.write(c.file, c.bytes), written);
    // A model that took the name of a recording cut short keeps it; the recording gets the next number.
    dir.write("h20a.hr", bytesOf(recordingWords(12)));
    setWritten(dir / "h20a.hr", written);
    dir.write("H20A.HRM", "model");
    // Names that are no recording are left alone.
    for (const char* other : {"notes.hr", "h.hr", "hxa.hr", "h1.hr", "h1ab.hr"}) dir.write(other, "x");

    const auto names = [](char letter) { return letter == 'a' ? RU("Метан") : letter == 'b' ? RU("Этан") : std::string(); };
    const std::vector<InterruptedRecording> done = FinishInterruptedRecordings(dir.path(), names);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(fs::exists(dir / c.file));
        if (std::string(c.becomes).empty()) continue;
        ASSERT_TRUE(fs::exists(dir / c.becomes));
        const Opened o = open(dir / c.becomes);
        EXPECT_EQ(o.samples, c.points);
        EXPECT_EQ(o.comment, c.comment);
    }
    EXPECT_EQ(readFileBytes(dir / "H20A.HRM"), "model");
    ASSERT_TRUE(fs::exists(dir / "h21a.hrm"));
    EXPECT_EQ(open(dir / "h21a.hrm").samples, pointsOf(recordingWords(12)));
    for (const char* other : {"notes.hr", "h.hr", "hxa.hr", "h1.hr", "h1ab.hr"}) EXPECT_EQ(readFileBytes(dir / other), "x");

    int finished = 0, removed = 0;
    for (const InterruptedRecording& r : done) {
        EXPECT_TRUE(r.failure.empty()) << r.file << ": " << r.failure;
        finished += !r.finished.empty();
        removed += r.removed;
    }
    EXPECT_EQ(finished, 7);
    EXPECT_EQ(removed, 3);
    // A second start finds nothing more to do.
    EXPECT_TRUE(FinishInterruptedRecordings(dir.path(), names).empty());
}

TEST(InterruptedRecordings, ARecordingThatIsRunningIsLeftAlone) {
    // Another instance of the program records into the folder: its file is held.
    test::TempDir dir;
    writeStartFolder(dir.path());
    Program other(dir.path());
    other.start();
    other.engine.startRecording(1);
    other.box.run(1.0);
    const fs::path running = other.engine.recording(1).currentPath();
    const std::string before = readFileBytes(running);

    Program starting(dir.path());
    starting.start();
    EXPECT_TRUE(starting.dialogs.messageTexts().empty());
    EXPECT_EQ(readFileBytes(running), before);
    other.engine.stopRecording(1);
    EXPECT_TRUE(fs::exists(fs::path(running.string() + "m")));
}

// ---- the start of the program --------------------------------------------------------------

TEST(InterruptedRecordings, TheStartFinishesTheRecordingsOfBothPairsAndSaysWhichOnce) {
    test::TempDir dir;
    writeStartFolder(dir.path());
    const LocalDateTime written{2024, 5, 6, 13, 45, 0};
    for (const char* f : {"data/k1/h3a.hr", "data/k2/h1b.hr", "data/k4/h2d.hr"}) {
        dir.write(f, bytesOf(recordingWords(21)));
        setWritten(dir / f, written);
    }
    dir.write("data/k3/h1c.hr", "");  // a start that failed: nothing in it
    Program p(dir.path());
    p.start();
    ASSERT_EQ(p.dialogs.messageTexts().size(), 1u);
    EXPECT_EQ(p.dialogs.messageTexts()[0],
              RU("Записи, прерванные при прошлой работе программы, закончены со всеми записанными точками:\n"
                 "\\data\\k1\\h3a.hrm: 21 точка\n\\data\\k2\\h1b.hrm: 21 точка\n\\data\\k4\\h2d.hrm: 21 точка"));
    EXPECT_EQ(open(dir / "data/k1/h3a.hrm").comment, recordingComment(written, RU("Метан")));
    EXPECT_EQ(open(dir / "data/k2/h1b.hrm").comment, recordingComment(written, RU("Этан")));
    EXPECT_EQ(open(dir / "data/k4/h2d.hrm").comment, recordingComment(written, "D"));
    EXPECT_FALSE(fs::exists(dir / "data/k3/h1c.hr"));
    ASSERT_TRUE(p.engine.close());

    Program again(dir.path());
    again.start();
    EXPECT_TRUE(again.dialogs.messageTexts().empty());
}

// ---- a disk that fills up ------------------------------------------------------------------

// Files of this process may grow to `bytes` while the object lives (RLIMIT_FSIZE: the writes
// beyond fail as on a full disk).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit small = old_;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old_); }

private:
    rlimit old_{};
};

TEST(InterruptedRecordings, AFailedWriteKeepsEveryPointWrittenAndTheNextStartFinishesTheFile) {
    // The disk fills up at the first point, in the middle (with room for half a point), and
    // once the points are written but before the comment; the recording of a planned
    // 2 minutes (2585 points) stops there, and the next start, with room again, finishes it.
    struct Case {
        const char* what;
        rlim_t limit;
        int points;  // written before the fault
        bool fileLeft;
    };
    const Case cases[] = {
        {"at the first point", 40, 0, false},
        {"in the middle", 40 + 2 * 1000 + 1, 1000, true},
        {"before the comment", 40 + 2 * 2585, 2585, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        writeStartFolder(dir.path(), 120);
        std::vector<int16_t> recorded;
        {
            Program p(dir.path());
            p.box.setDetector(0, DetectorScript{0.01, {{20.0, 0.08, 3.0}}});
            p.start();
            p.engine.startRecording(1);
            {
                const FileSizeLimit full(c.limit);
                while (p.engine.isRecording(1) && p.box.time() < 200) p.box.step();
            }
            EXPECT_FALSE(p.engine.isRecording(1));
            ASSERT_EQ(p.dialogs.messageTexts().size(), 1u);
            const std::string text = p.dialogs.messageTexts()[0];
            if (c.points == 0) {
                EXPECT_NE(text.find(RU("Запись канала остановлена: не записано ни одной точки.")), std::string::npos) << text;
            } else {
                EXPECT_NE(text.find(RU("Файл h1a.hr (") + countText(c.points, RU("точка"), RU("точки"), RU("точек")) +
                                    RU(") не удалось закончить: он будет закончен при следующем запуске программы.")),
                          std::string::npos)
                    << text;
            }
            EXPECT_EQ(fs::exists(dir / "data/k1/h1a.hr"), c.fileLeft);
            if (c.fileLeft) recorded = pointsOf(readWords(dir / "data/k1/h1a.hr"));
            EXPECT_EQ(recorded.size(), size_t(c.points));
            ASSERT_TRUE(p.engine.close());
        }
        Program next(dir.path());
        next.start();
        if (!c.fileLeft) {
            EXPECT_TRUE(next.dialogs.messageTexts().empty());
            EXPECT_TRUE(fs::is_empty(dir / "data/k1"));
            continue;
        }
        ASSERT_EQ(next.dialogs.messageTexts().size(), 1u);
        EXPECT_NE(next.dialogs.messageTexts()[0].find(
                      "\\data\\k1\\h1a.hrm: " + countText(c.points, RU("точка"), RU("точки"), RU("точек"))),
                  std::string::npos);
        const Opened o = open(dir / "data/k1/h1a.hrm");
        EXPECT_EQ(o.samples, recorded);
        EXPECT_EQ(o.comment.substr(17), RU("Метан"));
    }
}

TEST(InterruptedRecordings, AStartThatCannotWriteTheHeaderLeavesNoFile) {
    test::TempDir dir;
    writeStartFolder(dir.path());
    Program p(dir.path());
    p.start();
    {
        const FileSizeLimit full(10);
        EXPECT_THROW(p.engine.startRecording(1), IoError);
    }
    EXPECT_FALSE(p.engine.isRecording(1));
    EXPECT_TRUE(fs::is_empty(dir / "data/k1"));
}

// ---- a recording killed, a real full file system ---------------------------------------------

TEST(InterruptedRecordings, ARecordingKilledAtAnyMomentOpensInTheProcessingProgramWithEveryPoint) {
    // From a second on: a handful of points makes no chromatogram the processing program
    // opens (it wants three averaged points).
    for (const int killAfter : {20, 150, 2047, 2049}) {
        SCOPED_TRACE(killAfter);
        test::TempDir dir;
        writeStartFolder(dir.path());
        const fs::path file = dir / "data/k1/h1a.hr";
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // The program recording for ever, as fast as the box gives blocks.
            Program p(dir.path());
            p.box.setDetector(0, DetectorScript{0.01, {{5.0, 0.08, 2.0}}});
            p.start();
            p.engine.startRecording(1);
            for (;;) p.box.step();
        }
        std::error_code ec;
        test::waitUntil([&] { return fs::exists(file, ec) && fs::file_size(file, ec) >= uint64_t(40 + 2 * killAfter); },
                        "the recording's points written");
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        ASSERT_TRUE(fs::exists(file)) << "the recording had begun";
        const std::vector<int16_t> recorded = pointsOf(readWords(file));
        ASSERT_GE(recorded.size(), size_t(killAfter));

        Program next(dir.path());
        next.start();
        ASSERT_EQ(next.dialogs.messageTexts().size(), 1u);
        EXPECT_NE(next.dialogs.messageTexts()[0].find(
                      "\\data\\k1\\h1a.hrm: " + countText(int64_t(recorded.size()), RU("точка"), RU("точки"), RU("точек"))),
                  std::string::npos)
            << next.dialogs.messageTexts()[0];
        const Opened o = open(dir / "data/k1/h1a.hrm");
        EXPECT_EQ(o.samples, recorded);
        EXPECT_EQ(o.comment.substr(17), RU("Метан"));
    }
}

// In a child process with a mount namespace of its own: a tmpfs of 128 KiB filled up but for
// two pages takes a recording until its disk is full; the points written stay, and after
// room is made the next start finishes the file. What the child saw is left in `out`.
// Exit 77: no mount namespace can be had here.
int recordOntoAFullFileSystem(const fs::path& mount, const fs::path& out) {
    if (unshare(CLONE_NEWNS) != 0) {
        const uid_t uid = getuid();
        const gid_t gid = getgid();
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return 77;
        auto put = [](const char* file, const std::string& text) {
            std::ofstream f(file);
            f << text;
            return bool(f);
        };
        put("/proc/self/setgroups", "deny");
        if (!put("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
            !put("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
            return 77;
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", mount.c_str(), "tmpfs", 0, "size=128k") != 0)
        return 77;
    writeStartFolder(mount);
    {
        const int fd = ::open((mount / "filler").c_str(), O_WRONLY | O_CREAT, 0644);
        const std::string page(4096, 'f');
        off_t size = 0;
        while (::write(fd, page.data(), page.size()) == ssize_t(page.size())) size += off_t(page.size());
        if (::ftruncate(fd, size - 2 * 4096) != 0) return 3;
        ::close(fd);
    }
    auto save = [&](const char* name, const std::vector<std::string>& texts) {
        std::string all;
        for (const std::string& t : texts) all += t + "\n---\n";
        writeLines(out / name, {all});
    };
    {
        Program p(mount);
        p.start();
        p.engine.startRecording(1);
        while (p.engine.isRecording(1) && p.box.time() < 500) p.box.step();
        save("first.txt", p.dialogs.messageTexts());
        if (fs::exists(mount / "data/k1/h1a.hr")) fs::copy_file(mount / "data/k1/h1a.hr", out / "cut.hr");
    }
    fs::remove(mount / "filler");
    Program next(mount);
    next.start();
    save("next.txt", next.dialogs.messageTexts());
    if (fs::exists(mount / "data/k1/h1a.hrm")) fs::copy_file(mount / "data/k1/h1a.hrm", out / "finished.hrm");
    return 0;
}

TEST(InterruptedRecordings, ASmallFileSystemThatFillsUpLosesNoPoint) {
    test::TempDir dir;
    fs::create_directories(dir / "fs");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) _exit(recordOntoAFullFileSystem(dir / "fs", dir.path()));
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "no mount namespace for a tmpfs here; the file size limit cases cover the full disk";
    ASSERT_EQ(WEXITSTATUS(status), 0);
    const std::string first = readFileBytes(dir / "first.txt");
    EXPECT_NE(first.find(RU("Запись канала остановлена. Файл h1a.hr (")), std::string::npos) << first;
    EXPECT_NE(first.find(RU("не удалось закончить: он будет закончен при следующем запуске программы.")), std::string::npos);
    ASSERT_TRUE(fs::exists(dir / "cut.hr"));
    const std::vector<int16_t> recorded = pointsOf(readWords(dir / "cut.hr"));
    EXPECT_GT(recorded.size(), 2000u) << "two pages of points";
    EXPECT_NE(readFileBytes(dir / "next.txt")
                  .find("\\data\\k1\\h1a.hrm: " + countText(int64_t(recorded.size()), RU("точка"), RU("точки"), RU("точек"))),
              std::string::npos);
    ASSERT_TRUE(fs::exists(dir / "finished.hrm"));
    EXPECT_EQ(open(dir / "finished.hrm").samples, recorded);
}

}  // namespace
}  // namespace vk7
