// The markup store \space\pics and the markup kept in a chromatogram file.
//
// The store is a text file of sections, newest first, at most one per set of recording
// conditions: a header line (the full chromatogram key, beginning with "#") and one line
// per peak. Times rather than point numbers are stored, so a section applies at any
// averaging interval and to chromatograms of any length. Peak line columns:
//   1-8 start, 9-16 apex, 17-24 end: hundredths of a second, right-aligned in 8;
//   25 the type code; 26-34 the height in millivolts (9 characters, 3 decimals, or the
//   exponent form when the fixed text does not fit).
// Windows-1251 text, lines written with CR LF; the file is rewritten through the safe
// rewrite, and the lines of the other sections are copied as they are.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "chromfile/chromatogram_file.h"
#include "chromfile/peak_markup.h"
#include "common/paths.h"

namespace vk7 {

namespace fs = std::filesystem;

// Markup modes of the processing settings.
enum MarkupModes : int { MarkupAuto = 0, MarkupStore = 1, MarkupFile = 2, MarkupCombined = 3 };

// Time of point n in hundredths of a second: round(n x width x 100 / rate).
int64_t pointToHundredths(int64_t point, int samplesPerPoint, double rate);
// Point number of a time in hundredths of a second: round(t / 100 / width x rate).
int64_t hundredthsToPoint(double hundredths, int samplesPerPoint, double rate);

// Type codes: anything but 'B', 'G' and 'E' becomes 'M'.
void normaliseTypeCodes(PeakMarkup& markup);

// The stored triples of a file as peaks of the open point array (apex and height are left
// to the measurement). Triples outside 1 <= start <= end <= PointCount are not taken; in
// markup mode 3, where the stored point numbers are applied at the current averaging, the
// markup is cut at the first peak that ends beyond the points. Types are normalised and
// groups closed.
PeakMarkup markupFromStoredPeaks(const std::vector<StoredPeak>& stored, const NumberedArray<int16_t>& points,
                                 int markupMode);
// The triples that SaveMarkupToChromatogram writes.
std::vector<StoredPeak> storedPeaksFromMarkup(const PeakMarkup& markup);

// The peak line of the store for a measured peak.
std::string formatPicsPeakLine(const Peak& peak, const OpenChromatogram& chrom);
// The section of the open chromatogram: its key and one line per peak.
std::vector<std::string> picsSection(const OpenChromatogram& chrom, const PeakMarkup& markup);
// The store's lines with the section of the first line of `section` replaced: lines before
// the first header stay first, then `section`, then every other section in its order.
std::vector<std::string> replacePicsSection(const std::vector<std::string>& store,
                                            const std::vector<std::string>& section);
// The peaks of the open chromatogram's section in the store's lines (none when there is no
// section). Blank lines are skipped and at most 255 peaks are taken. A peak whose end lies
// beyond the points stops the reading (a section of a longer chromatogram is cut where this
// one ends); in markup mode 3 its end is brought back to the last point instead. A peak is
// taken only when 1 <= start <= apex <= end <= PointCount. The height of columns 26-34 is
// held in Area until the areas are computed; a line shorter than 25 characters gives 'M'.
PeakMarkup parsePicsSection(const std::vector<std::string>& store, const OpenChromatogram& chrom, int markupMode);

// \space\pics below the start folder.
fs::path picsPath(const StartFolder& start);

// The open chromatogram's markup from the store; a missing store reads as empty.
// Throws IoError when the store cannot be read.
PeakMarkup LoadMarkupFromPics(const StartFolder& start, const OpenChromatogram& chrom, int markupMode);
// Replaces the open chromatogram's section of the store by `markup` and puts it first;
// creates \space and the store when they are missing. Throws IoError.
void SaveMarkupToPics(const StartFolder& start, const OpenChromatogram& chrom, const PeakMarkup& markup);
// Normalises the type codes of `markup`, then stores it in the chromatogram file (with the
// averaging interval and the vertical zoom) and in the store. Throws IoError,
// InvalidChromatogram.
void SaveMarkup(const fs::path& chromFile, const StartFolder& start, const OpenChromatogram& chrom,
                PeakMarkup& markup, int averagingMs, double verticalZoom);

}  // namespace vk7
