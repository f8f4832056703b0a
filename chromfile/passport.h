// The passport of the open chromatogram: the 17 rows of the passport window (captions from
// \space\regn.txt, values from the header values and the dictionaries), their edits, the
// rewrite of the chromatogram header from them, the text \results\pasp.txt for the
// protocols and the template \results\paspo.txt. Nothing here shows anything: refusals
// and notices come back as Russian (Windows-1251) texts.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "chromfile/chromatogram_file.h"
#include "common/paths.h"

namespace vk7 {

namespace fs = std::filesystem;

constexpr int kPassportRows = 17;

// Row numbers of the passport grid.
namespace prow {
constexpr int Detector = 0, Unit = 1, Gas = 2, Column = 3, Temperature = 4, Field5 = 5, Field15 = 6, Field16 = 7,
              Field6 = 8, Field7 = 9, Field8 = 10, Sm = 11, Duration = 12, R = 13, Comment = 14, Rate = 15,
              Peaks = 16;
}

// The passport dictionaries in \space\, in the order of their rows.
enum PassportDictionaryId : int { DictDetect = 0, DictGas, DictKolon, DictTemp, DictSm, kPassportDictionaries };

// "detect", "gas", "kolon", "temp", "sm".
const char* passportDictionaryName(int dictionary);
// The dictionary a row picks its entry from (rows 0, 2, 3, 4 and 11), or nullopt.
std::optional<int> passportRowDictionary(int row);
// Rows whose value is typed (1, 5 to 10, 12 to 15); the dictionary rows are picked and
// row 16 is not written.
bool passportRowTyped(int row);

// A picker offers at most this many entries: the line number is one byte in the file.
constexpr int kMaxPickerEntries = 255;

// What the passport window reads once, when it is created: the row captions and the five
// dictionaries. A missing or unreadable file leaves its captions or entries empty.
struct PassportSources {
    std::array<std::string, kPassportRows> Captions;
    std::array<std::vector<std::string>, kPassportDictionaries> Dictionaries;
    // At most one notice naming every file that could not be read.
    std::vector<std::string> Notices;

    // Line n (1-based) of a dictionary; empty outside the dictionary.
    std::string entry(int dictionary, int n) const;
    // The entries a picker offers (the first 255 lines).
    std::vector<std::string> pickerEntries(int dictionary) const;
};

// The captions of regn.txt's lines: line 1 skipped, lines 2..14 rows 0..12, line 15
// skipped, lines 16 and 17 rows 13 and 14; rows 15 "Частота АЦП" and 16 "Отмечено пиков".
std::array<std::string, kPassportRows> passportCaptions(const std::vector<std::string>& regnLines);

// Reads \space\regn.txt and the dictionaries. Never throws.
PassportSources readPassportSources(const StartFolder& start);

// The grid of the passport window: captions (column 0), values (column 1) and the
// dictionary line number chosen for each dictionary row.
struct PassportGrid {
    std::array<std::string, kPassportRows> Captions;
    std::array<std::string, kPassportRows> Cells;
    std::array<int, kPassportDictionaries> Indexes{};  // by PassportDictionaryId

    // The index of a dictionary row; 0 for other rows.
    int indexOfRow(int row) const;
};

// The duration in minutes that row 12 shows: points x width / rate / 60.
double passportDurationMinutes(const OpenChromatogram& chrom);

// Column 1 from the values of the open chromatogram and the number of marked peaks.
PassportGrid FillPassportGrid(const OpenChromatogram& chrom, int peakCount, const PassportSources& sources);

// Picks entry `position` (0-based) of the row's dictionary: the cell takes its text and the
// row's index becomes position + 1. Ignored for other rows and positions outside the picker.
void choosePassportEntry(PassportGrid& grid, int row, int position, const PassportSources& sources);

struct PassportRewriteResult {
    bool Written = false;
    std::string Refusal;           // why nothing was written (empty when written)
    bool SamplesShortened = false;  // the recording was cut (row 12)
    bool RateChanged = false;       // row 15 was edited to another rate
    int SampleCount = 0;            // samples in the file afterwards
};

// Writes the grid into the chromatogram file's header through the safe rewrite:
// w1..w4 and w12 from the indexes, w5..w8, w15, w16 from rows 5..10, w9 from R (row 13),
// w17 and w10 from row 1, the comment and w14 from row 14, w0 from the rate (row 15),
// w19 = 1; w11, w13 and the stored markup with its last word are kept. A row whose text
// (or index) still shows what the file holds keeps its words as they are (a file coded 21
// gets its rate written all the same). Row 12 shortens the samples only when it was edited
// and 0 < m < the recording's duration: trunc(m x 60 x rate) samples are kept, at least
// 3 x width. An invalid value writes nothing and gives the refusal. Throws IoError or
// InvalidChromatogram.
PassportRewriteResult RewriteChromatogramPassport(const fs::path& file, const PassportGrid& grid,
                                                  const OpenChromatogram& chrom);

// After a rewrite: every header value of `fresh` (the file read again) copied into `chrom`,
// which keeps its points and width.
void refreshHeaderValues(OpenChromatogram& chrom, const OpenChromatogram& fresh);

// The 17 lines of \results\pasp.txt: each caption padded with blanks to 28 characters,
// then the value; every line at most 128 characters.
std::vector<std::string> passportTextLines(const OpenChromatogram& chrom, int peakCount,
                                           const PassportSources& sources);
// Writes \results\pasp.txt (creating \results when needed). Throws IoError.
void WritePassportText(const StartFolder& start, const OpenChromatogram& chrom, int peakCount,
                       const PassportSources& sources);

// "Сделать образцовым": the 12 lines of \results\paspo.txt from the grid, or the refusal
// when a typed value of rows 1 and 5..10 is invalid.
struct PassportTemplateLines {
    std::vector<std::string> Lines;
    std::string Refusal;
};
PassportTemplateLines passportTemplateLines(const PassportGrid& grid);
// Writes \results\paspo.txt; returns the refusal (nothing written) or an empty text.
// Throws IoError.
std::string WritePassportTemplate(const StartFolder& start, const PassportGrid& grid);

// "Переписать по образцовому": sets the unit code, the multiplier, the five indexes and the
// passport numbers of `chrom` from the template's lines (the temperature programme follows
// the new temperature entry). Returns the refusal, with `chrom` untouched, when a line is
// missing or out of range.
std::string applyPassportTemplate(OpenChromatogram& chrom, const std::vector<std::string>& lines,
                                  const PassportSources& sources);
// The same from \results\paspo.txt ("Нет файла \results\paspo.txt" when there is none).
// Throws IoError when it exists but cannot be read.
std::string ApplyPassportTemplate(const StartFolder& start, OpenChromatogram& chrom, const PassportSources& sources);

}  // namespace vk7
