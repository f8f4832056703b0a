#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

#include "chromfile/chromatogram_file.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "modelling/chromatogram_model.h"
#include "modelling/model_chromatogram.h"
#include "modelling/model_plot.h"
#include "tests/support/recording_canvas.h"
#include "tests/support/temp_dir.h"

namespace vk7 {
namespace {

ModelRow row(double t, double w, double a, double h) {
    return {modelCellText(t), modelCellText(w), modelCellText(a), modelCellText(h)};
}

// 600 s at 250 ms with one peak at 5 min, 10 s wide, symmetric, 10 mV high.
ChromatogramModel onePeakModel() {
    ChromatogramModel m;
    m.ModelName = "test.mod";
    m.ModelLength = 600;
    m.ModelPointInterval = 250;
    m.Rows = {row(5, 10, 1, 10)};
    SetupModel(m);
    return m;
}

TEST(ModelSetup, IntervalFactorAndPointCount) {
    struct Case { int interval, factor, shown; };
    for (Case c : {Case{250, 4, 250}, {100, 2, 125}, {10, 1, 62}, {0, 1, 62}, {-250, 1, 62}, {15968, 255, 15938}}) {
        ChromatogramModel m;
        m.ModelLength = 600;
        m.ModelPointInterval = c.interval;
        SetupModelInterval(m);
        EXPECT_EQ(m.OversamplingFactor, c.factor) << c.interval;
        EXPECT_EQ(m.ModelPointInterval, c.shown) << c.interval;
    }
    // The exact 62.5 ms interval counts the points and places the apexes (not the 62 shown).
    ChromatogramModel m;
    m.ModelLength = 600;
    m.ModelPointInterval = 10;
    m.Rows = {row(1, 1, 1, 10)};
    SetupModel(m);
    EXPECT_EQ(m.ModelPointCount, 9600);
    EXPECT_EQ(m.ModelCurve[960], 2097);
    ChromatogramModel q = onePeakModel();
    q.Rows = {row(1.005, 1, 1, 10)};  // 60.3 s rounds to 60 s first: point 240
    SynthesizeModel(q);
    EXPECT_EQ(q.ModelCurve[240], 2097);
}

TEST(ModelSynthesis, BiGaussianWithinFourRoundedWidths) {
    ChromatogramModel m = onePeakModel();
    ASSERT_EQ(m.ModelPointCount, 2400);
    struct Point { int i, v; };
    for (Point p : {Point{1175, 0}, {1176, 1}, {1182, 23}, {1188, 284}, {1194, 1272}, {1199, 2068}, {1200, 2097},
                    {1206, 1272}, {1224, 1}, {1225, 0}}) {
        EXPECT_EQ(m.ModelCurve[p.i], p.v) << p.i;
    }
    EXPECT_EQ(std::accumulate(m.ModelCurve.begin(), m.ModelCurve.end(), 0), 31543);

    // A = 3, W = 8: sigma 2.4 points on the left, 7.2 on the right: c - 8 .. c + 28.
    m.Rows = {row(5, 8, 3, 10)};
    SynthesizeModel(m);
    EXPECT_EQ(m.ModelCurve[1191], 0);
    EXPECT_GT(m.ModelCurve[1192], 0);
    EXPECT_GT(m.ModelCurve[1228], 0);
    EXPECT_EQ(m.ModelCurve[1229], 0);
    EXPECT_GT(m.ModelCurve[1210], m.ModelCurve[1190]);

    // Overlapping peaks add up and saturate; a peak past the end and a refused row add nothing;
    // a peak too narrow for a sigma adds only its apex.
    m.Rows = {row(5, 10, 1, 100), row(5, 10, 1, 100), row(11, 10, 1, 10), row(3, -1, 1, 10), row(8, 0.001, 1, 10)};
    SynthesizeModel(m);
    EXPECT_EQ(m.ModelCurve[1200], 32767);
    EXPECT_EQ(m.ModelCurve[2400], 0);
    EXPECT_EQ(m.ModelCurve[720], 0);
    EXPECT_EQ(m.ModelCurve[1920], 2097);
    EXPECT_EQ(m.ModelCurve[1919] + m.ModelCurve[1921], 0);
}

TEST(ModelGrid, CheckAndRowTexts) {
    struct Case { ModelRow r; bool ok; };
    for (const Case& c : {Case{row(5, 10, 1, 10), true}, {row(5, 10, 1, -3), true}, {row(0, 10, 1, 10), false},
                          {row(5, 0, 1, 10), false}, {row(5, 10, -1, 10), false}, {row(-5, 10, 1, 10), false},
                          {row(5, -10, 1, 10), false}, {{"x", "10", "1", "10"}, false}, {{"", "", "", ""}, false}}) {
        EXPECT_EQ(CheckModelGrid({c.r}).has_value(), !c.ok) << c.r[0] << " " << c.r[1] << " " << c.r[2] << " " << c.r[3];
    }
    // A value that does not show whole in its 12 characters, typed or read from a file, is
    // refused: beyond it the apex and widths in points outgrow every integer.
    for (const ModelRow& r : {ModelRow{"99999999.999", "99999999.999", "99999999.999", "99999999.999"},
                              ModelRow{"5", "10", "1", "-9999999.999"}})
        EXPECT_EQ(CheckModelGrid({r}), std::nullopt) << r[0] << " " << r[3];
    for (const ModelRow& r : {ModelRow{"100000000", "10", "1", "10"}, ModelRow{"5", "1e300", "1", "10"},
                              ModelRow{"5", "10", "1e17", "10"}, ModelRow{"5", "10", "1", "1e300"},
                              ModelRow{"5", "10", "1", "-10000000"}, ModelRow{"1e300", "1e300", "1e300", "1e300"}}) {
        EXPECT_EQ(CheckModelGrid({r}), 1) << r[0] << " " << r[1] << " " << r[2] << " " << r[3];
        ChromatogramModel m = onePeakModel();
        m.Rows = {r};
        SynthesizeModel(m);
        EXPECT_EQ(std::count(m.ModelCurve.begin(), m.ModelCurve.end(), 0), m.ModelPointCount);
    }
    // At the limit the synthesis counts in 64 bits: a width of 99999999.999 s covers every point.
    ChromatogramModel wide = onePeakModel();
    wide.Rows = {{"5", "99999999.999", "1", "10"}};
    SynthesizeModel(wide);
    EXPECT_EQ(wide.ModelCurve[1], 2097);
    EXPECT_EQ(wide.ModelCurve[wide.ModelPointCount], 2097);
    EXPECT_EQ(CheckModelGrid({row(5, 10, 1, 10), row(6, 10, 1, 10), row(7, 0, 1, 1)}), 3);
    EXPECT_EQ(modelRowMessage(3), RU("Исправьте строку 3 таблицы"));
    EXPECT_EQ(modelRowLabel(7, row(5, 120, 1, 10), 600), "     7");
    EXPECT_EQ(modelRowLabel(7, row(5, 126, 1, 10), 600), RU("     7 База"));
}

TEST(ModelFile, WrittenAndReadBack) {
    test::TempDir dir;
    StartFolder start(dir.path());
    ChromatogramModel m = onePeakModel();
    m.ModelTitle = "title";
    m.ModelModified = true;
    SaveModelFile(start, m);
    EXPECT_FALSE(m.ModelModified);
    EXPECT_EQ(readLines(dir / "space/test.mod"),
              (std::vector<std::string>{"600", "250", "title", " 0.00000000000000E+0000", " 5.00000000000000E-0001",
                                        " 8.333333333333333E-003", " 8.333333333333333E-003",
                                        " 1.00000000000000E+0001"}));
    ModelLoad load = LoadModelFile(start, "TEST.MOD");
    ASSERT_TRUE(load.Model) << load.Refusal;
    EXPECT_EQ(load.Model->Rows, (std::vector<ModelRow>{{"       5.000", "      10.000", "       1.000", "      10.000"}}));
    EXPECT_EQ(load.Model->ModelTitle, "title");

    // Fractions a + b of 0.2 and 0.21; a of 0 reads as asymmetry 0 (the check reports it);
    // a last group of fewer than four lines is not read.
    dir.write("space/b.mod", "600\r\n250\r\nt\r\n0\r\n0.5\r\n0.1\r\n0.1\r\n5\r\n0.6\r\n0.1\r\n0.11\r\n5\r\n"
                             "0.7\r\n0\r\n0.1\r\n5\r\n0.8\r\n");
    load = LoadModelFile(start, "b.mod");
    ASSERT_TRUE(load.Model);
    ASSERT_EQ(load.Model->ModelPeakCount(), 3);
    EXPECT_EQ(modelRowLabel(1, load.Model->Rows[0], 600), "     1");
    EXPECT_EQ(modelRowLabel(2, load.Model->Rows[1], 600), RU("     2 База"));
    EXPECT_EQ(load.Model->Rows[2][model_col::A], "       0.000");
    EXPECT_EQ(CheckModelGrid(load.Model->Rows), 3);
}

// Every real of a model file reads back as the double written, in at most 23 characters;
// the digits a value needs take the room of the exponent's leading zeros, then of the
// leading blank, then of the point.
TEST(ModelFile, RealsReadBackAsTheDoublesWritten) {
    const struct {
        double v;
        const char* text;
    } cases[] = {
        {0, " 0.00000000000000E+0000"},
        {0.1, " 1.00000000000000E-0001"},
        {-2.5e-7, "-2.50000000000000E-0007"},
        {1.0 / 3, " 3.333333333333333E-001"},
        {0.1 + 0.2, " 3.0000000000000004E-01"},
        {1.2345678901234567e300, "1.2345678901234567E+300"},
        {1.7976931348623157e308, "1.7976931348623157E+308"},
        {-1.2345678901234567e-100, "-12345678901234567E-116"},
        {-1.7976931348623157e308, "-17976931348623157E292"},
        {2.2250738585072014e-308, "2.2250738585072014E-308"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(modelRealText(c.v), c.text);
        EXPECT_EQ(parseLenient(c.text), c.v) << c.text;
    }
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> exponent(-300, 300);
    for (int i = 0; i < 2000; ++i) {
        const double v = (i % 2 ? -1 : 1) * std::pow(10.0, exponent(random));
        const std::string text = modelRealText(v);
        EXPECT_LE(text.size(), 23u) << text;
        EXPECT_EQ(parseLenient(text), v) << text;
    }

    // Saved, loaded and saved again: the same values and the same bytes.
    test::TempDir dir;
    StartFolder start(dir.path());
    ChromatogramModel m;
    m.ModelName = "m.mod";
    m.ModelLength = 601;
    m.ModelNoise = 1.0 / 7;
    m.Rows = {row(1.001, 7.777, 1.3, 12.345), row(3.333, 0.123, 7.001, -0.7)};
    SetupModelInterval(m);
    SaveModelFile(start, m);
    const std::vector<std::string> first = readLines(dir / "space/m.mod");
    const std::vector<std::string> written = modelFileLines(m);
    for (size_t k = 3; k < first.size(); ++k) EXPECT_EQ(parseLenient(first[k]), parseLenient(written[k])) << k;
    ModelLoad back = LoadModelFile(start, "m.mod");
    ASSERT_TRUE(back.Model);
    EXPECT_EQ(back.Model->ModelNoise, 1.0 / 7);
    EXPECT_EQ(back.Model->Rows, m.Rows);
    SaveModelFile(start, *back.Model);
    EXPECT_EQ(readLines(dir / "space/m.mod"), first);
}

TEST(ModelFile, RefusesWhatTheModelCannotHold) {
    test::TempDir dir;
    StartFolder start(dir.path());
    EXPECT_EQ(LoadModelFile(start, "none.mod").Refusal, RU("none.mod отсутствует"));
    std::string many = "600\r\n250\r\nt\r\n0\r\n";
    for (int k = 0; k < 256; ++k) many += "0.5\r\n0.01\r\n0.01\r\n5\r\n";
    struct Case { const char* name; std::string text; std::string reason; };
    for (const Case& c : {Case{"zero.mod", "0\r\n250\r\n", RU("длина 0 с вне пределов от 1 до 8192 с")},
                          {"long.mod", "8193\r\n250\r\n", RU("длина 8193 с вне пределов от 1 до 8192 с")},
                          {"slow.mod", "600\r\n20000\r\n", RU("интервал точек 20000 мс больше 15968 мс")},
                          {"many.mod", many, RU("в модели больше 255 пиков")}}) {
        dir.write(std::string("space/") + c.name, c.text);
        EXPECT_EQ(LoadModelFile(start, c.name).Refusal, c.name + RU(" испорчен: ") + c.reason);
    }
    // An interval beyond what 64 bits hold is refused like any other too long.
    dir.write("space/huge.mod", "600\r\n1e30\r\n");
    EXPECT_EQ(LoadModelFile(start, "huge.mod").Refusal,
              RU("huge.mod испорчен: интервал точек 9223372036854775807 мс больше 15968 мс"));
    // One of 0 or less, however far below, is the shortest.
    for (const char* interval : {"0", "-250", "-1e30", "-9223372036854775808"}) {
        dir.write("space/neg.mod", "600\r\n" + std::string(interval) + "\r\n");
        const ModelLoad neg = LoadModelFile(start, "neg.mod");
        ASSERT_TRUE(neg.Model) << interval;
        EXPECT_EQ(neg.Model->ModelPointInterval, 62) << interval;
    }
    dir.write("space/fast.mod", "2048\r\n10\r\n");  // factor 1: 62 ms, at most 2048 s
    ModelLoad fast = LoadModelFile(start, "fast.mod");
    ASSERT_TRUE(fast.Model) << fast.Refusal;
    EXPECT_EQ(fast.Model->ModelPointInterval, 62);
    EXPECT_EQ(fast.Model->ModelPointCount, 32768);
}

TEST(ModelEdits, LengthRowsAndPeaksFromThePlot) {
    ChromatogramModel m = onePeakModel();
    EXPECT_EQ(ChangeModelLength(m, 0), RU("Длина модели должна быть от 1 с до 136.533 мин"));
    EXPECT_EQ(ChangeModelLength(m, 137), RU("Длина модели должна быть от 1 с до 136.533 мин"));
    EXPECT_EQ(m.ModelLength, 600);
    EXPECT_FALSE(m.ModelModified);
    EXPECT_EQ(ChangeModelLength(m, 20), std::nullopt);
    EXPECT_EQ(m.ModelLength, 1200);
    EXPECT_EQ(m.Rows[0], row(10, 20, 1, 10));
    EXPECT_TRUE(m.ModelModified);

    m = onePeakModel();
    const ModelPlot plot = ModelPlot::forImage(521, 305);
    const ModelPeakValues p = plot.peakFromRectangle(250, 226, 260, 200, m.ModelLength);
    EXPECT_EQ(plot.peakFromRectangle(260, 226, 250, 200, m.ModelLength).t, p.t);
    m.Rows.push_back(row(6, 10, 1, 10));
    ASSERT_EQ(InsertModelPeak(m, p), std::nullopt);
    EXPECT_EQ(m.Rows[1], (ModelRow{"       5.094", "      12.474", "       1.000", "      20.312"}));
    EXPECT_EQ(m.Rows[2][model_col::T], "       6.000");
    EXPECT_EQ(nearestModelRow(m, 5.5), 1);     // 5.094 is nearer than 6
    m.Rows = {row(5, 10, 1, 10), row(6, 10, 1, 10)};
    EXPECT_EQ(nearestModelRow(m, 5.5), 0);     // midway: the earlier row
    EXPECT_EQ(nearestModelRow(ChromatogramModel{}, 1), -1);

    DeleteModelRow(m, 5);
    DeleteModelRow(m, -1);
    EXPECT_EQ(m.ModelPeakCount(), 2);
    DeleteModelRow(m, 0);
    EXPECT_EQ(m.Rows, (std::vector<ModelRow>{row(6, 10, 1, 10)}));
    ASSERT_EQ(InsertModelRow(m, 0), std::nullopt);
    EXPECT_EQ(m.Rows, (std::vector<ModelRow>{row(6, 10, 1, 10), row(6, 10, 1, 10)}));
    m.Rows.assign(255, row(1, 1, 1, 1));
    EXPECT_EQ(InsertModelRow(m, 3), RU("В модели не может быть больше 255 пиков"));
    EXPECT_EQ(InsertModelPeak(m, p), RU("В модели не может быть больше 255 пиков"));
    EXPECT_EQ(m.ModelPeakCount(), 255);
}

TEST(ModelFile, NamesChosenInTheDialogs) {
    test::TempDir dir;
    dir.write("space/keep", "");
    dir.write("other/keep", "");
    StartFolder start(dir.path());
    struct Case { fs::path chosen; std::string name, refusal; };
    const std::string outside = RU("Файл модели должен находиться в папке space");
    const std::string length = RU("Имя файла модели должно содержать от 1 до 80 знаков");
    for (const Case& c : {Case{dir / "space/test", "test.mod", ""}, {dir / "space/A.MOD", "A.MOD", ""},
                          {dir / "space/longer than sixteen characters.mod", "longer than sixteen characters.mod", ""},
                          {dir / "other/test.mod", "", outside}, {dir / "space/sub/test.mod", "", outside},
                          {dir / "space/.mod", "", length}, {dir / ("space/" + std::string(77, 'x')), "", length}}) {
        const ModelNameChoice choice = modelNameFromChosenPath(start, c.chosen);
        EXPECT_EQ(choice.Name, c.name) << c.chosen;
        EXPECT_EQ(choice.Refusal, c.refusal) << c.chosen;
    }
    EXPECT_EQ(readCurrentModelName(start), "");
    writeCurrentModelName(start, "test.mod");
    EXPECT_EQ(readCurrentModelName(start), "test.mod");
}

// A start folder with the regime files of the acquisition and a section "model".
class ModelWriting : public ::testing::Test {
protected:
    ModelWriting() {
        std::string regim;
        const int odd[12] = {3, 77, 2, 4, 5, 120, 250, 30, 65535, 7, 9999, 77};  // lines 1, 3, ..., 23
        for (int k = 1; k <= 24; ++k) regim += (k % 2 ? std::to_string(odd[k / 2]) : std::string("77")) + "\r\n";
        dir.write("space/regim.dat", regim);
        std::string rsv;
        for (int k = 1; k <= 20; ++k)
            rsv += (k == 14 ? std::string(" 2.00000000000000E+0000") : k == 18 ? std::string("model") : "x") + "\r\n";
        dir.write("space/rsv.dat", rsv);
        dir.write("DATA/model/keep", "");
        dir.write("DATA/Other Section/keep", "");
    }
    ModelWrite write(const ChromatogramModel& m, double noise = 0, const std::string& section = "model") {
        return WriteModelAsChromatogram(start, m, section, noise, readModelRegime(start), now, random);
    }
    test::TempDir dir;
    StartFolder start{dir.path()};
    LocalDateTime now{2026, 3, 5, 14, 7, 0};
    std::mt19937 random{12345};
};

TEST_F(ModelWriting, FileReadBackThroughTheReader) {
    const ModelRegime regime = readModelRegime(start);
    EXPECT_EQ(regime.Section, "model");
    EXPECT_DOUBLE_EQ(regime.ChannelR, 2);
    const ModelWrite w = write(onePeakModel());
    ASSERT_EQ(w.Refusal, "");
    EXPECT_EQ(w.File.filename(), "H1A.HRM");
    EXPECT_EQ(fs::file_size(w.File), 19288u);
    const std::vector<int16_t> words = readWords(w.File);
    EXPECT_EQ(std::vector<int16_t>(words.begin(), words.begin() + 20),
              (std::vector<int16_t>{16, 3, 2, 4, 5, 120, -1, 7, 9999, 693, 1, 0, 4, 4, 23, 250, 30, 0, 0, 0}));
    EXPECT_EQ(words.back(), 250);
    ReadRequest req;
    req.AveragingMs = 250;
    const ReadResult r = ReadChromatogram(w.File, req);
    EXPECT_EQ(r.Chrom.CommentText, RU("05.03.2026 14:07 Модель"));
    EXPECT_EQ(r.Chrom.SamplingRate, 16);
    EXPECT_EQ(r.Chrom.SamplesPerPoint, 4);
    EXPECT_EQ(r.Chrom.PointCount(), 2400);
    EXPECT_EQ(r.Chrom.Points[1200], 2097);
    EXPECT_EQ(r.Chrom.Points[1194], 1272);
    EXPECT_EQ(r.Chrom.AnalysisDurationSec, 600);
    EXPECT_NEAR(r.Chrom.PassportR, 1.9997, 1e-4);
}

TEST_F(ModelWriting, WithoutRegimeFilesAndRefusals) {
    fs::remove(dir / "space/regim.dat");
    fs::remove(dir / "space/rsv.dat");
    const ModelRegime none = readModelRegime(start);
    EXPECT_EQ(none.Section, "");
    EXPECT_EQ(none.ChannelR, 1);
    EXPECT_EQ(write(onePeakModel(), 0, "").Refusal, RU("Выберите раздел для размещения хроматограммы"));
    EXPECT_EQ(write(onePeakModel(), 0, "model!!!").Refusal, RU("Выберите раздел для размещения хроматограммы"));
    EXPECT_EQ(write(onePeakModel(), 0, "..").Refusal, RU("Выберите раздел для размещения хроматограммы"));
    const ModelWrite w = write(onePeakModel(), 0, "MODEL");
    ASSERT_EQ(w.Refusal, "");
    const std::vector<int16_t> words = readWords(w.File);
    for (int k : {1, 2, 3, 4, 5, 6, 7, 8, 9, 15, 16}) EXPECT_EQ(words[size_t(k)], 0) << k;

    ChromatogramModel tiny = onePeakModel();
    tiny.ModelLength = 0;
    SetupModel(tiny);
    EXPECT_EQ(write(tiny).Refusal, RU("Модель слишком коротка для записи"));
    dir.write("space/rsv.dat", "1\r\n2\r\n");  // no line 14
    ModelRegime bad = readModelRegime(start);
    EXPECT_EQ(WriteModelAsChromatogram(start, onePeakModel(), "model", 0, bad, now, random).Refusal,
              RU("Неверное значение R (строка 14 файла rsv.dat)"));
    EXPECT_EQ(ListDataSections(start), (std::vector<std::string>{"Other Section", "model"}));
}

TEST_F(ModelWriting, NumbersNeverOverwrite) {
    const fs::path folder = dir / "DATA/model";
    for (const char* name : {"h3a.hrm", "h5b.hrm", "H4A.HRM", "z.hrm", "h12a_copy.hrm", "fig.hrm"})
        dir.write(std::string("DATA/model/") + name, name);
    EXPECT_EQ(write(onePeakModel()).File.filename(), "H6A.HRM");
    dir.write("DATA/model/h7a.hr", "recording");
    EXPECT_EQ(write(onePeakModel()).File.filename(), "H8A.HRM");
    EXPECT_EQ(write(onePeakModel()).File.filename(), "H9A.HRM");
    for (const char* name : {"h3a.hrm", "h5b.hrm", "H4A.HRM", "z.hrm", "h12a_copy.hrm", "fig.hrm"})
        EXPECT_EQ(readFileBytes(folder / name), name);
    EXPECT_EQ(readFileBytes(folder / "h7a.hr"), "recording");
    int files = 0;
    for (const auto& e : fs::directory_iterator(folder)) files += e.path().filename().string()[0] != '.';
    EXPECT_EQ(files, 11);  // no temporary left behind
}

TEST_F(ModelWriting, NoiseIsNeverNegativeAndStraddlesBlocks) {
    EXPECT_EQ(modelNoiseCounts(1), 210);
    EXPECT_EQ(modelNoiseCounts(0), 0);
    EXPECT_EQ(modelNoiseCounts(-3), 0);
    const ChromatogramModel m = onePeakModel();
    const std::vector<int16_t> words = readWords(write(m, 1).File);
    int lowest = 1000, highest = -1;
    for (int s = 0; s < 9600; ++s) {
        const int r = words[size_t(20 + s)] - m.ModelCurve[s / 4 + 1];
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
    }
    EXPECT_EQ(lowest, 0);
    EXPECT_EQ(highest, 209);

    // At 500 ms (8 samples a point) point 254 fills words 2044 to 2051, across the first block.
    ChromatogramModel slow = onePeakModel();
    slow.ModelPointInterval = 500;
    slow.Rows = {row(2.1, 20, 1, 10)};
    SetupModel(slow);
    const std::vector<int16_t> w = readWords(write(slow).File);
    ASSERT_NE(slow.ModelCurve[254], 0);
    for (int k = 2044; k <= 2051; ++k) EXPECT_EQ(w[size_t(k)], slow.ModelCurve[254]) << k;
    EXPECT_EQ(w[2043], slow.ModelCurve[253]);
}

TEST(ModelPlotDrawing, FrameAxisAndCurve) {
    ModelPlot p = ModelPlot::forImage(521, 305);
    EXPECT_EQ((std::array<int, 5>{p.Left, p.Top, p.Right, p.Bottom, p.ZeroY}), (std::array<int, 5>{10, 20, 491, 295, 226}));
    p.upperZeroLine();
    EXPECT_EQ(p.ZeroY, 89);
    p.lowerZeroLine();
    test::RecordingCanvas c(521, 305);
    ChromatogramModel m = onePeakModel();
    RedrawModel(c, p, m);
    EXPECT_EQ(p.CountsPerPixel, 159);
    const auto* fifty = c.findText("   50");
    ASSERT_NE(fifty, nullptr);
    EXPECT_EQ(fifty->y, 161 - 6);
    const auto* zero = c.findText("    0");
    ASSERT_NE(zero, nullptr);
    EXPECT_EQ(zero->y, 226 - 6);
    // The curve passes y 213 at x 250 (point 1199).
    bool at250 = false;
    for (const auto& l : c.linesIn(rgbColour(0, 0, 255)))
        if (l.b.x == 250) at250 = l.b.y == 213;
    EXPECT_TRUE(at250);
    ASSERT_NE(c.findText("1"), nullptr);
    EXPECT_EQ(c.findText("1")->x, 250);  // the row number at the apex: 250.5, halves to even

    // A 5-minute model: ticks every minute, 96 pixels apart.
    c.clear();
    m.ModelLength = 300;
    DrawModelTimeAxis(c, p, m.ModelLength);
    std::vector<int> ticks;
    for (const auto& l : c.lines)
        if (l.a.y == 20 && l.b.y == 16) ticks.push_back(l.a.x);
    EXPECT_EQ(ticks, (std::vector<int>{10, 106, 202, 299, 395}));
    EXPECT_NE(c.findText("   4"), nullptr);

    for (int k = 0; k < 12; ++k) p.zoomIn();
    EXPECT_EQ(p.Zoom, 256);
    for (int k = 0; k < 20; ++k) p.zoomOut();
    EXPECT_EQ(p.Zoom, 0.5);
}

}  // namespace
}  // namespace vk7

namespace vk7 {
namespace {

TEST(ModelInstallation, TestModelNamedByModDatAndAnEmptySection) {
    const StartFolder install(fs::path(VK7_SOURCE_DIR) / "install");
    EXPECT_EQ(readCurrentModelName(install), "test.mod");
    ModelLoad load = LoadModelFile(install, "test.mod");
    ASSERT_TRUE(load.Model) << load.Refusal;
    ChromatogramModel& m = *load.Model;
    EXPECT_EQ(m.ModelLength, 600);
    EXPECT_EQ(m.ModelPointInterval, 250);
    EXPECT_EQ(m.ModelPeakCount(), 3);
    EXPECT_EQ(CheckModelGrid(m.Rows), std::nullopt);
    // Written back, the model gives the installed bytes.
    EXPECT_EQ(joinLinesCrLf(modelFileLines(m)), readFileBytes(install.file("space", "test.mod")));
    EXPECT_TRUE(fs::is_directory(install.root() / "data" / "model"));
    EXPECT_TRUE(isDataSection(install, "model"));
    // The section of the installed regime is there too, so the model window opens on it.
    EXPECT_TRUE(isDataSection(install, readModelRegime(install).Section)) << readModelRegime(install).Section;
}

}  // namespace
}  // namespace vk7
