// Opening a chromatogram into the shared state: the read goes into a new object first, and
// only a read that succeeded is committed, so that a failed open leaves the chromatogram
// shown, DataDir, FileName and the modes exactly as they were.
#pragma once

#include <filesystem>

#include "chromfile/chromatogram_file.h"
#include "processing/chosen_file.h"
#include "processing/processing_state.h"

namespace vk7 {

// The folder the open dialogs start in: DataDir when it is an existing folder, else the
// start folder's data folder (found without regard to case), else the start folder.
std::filesystem::path openDialogFolder(const ProcessingState& state);

// The reader's inputs taken from the settings: averaging, markup mode, the vk7.dat rate,
// the additional filter and the temperature dictionary.
ReadRequest readRequestFor(const ProcessingState& state);

// Reads `file` with the state's settings into a new result; the state is not touched.
// Throws IoError or InvalidChromatogram.
ReadResult readChromatogramFor(const ProcessingState& state, const std::filesystem::path& file);

// The state part of resetting the main window for a new chromatogram: ProgramMode 1, the
// view back to its start (window from 0 s, zoom 1, no zero offset, no fragment), no
// overlay, and no click action left pending from the chromatogram before.
void resetForNewChromatogram(ProcessingState& state);

// Commits a successful read of `file`: DataDir and FileName, the reset above, the open
// chromatogram, its stored markup as the peaks, the averaging interval in force (and the
// methodology name "?" when the settings no longer match it), the view over the whole
// chromatogram, and no group areas left from a peak modelling of the chromatogram before.
void commitChromatogram(ProcessingState& state, const ChosenFile& file, ReadResult&& read);

// The path of a chosen file.
std::filesystem::path chosenFilePath(const ChosenFile& file);

}  // namespace vk7
