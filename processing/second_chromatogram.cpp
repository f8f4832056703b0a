#include "processing/second_chromatogram.h"

#include <algorithm>
#include <span>

#include "common/cp1251.h"
#include "common/number_text.h"
#include "common/paths.h"
#include "processing/open_chromatogram.h"

namespace vk7 {

void CommitOverlay(ProcessingState& state, const ChosenFile& file, ReadResult&& read) {
    PlotView kept = state.View;
    ++kept.OverlayCount;
    commitChromatogram(state, file, std::move(read));
    state.View = kept;
}

void SubtractAveragedBlock(NumberedArray<int16_t>& points, std::span<const int16_t> block, BlockReaderState& blocks,
                           int width) {
    AveragePointsBlock(block, blocks, width, points.count(), [&points](int n, int16_t mean) {
        points[n] = clampToInt16(static_cast<int64_t>(points[n]) - mean);
    });
}

void ReadSecondChromatogram(NumberedArray<int16_t>& points, const ChromatogramWords& second, int width) {
    // Only the words up to the end of the samples form points.
    const size_t sampleEnd = static_cast<size_t>(kHeaderWords) + static_cast<size_t>(std::max(0, second.sampleCount()));
    const std::span<const int16_t> words(second.words.data(), std::min(sampleEnd, second.words.size()));
    BlockReaderState blocks{0, kBlockWords / width, 1};
    for (size_t at = 0; at < words.size(); at += kBlockWords)
        SubtractAveragedBlock(points, words.subspan(at, std::min<size_t>(kBlockWords, words.size() - at)), blocks, width);
}

std::string SubtractChromatogramFile(ProcessingState& state, const std::filesystem::path& second) {
    if (state.ProgramMode != ModeShown) return {};
    const ChromatogramWords words = readChromatogramWords(second);
    const double rate = decodeRateCode(words.header(0), state.Vk7Rate);
    if (rate != state.Chrom.SamplingRate)
        return RU("Вычитание невозможно: у файла ") + textFromPath(second.filename()) + RU(" другая частота точек");
    NumberedArray<int16_t> points = state.Chrom.Points;
    ReadSecondChromatogram(points, words, state.Chrom.SamplesPerPoint);
    offsetToPoint3(points);
    state.Chrom.Points = std::move(points);
    return {};
}

std::string subtractionCaption(const std::string& openName, const std::string& subtractedName) {
    return openName + "-" + subtractedName;
}

void InvertSignal(ProcessingState& state) {
    if (state.ProgramMode != ModeShown) return;
    state.View.OverlayCount = 0;
    for (int16_t& v : state.Chrom.Points) v = clampToInt16(-static_cast<int64_t>(v));
}

}  // namespace vk7
