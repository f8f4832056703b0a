// A calibration archive of any bytes. Saving what was read and reading it again gives the
// same tables and the same bytes; switching every row over changes only the switch of each
// row; an appended table is one more table that the identification reads.
#include "fuzz/fuzz_support.h"
#include "processing/calibration_archive.h"
#include "processing/identification.h"

using namespace vk7;

namespace {

const std::string kKey = "#" + std::string(66, '7');

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const CalibrationArchive archive = CalibrationArchive::parse(bytes);
    const std::string saved = archive.format();
    const CalibrationArchive reread = CalibrationArchive::parse(saved);
    FUZZ_CHECK(reread.tableCount() == archive.tableCount());
    FUZZ_CHECK(reread.format() == saved);

    // The archive as saved once (a line file has no CR inside a line any more), every row
    // switched over.
    CalibrationArchive toggled = reread;
    for (CalibrationTable& table : toggled.tables()) {
        for (int r = 0; r < table.rowCount(); ++r) {
            if (table.row(r).switchedOff()) table.switchOn(r);
            else table.switchOff(r);
        }
    }
    const CalibrationArchive switched = CalibrationArchive::parse(toggled.format());
    FUZZ_CHECK(switched.tableCount() == reread.tableCount());
    for (int t = 0; t < switched.tableCount(); ++t) {
        const CalibrationTable &was = reread.table(t), &now = switched.table(t);
        FUZZ_CHECK(was.rowCount() == now.rowCount());
        for (int r = 0; r < was.rowCount(); ++r) {
            const CalibrationComponent a = parseCalibrationLine(was.row(r).line());
            const CalibrationComponent b = parseCalibrationLine(now.row(r).line());
            FUZZ_CHECK(a.switchedOff != b.switchedOff);
            FUZZ_CHECK(a.timeSec == b.timeSec && a.area == b.area && a.conc == b.conc);
            FUZZ_CHECK(a.name == b.name);
        }
    }

    const std::vector<std::string> table = {kKey, formatCalibrationLine({61, 12.5, 0.5, "benzene", false}),
                                            formatCalibrationLine({95, 3, 1, "toluene-", false})};
    const std::string appended = appendTableToArchiveBytes(bytes, table);
    FUZZ_CHECK(CalibrationArchive::parse(appended).tableCount() == archive.tableCount() + 1);
    const MatchedCalibration matched = MatchCalibrationTables(appended, kKey);
    FUZZ_CHECK(matched.Candidates.size() >= 2);
    for (const std::string& line : matched.PointLines) parseCalibrationPoint(line);
    return 0;
}
