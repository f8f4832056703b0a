#include "acquisition/recording.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include "chromfile/chromatogram_file.h"
#include "chromfile/chromatogram_numbering.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/number_text.h"

namespace vk7 {

namespace {

std::string errnoText(int e) { return std::strerror(e); }

void putWord(std::string& bytes, int16_t w) {
    const auto u = static_cast<uint16_t>(w);
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
}

bool existsNoCase(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    return fs::exists(findNoCase(folder, name), ec);
}

// Renames without replacing an existing file: false when `to` exists.
bool renameNoReplace(const fs::path& from, const fs::path& to) {
    if (existsNoCase(to.parent_path(), textFromPath(to.filename()))) return false;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    const int e = errno;
    if (e == EEXIST) return false;
    if (e != EINVAL && e != ENOSYS) throw IoError("rename", pathForMessage(from), errnoText(e));
    // A file system without the no-replace rename: a hard link cannot replace either.
    if (::link(from.c_str(), to.c_str()) != 0) {
        if (errno == EEXIST) return false;
        throw IoError("rename", pathForMessage(from), errnoText(errno));
    }
    ::unlink(from.c_str());
    return true;
}

}  // namespace

std::array<int16_t, 20> recordingHeader(const std::array<int16_t, 12>& p, double r, int commentLength) {
    std::array<int16_t, 20> w{};
    w[0] = 21;
    w[1] = p[0];
    w[2] = p[2];
    w[3] = p[3];
    w[4] = p[4];
    w[5] = p[5];
    w[6] = p[8];
    w[7] = p[9];
    w[8] = p[10];
    w[9] = r > 0 && std::isfinite(r) ? clampToInt16(wholePart(std::log(r) * 1000.0)) : 0;
    w[10] = 1;
    w[11] = 1;
    w[12] = p[11];
    w[13] = 4;
    w[14] = static_cast<int16_t>(std::clamp(commentLength, 0, 32767));
    w[15] = p[6];
    w[16] = p[7];
    w[17] = p[1];
    w[18] = 0;
    w[19] = 1;
    return w;
}

std::string recordingComment(const LocalDateTime& t, const std::string& name) {
    const std::string date = intText(t.day / 10) + intText(t.day % 10) + "." + intText(t.month / 10) +
                             intText(t.month % 10) + "." + intText(t.year);
    const std::string time = intText(t.hour / 10) + intText(t.hour % 10) + ":" + intText(t.minute / 10) +
                             intText(t.minute % 10);
    return padLeft(cutText(date, 10), 10) + " " + time + " " + name;
}

int32_t plannedPointCount(uint16_t recordTimeSec, double pointsPerSecond) {
    return static_cast<int32_t>(std::clamp<int64_t>(roundHalfEven(recordTimeSec * pointsPerSecond), 0, INT32_MAX));
}

// ---- one recording ---------------------------------------------------------------------

ChannelRecording::~ChannelRecording() { abandon(); }

void ChannelRecording::start(const RecordingPlan& plan) {
    abandon();
    std::error_code ec;
    if (!fs::is_directory(plan.folder, ec)) {
        fs::create_directories(plan.folder, ec);
        if (ec) throw IoError("create", pathForMessage(plan.folder), ec.message());
    }
    // A name that appears meanwhile (the other program writing a model) moves N on.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int32_t n = NextChromatogramNumber(plan.folder, plan.letter);
        const std::string name = "h" + intText(n) + plan.letter + ".hr";
        const fs::path path = plan.folder / name;
        std::FILE* f = std::fopen(path.c_str(), "wbx");
        if (!f) {
            if (errno == EEXIST) continue;
            throw IoError("create", pathForMessage(path), errnoText(errno));
        }
        std::string bytes;
        for (int16_t w : recordingHeader(plan.parameters, plan.channelValue, 0)) putWord(bytes, w);
        if (std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fflush(f) != 0) {
            const int e = errno;
            std::fclose(f);
            throw IoError("write", pathForMessage(path), errnoText(e));
        }
        plan_ = plan;
        file_ = f;
        fileName_ = name;
        path_ = path;
        recordedCount_ = 0;
        return;
    }
    throw IoError("create", pathForMessage(plan.folder), "no free file name");
}

