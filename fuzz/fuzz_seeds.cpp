// Writes a small seed corpus for every harness, made by the writers of the system and the
// test helpers: fuzz_seeds <folder> fills <folder>/<harness>/.
#include <cstdio>
#include <fstream>
#include <map>

#include "acquisition/acquisition_files.h"
#include "chromfile/markup_store.h"
#include "chromfile/passport.h"
#include "chromfile/processing_settings.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "fuzz/fuzz_support.h"
#include "processing/peak_table.h"
#include "tests/support/calibration_fixture.h"
#include "tests/support/chromatogram_fixture.h"

using namespace vk7;

namespace {

std::string lines(const std::vector<std::string>& l) { return joinLinesCrLf(l); }

std::map<std::string, std::vector<std::string>> seeds() {
    std::map<std::string, std::vector<std::string>> s;
    s["fuzz_number_text"] = {"21.533203125", " 1.23500000E+0002", "0,50", "-1e300", "12.5abc", "  -0.02 ",
                             std::string("\x40\x35\x88\x88\x88\x88\x88\x88\x11\x05", 10)};

    const std::string file = wordsToBytes(fuzz::sampleChromatogramWords());
    test::ChromatogramFixture empty;
    empty.samples = test::ChromatogramFixture::ramp(60);
    s["fuzz_chromatogram"] = {std::string("12.03.2024 10:15", 16) + '\0' + file, std::string("\x05\x02x", 3) + '\0' + file,
                              std::string(1, '\0') + wordsToBytes(empty.words())};

    const ReadResult& read = fuzz::sampleChromatogram();
    PeakMarkup markup = markupFromStoredPeaks(read.StoredMarkup, read.Chrom.Points, MarkupStore);
    for (Peak& p : markup.Peaks) p.Name = "benzene";
    const std::vector<std::string> section = picsSection(read.Chrom, markup);
    s["fuzz_markup_store"] = {lines(section), lines(replacePicsSection({"#other 1", "   1   2   3"}, section))};

    const std::string archive =
        lines({test::calibrationKey(1, 1), test::calibrationLine(60, 10, 1, "A"), test::calibrationLine(90, 20, 2, "B", true),
               test::calibrationKey(2, 1), test::calibrationLine(30, 5, 1, RU("Бензол")), "#"});
    s["fuzz_calibration_archive"] = {archive, archive + "#\r\n", "  0.5 1.0E+0001\r\n5E20\r\n"};

    s["fuzz_settings_files"] = {lines(formatTreatDat(ProcessingSettings{})),
                                lines(programSettingsLines(defaultProgramSettings())),
                                lines(voltageCalibrationLines(VoltageCalibration{}))};

    const std::string regn = lines({"x", RU("Детектор"), RU("Единицы"), RU("Газ"), RU("Колонка"), RU("Температура")});
    const std::string paspo = lines({"1", "1:1", "1", "1", "2", "   0", "   0", "   0", "   0", "   0", "   0", "1"});
    s["fuzz_passport"] = {fuzz::joinParts({regn, paspo, lines({RU("ПИД")}), lines({RU("Азот")}), lines({"K1"}),
                                           lines({RU("Изотерма 150 C:"), "p: 50g-5m;10g/m;200g-10m", "x: 40g-2m;8g/m;8g/m;200g-5m"}),
                                           lines({"Mix"}), "\x10\x20"})};

    OpenChromatogram chrom = read.Chrom;
    PeakMarkup measured = markup;
    for (Peak& p : measured.Peaks) p.Area = 1000, measured.TotalArea += 1000;
    s["fuzz_table_rows"] = {lines(peakTableLines(peakTableTitle("h1a.hrm", "x"),
                                                 BuildPeakTable(chrom, measured, ProcessingSettings{}).Rows))};
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <corpus folder>\n");
        return 2;
    }
    for (const auto& [harness, list] : seeds()) {
        const fs::path dir = fs::path(argv[1]) / harness;
        fs::create_directories(dir);
        for (size_t i = 0; i < list.size(); ++i) std::ofstream(dir / ("seed-" + std::to_string(i)), std::ios::binary) << list[i];
    }
    return 0;
}
