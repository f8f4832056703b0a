#include <gtest/gtest.h>

#include "chromfile/chromatogram_file.h"
#include "common/cp1251.h"
#include "common/errors.h"
#include "common/paths.h"
#include "processing/open_chromatogram.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

namespace fs = std::filesystem;

TEST(OpenChromatogram, DialogFolderFallsBackToTheDataFolderInAnyCase) {
    test::TempDir dir;
    ProcessingState s{StartFolder(dir.path())};
    s.Settings.DataDir = textFromPath(dir.path() / "gone") + "/";
    EXPECT_EQ(openDialogFolder(s), dir.path());  // no data folder either
    fs::create_directories(dir.path() / "DATA");
    EXPECT_EQ(openDialogFolder(s), dir.path() / "DATA");
    fs::create_directories(dir.path() / "runs");
    s.Settings.DataDir = textFromPath(dir.path() / "runs") + "/";
    EXPECT_EQ(fs::path(openDialogFolder(s)).lexically_normal(), (dir.path() / "runs/").lexically_normal());
}

TEST(OpenChromatogram, CommitTakesTheReadAndResetsTheView) {
    test::TempDir dir;
    test::ChromatogramFixture f;
    f.samples = test::ChromatogramFixture::ramp(600);
    f.comment = RU("Проба 7");
    f.triples = {{10, 20, 'M'}, {30, 40, 'B'}, {41, 50, 'E'}};
    f.lastWord = 200;
    const fs::path file = f.write(dir.path() / "data" / "h1a.hrm");

    ProcessingState s{StartFolder(dir.path())};
    s.Settings.AveragingMs = 150;  // 3.75 samples at 25/s: width 4 gives 160 ms
    s.Settings.MethodologyName = "metod";
    s.ProgramMode = ModePeakTable;
    s.ClickMode = 5;
    s.View.VerticalZoom = 8;
    s.View.ZeroOffset = -40;
    s.View.ViewStartSec = 12;
    s.View.OverlayCount = 2;
    s.View.FragmentShown = true;
    s.View.RulerX = 250;
    s.GroupAreasFromModelling = true;

    ReadResult read = readChromatogramFor(s, file);
    const ChosenFile chosen = splitChosenFile(file);
    commitChromatogram(s, chosen, std::move(read));

    EXPECT_EQ(s.Settings.DataDir, textFromPath(dir.path() / "data") + "/");
    EXPECT_EQ(s.Settings.FileName, "h1a.hrm");
    EXPECT_EQ(s.ProgramMode, ModeShown);
    EXPECT_EQ(s.ClickMode, 0);
    EXPECT_EQ(s.View.VerticalZoom, 1.0);
    EXPECT_EQ(s.View.ZeroOffset, 0);
    EXPECT_EQ(s.View.ViewStartSec, 0);
    EXPECT_EQ(s.View.ViewEndSec, 24);  // 600 samples at 25 per second
    EXPECT_EQ(s.View.OverlayCount, 0);
    EXPECT_FALSE(s.View.FragmentShown);
    EXPECT_EQ(s.View.RulerX, 250);  // the ruler stays where it was
    EXPECT_FALSE(s.GroupAreasFromModelling);
    EXPECT_EQ(s.Chrom.CommentText, RU("Проба 7"));
    EXPECT_EQ(s.Chrom.SamplesPerPoint, 4);
    EXPECT_EQ(s.Settings.AveragingMs, 160);
    EXPECT_EQ(s.Settings.MethodologyName, "?");
    ASSERT_EQ(s.Markup.PeakCount(), 3);
    EXPECT_EQ(s.Markup.Peaks[2].Start, 30);
    EXPECT_EQ(s.Markup.Peaks[2].Type, 'B');
    EXPECT_EQ(s.Markup.Peaks[3].End, 50);
}

TEST(OpenChromatogram, AFailedReadThrowsBeforeAnythingIsCommitted) {
    test::TempDir dir;
    test::ChromatogramFixture good;
    good.samples = test::ChromatogramFixture::ramp(300);
    good.comment = "good";
    ProcessingState s{StartFolder(dir.path())};
    const fs::path goodFile = good.write(dir.path() / "data" / "h1a.hrm");
    commitChromatogram(s, splitChosenFile(goodFile), readChromatogramFor(s, goodFile));
    const ProcessingSettings before = s.Settings;
    const int points = s.Chrom.PointCount();

    const fs::path truncated = dir.write("data/h2a.hrm", std::string(30, '\0'));
    const fs::path text = dir.write("data/h3a.hrm", "this is a text file, not a chromatogram\r\n");
    EXPECT_THROW(readChromatogramFor(s, truncated), InvalidChromatogram);
    EXPECT_THROW(readChromatogramFor(s, text), InvalidChromatogram);
    EXPECT_THROW(readChromatogramFor(s, dir.path() / "data" / "missing.hrm"), IoError);
    EXPECT_EQ(s.Settings, before);
    EXPECT_EQ(s.Chrom.PointCount(), points);
    EXPECT_EQ(s.Chrom.CommentText, "good");
}

TEST(OpenChromatogram, TemperatureProgrammeComesFromTheDictionaryLine) {
    test::TempDir dir;
    dir.write("space/temp", toCp1251("изотерма 100\r\nпрогр: 50g-1m;10g/m;100g-2m\r\n"));
    test::ChromatogramFixture f;
    f.header[hw::Temperature] = 2;
    f.samples = test::ChromatogramFixture::ramp(25 * 60 * 10);
    const fs::path file = f.write(dir.path() / "data" / "h1a.hrm");
    ProcessingState s{StartFolder(dir.path())};
    const ReadResult r = readChromatogramFor(s, file);
    EXPECT_EQ(r.Chrom.Temperature.TempProgramTemps[0], 50);
    EXPECT_EQ(r.Chrom.Temperature.FinalTemperature, 100);
}

}  // namespace
}  // namespace vk7
