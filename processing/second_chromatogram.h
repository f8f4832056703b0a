// A second chromatogram with the open one: laid over the plot ("Наложение"), subtracted point
// by point ("Вычитание"), and the inversion of the open signal.
#pragma once

#include <filesystem>
#include <span>
#include <string>

#include "chromfile/chromatogram_file.h"
#include "processing/chosen_file.h"
#include "processing/processing_state.h"

namespace vk7 {

// Commits the read of an overlaid file as the open chromatogram, like an open, but keeps the
// view and counts one more overlay (the colour and the name position of its curve). The
// caller runs the pipeline and draws only the new curve over the plot.
void CommitOverlay(ProcessingState& state, const ChosenFile& file, ReadResult&& read);

// Lowers `points` by the point means of `second`'s samples, formed with `width` samples a
// point exactly as the reader forms them (its header, comment and markup words are not
// taken). Differences saturate at the 16-bit limits; points after the second file's end keep
// their values.
void ReadSecondChromatogram(NumberedArray<int16_t>& points, const ChromatogramWords& second, int width);
// One block of 2048 words of the second file: the means of its groups, taken from their
// points (the reader's block rule, `blocks` advanced by one block).
void SubtractAveragedBlock(NumberedArray<int16_t>& points, std::span<const int16_t> block, BlockReaderState& blocks,
                           int width);

// Subtracts the chromatogram file `second` from the open one (only in ProgramMode 1): its
// point means, then every point lowered by the value of point 3. DataDir and FileName stay
// those of the open file. Returns the Russian refusal when the second file's point rate
// differs ("Вычитание невозможно: у файла " + name + " другая частота точек"); nothing is
// changed then. Throws IoError or InvalidChromatogram (nothing changed).
std::string SubtractChromatogramFile(ProcessingState& state, const std::filesystem::path& second);

// The caption after a subtraction: the open file's name, "-", the subtracted file's name.
std::string subtractionCaption(const std::string& openName, const std::string& subtractedName);

// "Инвертировать (-)", only in ProgramMode 1: no overlay, every point negated within the
// 16-bit range (-32768 becomes 32767). The markup is kept; the caller repaints.
void InvertSignal(ProcessingState& state);

}  // namespace vk7
