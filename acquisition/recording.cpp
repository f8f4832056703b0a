#include "acquisition/recording.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>
#include <system_error>

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
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

namespace {

// Writes all of `bytes` at `offset`; false (errno set) when not all of it could be written.
bool writeAllAt(int fd, const std::string& bytes, off_t offset) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, offset + off_t(done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        done += size_t(n);
    }
    return true;
}

// Makes a rename in `dir` durable (some file systems cannot sync a folder: no failure).
void syncFolder(const fs::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

off_t pointsEnd(int32_t points) { return off_t(2 * kHeaderWords) + 2 * off_t(points); }

// The comment and the last word 0 appended after `points` points, then w14 set to the
// comment's length, each step flushed to the disk before the next, so that a file cut
// short at any moment is either unfinished (w14 0, the points) or finished whole. On a
// failure the file is cut back to its points (w14 stays 0) and IoError is thrown.
void appendTail(int fd, const fs::path& path, int32_t points, const std::string& comment) {
    std::string tail;
    for (char c : comment) putWord(tail, static_cast<int16_t>(static_cast<uint8_t>(c)));
    putWord(tail, 0);
    std::string length;
    putWord(length, static_cast<int16_t>(comment.size()));
    if (!writeAllAt(fd, tail, pointsEnd(points)) || ::fdatasync(fd) != 0 ||
        !writeAllAt(fd, length, 2 * hw::CommentLength) || ::fsync(fd) != 0) {
        const int e = errno;
        const std::string zero(2, '\0');
        writeAllAt(fd, zero, 2 * hw::CommentLength);
        (void)!::ftruncate(fd, pointsEnd(points));
        throw IoError("write", pathForMessage(path), errnoText(e));
    }
}

}  // namespace

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
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            throw IoError("create", pathForMessage(path), errnoText(errno));
        }
        // Held while the file is open: a start of the program finishes every .hr it finds
        // in the data folders except the ones a running recording holds.
        ::flock(fd, LOCK_EX | LOCK_NB);
        std::string bytes;
        for (int16_t w : recordingHeader(plan.parameters, plan.channelValue, 0)) putWord(bytes, w);
        if (!writeAllAt(fd, bytes, 0)) {
            // Not even the header fits: the file holds nothing and goes.
            const int e = errno;
            ::unlink(path.c_str());
            ::close(fd);
            throw IoError("write", pathForMessage(path), errnoText(e));
        }
        plan_ = plan;
        fd_ = fd;
        fileName_ = name;
        path_ = path;
        recordedCount_ = 0;
        return;
    }
    throw IoError("create", pathForMessage(plan.folder), "no free file name");
}

void ChannelRecording::writePoint(int16_t point) {
    if (fd_ < 0) return;
    std::string bytes;
    putWord(bytes, point);
    // Written at once: the channel view and the processing program read the growing file.
    if (!writeAllAt(fd_, bytes, pointsEnd(recordedCount_))) {
        const int e = errno;
        // Half a point (a disk that had room for one byte) is no point.
        (void)!::ftruncate(fd_, pointsEnd(recordedCount_));
        throw IoError("write", pathForMessage(path_), errnoText(e));
    }
    ++recordedCount_;
}

void ChannelRecording::abandon() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

