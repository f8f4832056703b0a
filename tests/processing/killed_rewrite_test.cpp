// Data files rewritten by a child process that is killed at random moments: afterwards each
// file is whole, byte for byte the old or the new version, and the temporaries the killed
// rewrites left are removed by the start-up cleanup.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <random>

#include "chromfile/markup_store.h"
#include "chromfile/processing_settings.h"
#include "common/files.h"
#include "processing/calibration_archive.h"
#include "processing/calibration_files.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

namespace fs = std::filesystem;

constexpr int kKills = 50;

struct Kind {
    const char* what;
    std::string file;                                            // below the start folder
    std::function<void(const StartFolder&)> prepare;             // the file before any rewrite
    std::function<void(const StartFolder&, int version)> write;  // one rewrite to version 0 or 1
};

OpenChromatogram chromatogram() {
    OpenChromatogram c;
    c.SamplingRate = 25;
    c.SamplesPerPoint = 5;
    return c;
}

PeakMarkup markupWith(int peaks) {
    PeakMarkup m;
    for (int i = 0; i < peaks; ++i) {
        Peak p;
        p.Type = 'M';
        p.Start = 10 + 30 * i;
        p.Apex = p.Start + 10;
        p.End = p.Start + 25;
        p.Height = 100;
        p.Area = 1000 + i;
        p.Name = "x";
        m.Peaks.push_back(p);
    }
    return m;
}

std::string archiveBytes(int tables) {
    std::string bytes;
    for (int t = 0; t < tables; ++t) {
        bytes += "#" + std::string(66, char('0' + t % 10)) + "\r\n";
        for (int r = 0; r < 40; ++r) bytes += formatCalibrationLine({60.0 + r, 10.0 * r, 1.0, "substance", false}) + "\r\n";
    }
    return bytes + "#\r\n";
}

std::vector<Kind> kinds() {
    return {
        {"chromatogram", "data/h1a.hrm",
         [](const StartFolder& s) {
             test::ChromatogramFixture f;
             f.samples = test::ChromatogramFixture::ramp(200000);
             fs::create_directories(s.root() / "data");
             f.write(s.root() / "data/h1a.hrm");
         },
         [](const StartFolder& s, int v) { SaveComment(s.root() / "data/h1a.hrm", v ? std::string(128, 'c') : "a"); }},
        {"markup store", "space/pics",
         [](const StartFolder& s) {
             writeLines(s.ensureFolder("space") / "pics", std::vector<std::string>(3000, "kept line of no section"));
         },
         [](const StartFolder& s, int v) { SaveMarkupToPics(s, chromatogram(), markupWith(v ? 200 : 3)); }},
        {"calibration archive", "space/gas.grd",
         [](const StartFolder& s) { safeRewrite(s.ensureFolder("space") / "gas.grd", archiveBytes(20)); },
         [](const StartFolder& s, int v) {
             // Parsed once, before the children fork: a child spends its time rewriting, so
             // the kills land in the rewrite even where parsing is slow (sanitizer builds).
             static const CalibrationArchive archives[2] = {CalibrationArchive::parse(archiveBytes(20)),
                                                            CalibrationArchive::parse(archiveBytes(40))};
             saveCalibrationArchive(s, "gas", archives[v]);
         }},
        {"treat.dat", "space/treat.dat",
         [](const StartFolder& s) { CloseDown(s, ProcessingSettings{}, false); },
         [](const StartFolder& s, int v) {
             ProcessingSettings settings;
             settings.DataDir = std::string(v ? 120 : 3, 'd');
             settings.DetectThreshold = v ? 12.5 : 0.25;
             CloseDown(s, settings, v == 1);
         }},
    };
}

// The bytes of the file after a rewrite to `version`, made once in a folder of its own.
std::string versionBytes(const Kind& k, int version) {
    test::TempDir dir;
    const StartFolder start(dir.path());
    k.prepare(start);
    k.write(start, version);
    return readFileBytes(dir / k.file);
}

int temporariesIn(const fs::path& folder) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().rfind(".vk7-", 0) == 0) ++n;
    return n;
}

TEST(KilledRewrite, EveryFileIsTheOldOrTheNewVersion) {
    std::mt19937 random(20240312);
    int leftBehindInAll = 0;
    for (const Kind& k : kinds()) {
        SCOPED_TRACE(k.what);
        const std::string versions[2] = {versionBytes(k, 0), versionBytes(k, 1)};
        ASSERT_NE(versions[0], versions[1]);
        test::TempDir dir;
        const StartFolder start(dir.path());
        k.prepare(start);
        k.write(start, 0);
        int leftBehind = 0;
        for (int kill = 0; kill < kKills; ++kill) {
            // The child says when its first rewrite is done, so that the kill lands in its
            // loop of rewrites however slowly a loaded machine starts it.
            int ready[2];
            ASSERT_EQ(::pipe(ready), 0);
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                ::close(ready[0]);
                try {
                    k.write(start, 1);
                    const char byte = 1;
                    if (::write(ready[1], &byte, 1) != 1) ::_exit(4);
                    for (int v = 0;; v ^= 1) k.write(start, v);
                } catch (...) {
                }
                ::_exit(3);
            }
            ::close(ready[1]);
            char byte = 0;
            const ssize_t got = ::read(ready[0], &byte, 1);
            ::close(ready[0]);
            ASSERT_EQ(got, 1) << "the writing child failed before its first rewrite at kill " << kill;
            ::usleep(std::uniform_int_distribution<useconds_t>(200, 6000)(random));
            ::kill(child, SIGKILL);
            int status = 0;
            ::waitpid(child, &status, 0);
            ASSERT_TRUE(WIFSIGNALED(status)) << "the writing child ended by itself at kill " << kill;
            const std::string now = readFileBytes(dir / k.file);
            ASSERT_TRUE(now == versions[0] || now == versions[1]) << "kill " << kill << ": " << now.size() << " bytes";
            leftBehind += temporariesIn((dir / k.file).parent_path());
            removeStaleRewriteTemporaries((dir / k.file).parent_path(), std::chrono::seconds(0));
            EXPECT_EQ(temporariesIn((dir / k.file).parent_path()), 0);
        }
        leftBehindInAll += leftBehind;
    }
    // Kills land inside rewrites: the test really interrupts them. (How often depends on
    // how long the flush takes against the rest of a loop, which a slow build stretches.)
    EXPECT_GT(leftBehindInAll, 0);
}

}  // namespace
}  // namespace vk7
