// Recording into chromatogram files: names and numbers, the header and the comment, the
// rename, the processing program's reader on what was recorded, the preview, failures.
#include "acquisition/recording.h"

#include <gtest/gtest.h>

#include <cmath>

#include <signal.h>
#include <sys/resource.h>

#include "acquisition/acquisition_engine.h"
#include "chromfile/chromatogram_file.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "platform/scripted_dialogs.h"
#include "platform/simulated_box.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

const std::string kSettings = "44100\r\n44100\r\nA\r\nB\r\n1800\r\n1800\r\n 21.533203125000\r\n1\r\n";
const std::string kCalibration =
    "0\r\n 1.00000000000000E+0000\r\n 0.00000000000000E+0000\r\n 6.66666666666667E-0002\r\n-3.33333333333333E-0001\r\n"
    " 6.66666666666667E-0002\r\n-3.33333333333333E-0001\r\n 0.00000000000000E+0000\r\n 0.00000000000000E+0000\r\n"
    " 0.00000000000000E+0000\r\n 0.00000000000000E+0000\r\n";

// rsv.dat of pair AB with the given names, record times (s) and folders.
std::string rsv(const std::string& n1, const std::string& n2, int t1, int t2, const std::string& f1,
                const std::string& f2, const std::string& r1 = " 1.00000000000000E+0000") {
    const std::string r = " 1.00000000000000E+0000";
    return "0\r\n" + n1 + "\r\n" + n2 + "\r\n" + std::to_string(t1) + "\r\n" + std::to_string(t2) + "\r\n" + n1 +
           "\r\n" + n2 + "\r\n" + std::to_string(t2) + "\r\n" + std::to_string(t2) + "\r\n0\r\n0\r\n0\r\n0\r\n" + r1 +
           "\r\n" + r + "\r\n" + r + "\r\n" + r + "\r\n" + f1 + "\r\n" + f2 + "\r\n";
}

class RecordingEngineTest : public ::testing::Test {
protected:
    void start(const std::string& channelSettings) {
        dir.write("vk7.dat", kSettings);
        dir.write("calibrvk", kCalibration);
        dir.write("space/rsv.dat", channelSettings);
        engine.create(277, 29);
        engine.showStartMessages();
    }
    ReadResult read(const fs::path& file) {
        ReadRequest r;
        r.AveragingMs = 0;  // width 3
        r.Vk7Rate = engine.state().settings.pointsPerSecond;
        return ReadChromatogram(file, r);
    }

    test::TempDir dir;
    SimulatedBox box;
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2024, 5, 6, 14, 5, 0}};
    AcquisitionEngine engine{{StartFolder(dir.path()), box, dialogs, clock, [](int) {}}};
};

TEST(RecordingFile, HeaderWordsFromTheRegimeAndR) {
    const std::array<int16_t, 12> p{2, 1, 3, 4, 5, -7, 150, 200, 1, 30, 300, 2};
    const auto w = recordingHeader(p, 2.0, 26);
    const std::array<int16_t, 20> expected{21, 2, 3, 4, 5, -7, 1, 30, 300, 693, 1, 1, 2, 4, 26, 150, 200, 1, 0, 1};
    EXPECT_EQ(w, expected);
    struct Case {
        double r;
        int16_t w9;
    };
    for (const Case& c : {Case{2.0, 693}, Case{0.5, -693}, Case{1.0, 0}, Case{1e30, 32767}, Case{0.0, 0}, Case{-1.0, 0}})
        EXPECT_EQ(recordingHeader(p, c.r, 0)[9], c.w9) << c.r;
    EXPECT_EQ(recordingComment(LocalDateTime{2024, 5, 6, 9, 5, 0}, RU("Метан ПИД")), RU("06.05.2024 09:05 Метан ПИД"));
    EXPECT_EQ(plannedPointCount(120, 21.533203125), 2584);
}

// A folder with recordings and models of both programs, names that are no recordings and the
// .hr of a recording begun meanwhile: the next file takes the number after all of them.
TEST_F(RecordingEngineTest, TheNextNumberPassesEveryExistingFileAndNothingIsOverwritten) {
    for (const char* name : {"data/k1/h9a.hrm", "data/k1/h10b.hrm", "data/k1/H11A.HRM", "data/k1/fig.hrm",
                             "data/k1/a.hrm"})
        dir.write(name, "x");
    start(rsv("A", "B", 120, 120, "K1", "k1"));
    dir.write("data/k1/h12a.hr", "x");  // a recording of another instance, begun after the start
    engine.startRecording(1);
    EXPECT_EQ(engine.recording(1).fileName(), "h13a.hr");
    EXPECT_EQ(engine.recording(1).currentPath().parent_path(), dir / "data/k1") << "found without regard to case";
    // Channel 2 shares the numbering of .hrm files; its letter is free at 12.
    engine.startRecording(2);
    EXPECT_EQ(engine.recording(2).fileName(), "h12b.hr");
    EXPECT_EQ(readFileBytes(dir / "data/k1/h12a.hr"), "x");
    // A folder that does not exist yet is created in lower case.
    engine.stopRecording(2);
    engine.state().regime.dataFolder[1] = "Neu";
    engine.startRecording(2);
    EXPECT_EQ(engine.recording(2).currentPath(), dir / "data/neu/h1b.hr");
    EXPECT_TRUE(dialogs.shown().empty());
}