ChannelRecording::Finished ChannelRecording::finish(const LocalDateTime& at) {
    if (fd_ < 0) return {path_, false};
    const int fd = fd_;
    fd_ = -1;
    try {
        appendTail(fd, path_, recordedCount_, recordingComment(at, plan_.channelName));
    } catch (...) {
        ::close(fd);
        throw;
    }
    // The lock is kept until the file has its final name.
    const fs::path finished = plan_.folder / (fileName_ + "m");
    bool renamed = false;
    try {
        renamed = renameNoReplace(path_, finished);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
    if (!renamed) return {path_, false};
    syncFolder(plan_.folder);
    path_ = finished;
    return {path_, true};
}

// ---- recordings cut short -----------------------------------------------------------------

namespace {

// The letter of a name h<digits><letter>.hr (any case), or 0 when the name is not one.
char interruptedRecordingLetter(const std::string& name) {
    if (name.size() < 6) return 0;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(name[0]) != 'h' || lower(name[name.size() - 3]) != '.' || lower(name[name.size() - 2]) != 'h' ||
        lower(name[name.size() - 1]) != 'r')
        return 0;
    const char letter = lower(name[name.size() - 4]);
    if (letter < 'a' || letter > 'z') return 0;
    for (size_t k = 1; k + 4 < name.size(); ++k)
        if (name[k] < '0' || name[k] > '9') return 0;
    return letter;
}

LocalDateTime localTimeOf(const struct timespec& t) {
    std::tm tm{};
    const time_t seconds = t.tv_sec;
    localtime_r(&seconds, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

// Whether the words after the points hold a comment this program wrote: w14 characters of
// the form "dd.mm.yyyy HH:MM name" and the last word 0. (A file of an older program that
// set w14 when the recording started has points there, never such a text.)
bool hasFinishedTail(const std::vector<int16_t>& words) {
    const int n = int(words.size());
    if (n < kHeaderWords + 1) return false;
    const int c = words[hw::CommentLength];
    if (c < 17 || words[hw::StoredPeaks] != 0 || kHeaderWords + c + 1 > n || words.back() != 0) return false;
    std::string text;
    for (int k = n - 1 - c; k < n - 1; ++k) {
        if (words[size_t(k)] < 0 || words[size_t(k)] > 255) return false;
        text += char(words[size_t(k)]);
    }
    auto digit = [&](size_t k) { return text[k] >= '0' && text[k] <= '9'; };
    return digit(0) && digit(1) && text[2] == '.' && digit(3) && digit(4) && text[5] == '.' && digit(9) &&
           text[10] == ' ' && digit(11) && digit(12) && text[13] == ':' && digit(14) && digit(15) && text[16] == ' ';
}

InterruptedRecording finishOne(const fs::path& folder, const std::string& name, char letter,
                               const std::function<std::string(char)>& channelName, bool& skipped) {
    InterruptedRecording r;
    r.file = folder / name;
    skipped = false;
    const int fd = ::open(r.file.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        r.failure = errnoText(errno);
        return r;
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    // A running recording (of this program or another one) holds its file.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        skipped = true;
        return r;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        skipped = true;
        return r;
    }
    const off_t size = st.st_size;
    if (size <= off_t(2 * kHeaderWords)) {
        if (::unlink(r.file.c_str()) == 0)
            r.removed = true;
        else
            r.failure = errnoText(errno);
        return r;
    }
    try {
        if (size % 2 != 0 && ::ftruncate(fd, size - 1) != 0) throw IoError("write", pathForMessage(r.file), errnoText(errno));
        const std::vector<int16_t> words = readWords(r.file);
        if (hasFinishedTail(words)) {
            r.points = int32_t(words.size()) - kHeaderWords - 1 - words[hw::CommentLength];
        } else {
            r.points = int32_t(words.size()) - kHeaderWords;
            appendTail(fd, r.file, r.points, recordingComment(localTimeOf(st.st_mtim), channelName(letter)));
        }
        // The finished name is the found one with "m" in its case; when that is taken
        // (a model written meanwhile), the next free number.
        const bool upper = name.back() == 'R';
        fs::path target = folder / (name + (upper ? "M" : "m"));
        bool renamed = renameNoReplace(r.file, target);
        for (int attempt = 0; attempt < 100 && !renamed; ++attempt) {
            target = folder / ("h" + intText(NextChromatogramNumber(folder, letter)) + letter + ".hrm");
            renamed = renameNoReplace(r.file, target);
        }
        if (!renamed) throw IoError("rename", pathForMessage(r.file), "no free file name");
        syncFolder(folder);
        r.finished = target;
    } catch (const std::exception& e) {
        const auto* io = dynamic_cast<const IoError*>(&e);
        r.failure = io && !io->detail().empty() ? io->detail() : e.what();
    }
    return r;
}

}  // namespace

std::vector<InterruptedRecording> FinishInterruptedRecordings(const fs::path& folder,
                                                              const std::function<std::string(char letter)>& channelName) {
    std::vector<std::pair<std::string, char>> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (const char letter = interruptedRecordingLetter(name)) found.emplace_back(name, letter);
    }
    std::sort(found.begin(), found.end());
    std::vector<InterruptedRecording> done;
    for (const auto& [name, letter] : found) {
        bool skipped = false;
        InterruptedRecording r = finishOne(folder, name, letter, channelName, skipped);
        if (!skipped) done.push_back(std::move(r));
    }
    return done;
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
