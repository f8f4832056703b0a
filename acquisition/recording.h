// Recording of one channel into a chromatogram file: h<N><letter>.hr in the channel's data
// folder, created with its 20-word header, one word per input block written at once,
// finished with the comment "date time name" and the last word 0 and renamed to .hrm; the
// finishing of recordings that were cut short. Also the preview: the growing (or
// finished) file read back as points for the channel views.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/paths.h"

namespace vk7 {

// What a recording takes when it starts; nothing of it changes until it finishes.
struct RecordingPlan {
    fs::path folder;                 // the data folder (created in lower case when missing)
    char letter = 'a';               // a, b (pair AB) or c, d (pair CD)
    std::array<int16_t, 12> parameters{};
    double channelValue = 1.0;       // R
    std::string channelName;         // at most 111 characters
    int polarity = 0;
    uint16_t recordTimeSec = 0;
    int32_t plannedCount = 0;
};

// The 20 header words of a recording. w9 is ln(R) x 1000 truncated and held within 16 bits
// (R of 0 or less counts as 1); w14 is the comment length given. A file is created with 0
// there, so that a recording cut short (the program killed) still reads as its header and
// the points written; the finish writes the length of the comment it appended.
std::array<int16_t, 20> recordingHeader(const std::array<int16_t, 12>& parameters, double channelValue,
                                        int commentLength);

// The comment: the date "dd.mm.yyyy" right-aligned in 10, a blank, "HH:MM", a blank, the name.
std::string recordingComment(const LocalDateTime& at, const std::string& channelName);

// The planned count: record time x points per second, rounded halves to even.
int32_t plannedPointCount(uint16_t recordTimeSec, double pointsPerSecond);

// One channel's recording. Not copyable: it owns the open file.
class ChannelRecording {
public:
    ChannelRecording() = default;
    ~ChannelRecording();
    ChannelRecording(const ChannelRecording&) = delete;
    ChannelRecording& operator=(const ChannelRecording&) = delete;

    // Creates h<N><letter>.hr, N the next free number of the folder, and writes the header.
    // Throws IoError (nothing is left open then, and a file whose header did not fit is
    // removed).
    void start(const RecordingPlan& plan);
    // Appends one point, written to the file at once. Throws IoError; the file then holds
    // the points written before, whole.
    void writePoint(int16_t point);
    // True when the recording has more than its planned count of points.
    bool planReached() const { return recordedCount_ > plan_.plannedCount; }
    struct Finished {
        fs::path file;        // where the recording now is
        bool renamed = false; // false: a file of the .hrm name existed, the .hr was kept
    };
    // Appends the comment and the last word, sets w14 from the comment written (each step
    // flushed to the disk), closes the file and renames it to .hrm without ever replacing a
    // file. Throws IoError; the file is closed in any case, and when the comment could not
    // be written (a full disk) it is left as recorded, .hr with its points, which the next
    // start of the program finishes.
    Finished finish(const LocalDateTime& at);
    // Closes the file as it is (after a failure).
    void abandon();

    bool recording() const { return fd_ >= 0; }
    int32_t recordedCount() const { return recordedCount_; }
    int32_t plannedCount() const { return plan_.plannedCount; }
    const RecordingPlan& plan() const { return plan_; }
    // RecordingFileName: the name of the current or last file ("h12a.hr"), empty before the
    // first recording; and the file where it is now (.hr while recording, .hrm after).
    const std::string& fileName() const { return fileName_; }
    const fs::path& currentPath() const { return path_; }

private:
    RecordingPlan plan_;
    int fd_ = -1;  // the open file, locked (flock) while it is recorded
    std::string fileName_;
    fs::path path_;
    int32_t recordedCount_ = 0;
};

// A recording that was cut short (the program killed, the power gone, a disk that was
// full when the recording ended) and what the start of the program did with it.
struct InterruptedRecording {
    fs::path file;           // the h<N><letter>.hr found
    fs::path finished;       // the .hrm it became; empty when it stays as it is
    int32_t points = 0;      // the points it holds
    bool removed = false;    // it held no point (not even a whole header) and was removed
    std::string failure;     // why it could not be finished (it stays .hr, whole)
};

// Finishes every h<N><letter>.hr in `folder` (any case) that no running recording holds:
// a half-written last point is dropped, the comment of the channel (`channelName` of the
// file's letter) with the time the file was last written and the last word 0 are appended
// after the points as written, w14 is set, and the file is renamed to .hrm, under the next
// free number when that name is taken: no file is ever replaced. A file whose comment was
// written already (only its rename was missing) is only renamed. A file without a point
// is removed. Returns what was done, file by file; a folder that cannot be listed gives
// nothing.
std::vector<InterruptedRecording> FinishInterruptedRecordings(const fs::path& folder,
                                                              const std::function<std::string(char letter)>& channelName);

// The preview of a channel's file: its points at a width that keeps them within 32768.
struct ChannelPreview {
    std::vector<int16_t> points;  // PreviewPoints, numbered from 1 (points[k - 1])
    int pointCount = 0;           // PreviewPointCount
    int width = 3;                // PreviewWidth
    int averagingMs = 0;          // PreviewMs (0 at start, so that the first preview uses width 3)
    int blocksDone = 0;           // PreviewBlocksDone
    double rate = 0;              // PreviewRate: the points per second the preview was read at
    int gainCode = 4;             // PreviewGainCode

    // The point k (1-based) limited to 1..pointCount; 0 for an empty preview.
    int16_t point(int k) const;
};

// LoadPreview: reads `file` into `preview` at `rate`: while it grows every word after the
// header is a sample, once finished the samples are what its tail leaves. A file that does
// not exist (yet) gives an empty preview. Throws IoError on a read failure.
void LoadPreview(const fs::path& file, bool growing, double rate, ChannelPreview& preview);

}  // namespace vk7