void ChannelRecording::writePoint(int16_t point) {
    if (!file_) return;
    std::string bytes;
    putWord(bytes, point);
    // Flushed at once: the channel view and the processing program read the growing file.
    if (std::fwrite(bytes.data(), 1, 2, file_) != 2 || std::fflush(file_) != 0)
        throw IoError("write", pathForMessage(path_), errnoText(errno));
    ++recordedCount_;
}

void ChannelRecording::abandon() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

ChannelRecording::Finished ChannelRecording::finish(const LocalDateTime& at) {
    if (!file_) return {path_, false};
    const std::string comment = recordingComment(at, plan_.channelName);
    std::string tail;
    for (char c : comment) putWord(tail, static_cast<int16_t>(static_cast<uint8_t>(c)));
    putWord(tail, 0);
    std::string length;
    putWord(length, static_cast<int16_t>(comment.size()));
    std::FILE* f = file_;
    file_ = nullptr;
    bool ok = std::fwrite(tail.data(), 1, tail.size(), f) == tail.size() && std::fflush(f) == 0 &&
              std::fseek(f, 2 * hw::CommentLength, SEEK_SET) == 0 && std::fwrite(length.data(), 1, 2, f) == 2 &&
              std::fflush(f) == 0;
    const int e = errno;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) throw IoError("write", pathForMessage(path_), errnoText(e));
    const fs::path finished = plan_.folder / (fileName_ + "m");
    if (!renameNoReplace(path_, finished)) return {path_, false};
    path_ = finished;
    return {path_, true};
}

// ---- preview ---------------------------------------------------------------------------

int16_t ChannelPreview::point(int k) const {
    if (pointCount <= 0) return 0;
    return points[size_t(std::clamp(k, 1, pointCount) - 1)];
}

void LoadPreview(const fs::path& file, bool growing, double rate, ChannelPreview& p) {
    p.rate = rate;
    p.gainCode = 4;
    std::error_code ec;
    if (file.empty() || !fs::exists(file, ec)) {
        p.pointCount = 0;
        p.blocksDone = 0;
        return;
    }
    const std::vector<int16_t> words = readWords(file);
    const int n = static_cast<int>(words.size());
    int samples = std::max(0, n - kHeaderWords);
    // A finished file: the samples are what its tail leaves.
    if (!growing && n >= 21) {
        const int c = words[hw::CommentLength], peaks = words[hw::StoredPeaks];
        if (c >= 0 && peaks >= 0 && peaks <= 255 && 21 + c + 3 * peaks <= n) samples = n - 21 - c - 3 * peaks;
    }
    int width = widthForAveraging(p.averagingMs, rate);
    int ms = averagingForWidth(width, rate);
    if (roundHalfEven((n - 21) / double(width)) > kMaxPoints) {
        width = std::min((n - 21) / kMaxPoints + 1, 255);
        ms = averagingForWidth(width, rate);
    }
    p.width = width;
    p.averagingMs = ms;
    const int count = std::min(groupedPointCount(samples, width), kMaxPoints);
    p.points.assign(size_t(count), 0);
    BlockReaderState state{0, kBlockWords / width, 1};
    for (size_t at = 0; at < words.size(); at += kBlockWords)
        AveragePointsBlock(std::span<const int16_t>(words).subspan(at, std::min<size_t>(kBlockWords, words.size() - at)),
                           state, width, count, [&](int k, int16_t mean) { p.points[size_t(k - 1)] = mean; });
    p.blocksDone = state.BlocksDone;
    p.pointCount = count;
}

}  // namespace vk7