// Two virtual minutes at 21.533 points per second: 2584 planned, 2585 written, then the
// comment, the last word 0 and the .hrm name; the processing program reads it back.
TEST_F(RecordingEngineTest, ARecordingRunsToItsPlannedCountAndReadsBackInTheProcessingProgram) {
    box.setDetector(0, DetectorScript{0.01, {{60.0, 0.1, 4.0}}});
    start(rsv(RU("Метан ПИД"), "B", 120, 120, "k1", "k2"));
    engine.state().regime.parameters[0] = {2, 1, 3, 4, 5, -7, 150, 200, 1, 30, 300, 2};
    engine.state().regime.channelValue[0] = 2.0;
    engine.startRecording(1);
    std::vector<int16_t> expected;
    while (engine.isRecording(1)) {
        const int before = engine.recording(1).recordedCount();
        box.step();
        if (engine.recording(1).recordedCount() > before)
            expected.push_back(recordedPoint(engine.state().measuredVolts[0], 1.5625, 0));
        ASSERT_LT(box.time(), 200.0);
    }
    const fs::path file = dir / "data/k1/h1a.hrm";
    ASSERT_TRUE(fs::exists(file));
    EXPECT_FALSE(fs::exists(dir / "data/k1/h1a.hr"));
    const auto words = readWords(file);
    ASSERT_EQ(words.size(), 20u + 2585u + 26u + 1u);
    EXPECT_EQ(words[14], 26) << "9 Cyrillic characters + 17";
    EXPECT_EQ(words[9], 693);
    EXPECT_EQ(words[5], -7);
    EXPECT_EQ(words.back(), 0);
    EXPECT_EQ(std::vector<int16_t>(words.begin() + 20, words.begin() + 20 + 2585), expected);

    const ReadResult r = read(file);
    EXPECT_EQ(r.Chrom.SampleCount, 2585);
    EXPECT_EQ(r.Chrom.CommentText, RU("06.05.2024 14:05 Метан ПИД"));
    EXPECT_NEAR(r.Chrom.SamplingRate, 21.533203125, 1e-9);
    EXPECT_EQ(r.Chrom.PointCount(), groupedPointCount(2585, 3));
    EXPECT_TRUE(dialogs.shown().empty());
}

// A recording cut short (the program killed) is still read: header and the points so far.
TEST_F(RecordingEngineTest, AnUnfinishedRecordingStillReads) {
    box.setDetector(0, DetectorScript{0.05, {}});
    start(rsv("A", "B", 600, 600, "k1", "k2"));
    engine.startRecording(1);
    box.run(10.0);
    const fs::path hr = dir / "data/k1/h1a.hr";
    const auto words = readWords(hr);
    const ReadResult r = read(hr);
    EXPECT_EQ(r.Chrom.SampleCount, int(words.size()) - 21) << "only the last word stands for the tail";
    EXPECT_EQ(r.Chrom.CommentText, "");
    EXPECT_GT(r.Chrom.PointCount(), 60);
    engine.stopRecording(1);
}

TEST_F(RecordingEngineTest, AFinishedRecordingNeverReplacesAFileOfItsName) {
    start(rsv("A", "B", 600, 600, "k1", "k2"));
    engine.startRecording(1);
    box.run(1.0);
    dir.write("data/k1/H1A.HRM", "model");  // appeared meanwhile
    dialogs.expectMessage(Answer::Ok);
    engine.stopRecording(1);
    EXPECT_EQ(readFileBytes(dir / "data/k1/H1A.HRM"), "model");
    ASSERT_TRUE(fs::exists(dir / "data/k1/h1a.hr"));
    EXPECT_EQ(readWords(dir / "data/k1/h1a.hr")[14], 18) << "finished all the same";
    ASSERT_EQ(dialogs.messageTexts().size(), 1u);
    EXPECT_EQ(dialogs.messageTexts()[0], RU("Файл h1a.hrm уже существует. Запись сохранена в файле h1a.hr."));
    EXPECT_FALSE(engine.isRecording(1));
}

