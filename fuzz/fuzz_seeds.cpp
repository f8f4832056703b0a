// Writes a small seed corpus for every harness, made by the writers of the system and the
// test helpers: fuzz_seeds <folder> fills <folder>/<harness>/.
#include <cstdio>
#include <fstream>
#include <map>

#include "acquisition/acquisition_files.h"
#include "acquisition/regime.h"
#include "chromfile/markup_store.h"
#include "chromfile/methodology.h"
#include "chromfile/passport.h"
#include "chromfile/processing_settings.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "fuzz/fuzz_support.h"
#include "fuzz/office_checks.h"
#include "modelling/chromatogram_model.h"
#include "platform/office/workbook.h"
#include "platform/office/zip_package.h"
#include "processing/peak_table.h"
#include "results/protocol_files.h"
#include "results/topics.h"
#include "tests/support/calibration_fixture.h"
#include "tests/support/chromatogram_fixture.h"

using namespace vk7;

namespace {

std::string lines(const std::vector<std::string>& l) { return joinLinesCrLf(l); }

using Seeds = std::map<std::string, std::vector<std::string>>;

// The acquisition program's regime files and methods, and the model files.
void addRegimeSeeds(Seeds& s) {
    RegimeState regime;
    regime.parameters[0] = {2, 1, 3, 1, 2, 30, 40, 150, 200, 1, 30, 1};
    regime.parameters[1] = {1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, -1};
    ChannelSettingsValues channels;
    channels.name = {RU("Метан"), "B"};
    channels.recordTimeSec = {600, 900};
    channels.polarity = {0, 1};
    channels.channelValue = {1.234, 2};
    channels.dataFolder = {"gaz", "voda"};
    const std::vector<std::string> captions = {RU("Методика"), RU("Детектор"), RU("Единицы"), RU("Газ"), RU("Колонка")};
    const std::string extra = std::string("\x01\x00\x03\x00\x05", 5) + RU("Гелий") + std::string("\x00\x01\x10", 3) + "77";
    s["fuzz_regime_files"] = {fuzz::joinParts({lines(captions), lines({"M1", "?", "?", "?"}), lines(regimeLines(regime)),
                                               lines(channelSettingsLines(channels)), lines({RU("ДТП"), RU("ПИД")}),
                                               lines({RU("Гелий"), RU("Азот"), RU("Водород")}), lines({"K1", "K2"}),
                                               lines({RU("Изотерма 150 C:")}), lines({"1", "2"}), extra})};

    MethodRecord record;
    for (size_t i = 0; i < record.rows.size(); ++i) record.rows[i] = intText(int64_t(i) * 7, i % 3 ? 0 : 5);
    record.channelValue = 1.234;
    record.recordTimeSec = 600;
    const std::string metn = appendMethod(appendMethod("#", "Gas", record), "Other", record);
    const std::string recordBytes("\x05\x00\x10\x27\x01\x40\x00\x00\x58\x02\x01", 11);
    s["fuzz_methods_file"] = {fuzz::joinParts({metn, "Gas", recordBytes}), fuzz::joinParts({metn, "New", recordBytes}),
                              // A last line that only ends with '#'.
                              fuzz::joinParts({"#A\r\nx#", "B", recordBytes}), fuzz::joinParts({"", "M", ""})};

    ChromatogramModel model;
    model.ModelLength = 600;
    model.ModelTitle = RU("Смесь");
    model.ModelNoise = 0.05;
    model.Rows = {{modelCellText(5), modelCellText(10), modelCellText(1), modelCellText(10)},
                  {modelCellText(7.25), modelCellText(6), modelCellText(3), modelCellText(2.5)}};
    SetupModelInterval(model);
    s["fuzz_model_files"] = {fuzz::joinParts({lines(modelFileLines(model)), lines({"smes.mod"}), std::string("\x01\x00\x01", 3) + modelCellText(100)}),
                             fuzz::joinParts({lines({"600", "100", "", "0"}), "", std::string("\x00\x00\x00\x00\xf0\x3f", 6)})};

    ProcessingSettings settings;
    settings.ReferenceSubstance = RU("Бензол");
    settings.StandardConc1 = 0.125;
    s["fuzz_methodology"] = {fuzz::joinParts({lines(formatMethodology(settings)), std::string("\x09\x00\x03", 3) + "3.5/0.25"})};
}

// The files of the results: topics, norms, protocol settings.
void addResultSeeds(Seeds& s, const std::string& tabl) {
    ThemeFile theme;
    theme.Kind = 0;
    theme.Real = 2.5;
    theme.Substances = {std::string(18, ' ') + "benzene", std::string(18, ' ') + "toluene"};
    theme.Rows = {{"   12 ", "01.03.2024", " 12:00", {"   1.500", "   2.000"}, true},
                  {"   13 ", "05.03.2024", " 12:00", {"   1.400", "   2.200"}, true},
                  {"   14 ", "11.03.2024", " 12:00", {"   1.450", "   2.100"}, true}};
    const std::string base = lines({"0", "t", "d", fixedText(0, 5, 1)});
    s["fuzz_topics"] = {fuzz::joinParts({lines(formatThemeFile(theme)), base, tabl, "\x10\x80\x20\x30\x40\x50\x01\x01"})};

    NormsTable norms;
    norms.Media = {RU("Воздух рабочей зоны"), RU("Атмосферный воздух")};
    norms.Substances = {{RU("Бензол"), {0.1, std::nullopt}}, {"toluene", {50, 0.0001}}};
    s["fuzz_norms_table"] = {fuzz::joinParts({lines(normsTableLines(norms)), std::string("2.5\n0.75\x0b") + "1000000\x03" + "1e12"})};

    HtmlProtocolSettings html{RU("Воздух"), "pdk.htm", 65535, RU("Иванов")};
    s["fuzz_html_settings"] = {lines(htmlProtocolSettingsLines(html))};

    std::vector<std::string> mask(kSumsMaskRows, "000000");
    mask[0] = "111111";
    mask[1] = "101000";
    s["fuzz_results_settings"] = {fuzz::joinParts({lines({"prot.xlsx", "17", RU("Иванов И.И.")}), lines(mask),
                                                   lines({expText(101.3, 23), expText(20, 23)}),
                                                   lines({expText(1, 23), expText(0, 23)})})};
}

// The installed blanks whole, and each of their parts on its own; a blank whose two sheets
// lead to one part and one with a part outside its package.
void addOfficeSeeds(Seeds& s) {
    const auto& blanks = fuzz::installedBlanks();
    for (const auto& b : blanks) s["fuzz_office_package"].push_back(b.bytes);
    s["fuzz_office_package"].push_back(Workbook().bytes());
    for (size_t i = 0; i < blanks.size(); ++i) {
        const ZipPackage p = ZipPackage::fromBytes(blanks[i].bytes);
        const std::vector<std::string> names = p.names();
        for (size_t k = 0; k < names.size(); ++k)
            s["fuzz_office_parts"].push_back(std::string{char(i), char(k)} + p.part(names[k]));
        if (blanks[i].workbook)
            s["fuzz_office_parts"].push_back(std::string{char(i), char(names.size())} + "../../outside.xml" + '\0' + "<x/>");
    }
    ZipPackage twoSheets = ZipPackage::fromBytes(blanks[0].bytes);
    std::string workbook = twoSheets.part("xl/workbook.xml");
    // The second sheet's relationship becomes the first sheet's, whatever the blank names them.
    const auto relationshipOf = [&](size_t sheet) {
        const size_t at = workbook.find("r:id=\"", sheet) + 6;
        return std::pair{at, workbook.substr(at, workbook.find('"', at) - at)};
    };
    const size_t firstSheet = workbook.find("<sheet ");
    const auto [firstAt, firstId] = relationshipOf(firstSheet);
    const auto [secondAt, secondId] = relationshipOf(workbook.find("<sheet ", firstSheet + 1));
    workbook.replace(secondAt, secondId.size(), firstId);
    twoSheets.setPart("xl/workbook.xml", workbook);
    s["fuzz_office_package"].push_back(twoSheets.bytes());
    ZipPackage outside = ZipPackage::fromBytes(blanks[0].bytes);
    outside.setPart("xl/../../outside.xml", "<x/>");
    s["fuzz_office_package"].push_back(outside.bytes());
}

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
    const std::string tabl = s["fuzz_table_rows"][0];
    addRegimeSeeds(s);
    addResultSeeds(s, tabl);
    addOfficeSeeds(s);
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
