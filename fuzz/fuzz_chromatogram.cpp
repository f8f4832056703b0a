// A chromatogram file of any bytes: read, comment save, the processing pipeline, a repaint
// and the Enter sequence of the peak table. A file that is read keeps its samples and
// stored markup through a comment save, and the comment reads back as written.
//
// Input: the comment to save (its bytes also choose the settings), a NUL, the file's bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>

#include "chromfile/chromatogram_file.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/number_text.h"
#include "fuzz/fuzz_support.h"
#include "processing/open_chromatogram.h"
#include "processing/peak_table.h"
#include "processing/pipeline.h"
#include "processing/plot_drawing.h"
#include "processing/processing_state.h"

using namespace vk7;

namespace {

ReadResult readOrNothing(const fs::path& file, const ReadRequest& request, bool& ok) {
    try {
        ok = true;
        return ReadChromatogram(file, request);
    } catch (const InvalidChromatogram&) {
    } catch (const IoError&) {
    }
    ok = false;
    return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The comment and the file are separated by the first NUL; the file's words may hold
    // NULs of their own, so it takes the rest of the input whole.
    const uint8_t* nul = static_cast<const uint8_t*>(std::memchr(data, 0, size));
    const std::string comment(reinterpret_cast<const char*>(data), nul ? size_t(nul - data) : size);
    const std::string bytes = nul ? std::string(reinterpret_cast<const char*>(nul + 1), size - size_t(nul - data) - 1) : "";
    FuzzedDataProvider settingsBytes(reinterpret_cast<const uint8_t*>(comment.data()), comment.size());

    const StartFolder start = fuzz::freshStartFolder();
    start.ensureFolder("space");
    start.ensureFolder("results");
    const fs::path file = start.ensureFolder("data") / "h1a.hrm";
    safeRewrite(file, bytes);

    ReadRequest request;
    request.AveragingMs = settingsBytes.ConsumeIntegralInRange(0, 5000);
    request.MarkupMode = settingsBytes.ConsumeIntegralInRange(0, 3);
    request.Vk7Rate = 21.533203125;
    request.AdditionalFilter = settingsBytes.ConsumeBool();
    // The comment-save property on the points as grouped, before the additional filter, which
    // carries any change of one point on to the next.
    ReadRequest plain = request;
    plain.AdditionalFilter = false;
    bool ok = false;
    const ReadResult before = readOrNothing(file, plain, ok);
    if (!ok) return 0;

    const std::string written = SaveComment(file, comment);
    FUZZ_CHECK(written == cutText(comment, kMaxCommentChars));
    const ReadResult after = readOrNothing(file, plain, ok);
    FUZZ_CHECK(ok);
    FUZZ_CHECK(after.Chrom.SampleCount == before.Chrom.SampleCount);
    // Groups are taken block by block from the start of the file, so when the width does not
    // divide the 20 header words the first point also averages header words, the comment
    // length among them.
    FUZZ_CHECK(after.Chrom.PointCount() == before.Chrom.PointCount());
    for (int n = 2; n <= before.Chrom.PointCount(); ++n) FUZZ_CHECK(after.Chrom.Points[n] == before.Chrom.Points[n]);
    FUZZ_CHECK(after.StoredMarkup == before.StoredMarkup);
    FUZZ_CHECK(after.Chrom.LastWord == before.Chrom.LastWord);
    FUZZ_CHECK(after.Chrom.CommentText == written);

    // The main window's open: the reader with the settings, then the commit.
    ProcessingState state{start};
    state.Settings.AveragingMs = request.AveragingMs;
    state.Settings.MarkupMode = request.MarkupMode;
    state.AdditionalFilter = request.AdditionalFilter;
    state.Vk7Rate = request.Vk7Rate;
    state.Settings.DetectThreshold = settingsBytes.ConsumeFloatingPointInRange(0.0, 50.0);
    state.Settings.Decimals = settingsBytes.ConsumeIntegralInRange(0, 5);
    ReadResult read = readOrNothing(file, readRequestFor(state), ok);
    FUZZ_CHECK(ok);
    commitChromatogram(state, {textFromPath(file.parent_path()) + "/", "h1a.hrm", {}}, std::move(read));
    fuzz::NullCanvas canvas;
    PeakTableContent content;
    PeakTableOutputs outputs{[] {}, [] {}};
    // A file that cannot be written is reported by the window's guard: the run ends there.
    try {
        ProcessChromatogram(state);
        RepaintPlot(canvas, state);
        ShowPeakTable(state, content, settingsBytes.ConsumeBool(), outputs);
        RepaintPlot(canvas, state);
    } catch (const IoError&) {
        return 0;
    }
    // What the Enter sequence stored reads back: the file is still a chromatogram.
    readOrNothing(file, readRequestFor(state), ok);
    FUZZ_CHECK(ok);
    return 0;
}