// A point that cannot be written stops that channel only, with one message.
TEST_F(RecordingEngineTest, AFailedWriteStopsThatChannelAndTheOtherGoesOn) {
    start(rsv("A", "B", 600, 600, "k1", "k2"));
    engine.startRecording(1);
    box.run(0.5);  // channel 1 has a few points
    const auto written = fs::file_size(dir / "data/k1/h1a.hr");
    engine.startRecording(2);
    // Files may grow by five more points.
    signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = written + 10;
    setrlimit(RLIMIT_FSIZE, &small);
    while (engine.isRecording(1) && box.time() < 5) box.step();
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(engine.isRecording(1));
    EXPECT_TRUE(engine.isRecording(2));
    ASSERT_EQ(dialogs.messageTexts().size(), 1u);
    EXPECT_NE(dialogs.messageTexts()[0].find(RU("Запись канала остановлена.")), std::string::npos);
    const int before = engine.recording(2).recordedCount();
    box.run(1.0);
    EXPECT_GT(engine.recording(2).recordedCount(), before + 15);
    // What channel 1 wrote stays readable.
    EXPECT_EQ(readWords(dir / "data/k1/h1a.hr").size(), written / 2 + 5);
    engine.stopRecording(2);
}

TEST_F(RecordingEngineTest, TheCalibrationAndThePairSwitchWaitForBothChannels) {
    start(rsv("A", "B", 600, 600, "k1", "k2"));
    engine.startRecording(1);
    engine.startRecording(2);
    engine.stopRecording(1);
    EXPECT_TRUE(engine.anyRecording());
    EXPECT_FALSE(engine.togglePairSaving());
    EXPECT_TRUE(engine.state().channelPairAB);
    engine.stopRecording(2);
    EXPECT_FALSE(engine.anyRecording());
    EXPECT_TRUE(engine.togglePairSaving());
    EXPECT_FALSE(engine.state().channelPairAB);
}

// The preview against the reader: files whose samples end just before, on and after a block
// boundary and a longer one, at several widths.
TEST(RecordingPreview, MatchesTheReaderOfTheProcessingProgram) {
    test::TempDir dir;
    for (int total : {2047, 2048, 2049, 4116}) {
        for (int width : {3, 4, 5, 7}) {
            std::vector<int16_t> words(size_t(total), 0);
            const std::array<int16_t, 12> p{};
            const auto header = recordingHeader(p, 1.0, 18);
            std::copy(header.begin(), header.end(), words.begin());
            const int samples = total - 20 - 18 - 1;
            for (int k = 0; k < samples; ++k) words[size_t(20 + k)] = int16_t(1000 * std::sin(k * 0.05) + (k % 7) * 3);
            for (int k = 0; k < 18; ++k) words[size_t(20 + samples + k)] = 'a';
            const fs::path file = dir / "h1a.hrm";
            safeRewrite(file, wordsToBytes(words));

            ChannelPreview preview;
            preview.averagingMs = width;  // at 1000 points per second: this width
            LoadPreview(file, false, 1000.0, preview);
            ASSERT_EQ(preview.width, width);
            ReadRequest request;
            request.AveragingMs = width;
            request.Vk7Rate = 1000.0;
            const ReadResult r = ReadChromatogram(file, request);
            ASSERT_EQ(preview.pointCount, r.Chrom.PointCount()) << total << " words, width " << width;
            for (int k = 1; k <= preview.pointCount; ++k)
                ASSERT_EQ(clampToInt16(preview.point(k) - preview.point(3)), r.Chrom.Points[k]) << k;

            // While growing, every word after the header is a sample.
            LoadPreview(file, true, 1000.0, preview);
            EXPECT_EQ(preview.pointCount, groupedPointCount(total - 20, width));
        }
    }
    ChannelPreview empty;
    LoadPreview(dir / "none.hr", true, 21.5, empty);
    EXPECT_EQ(empty.pointCount, 0);
    EXPECT_EQ(empty.point(1), 0);
}

TEST(RecordingPreview, ALongRecordingKeepsWithin32768Points) {
    test::TempDir dir;
    std::vector<int16_t> words(20 + 100000, 7);
    const fs::path file = dir / "h1a.hr";
    safeRewrite(file, wordsToBytes(words));
    ChannelPreview p;
    LoadPreview(file, true, 21.533203125, p);
    EXPECT_EQ(p.width, 4);  // (100020 - 21) / 32768 + 1
    EXPECT_LE(p.pointCount, 32768);
    EXPECT_EQ(p.averagingMs, averagingForWidth(4, 21.533203125));
    EXPECT_EQ(p.point(p.pointCount), 7);
}

}  // namespace
}  // namespace vk7
