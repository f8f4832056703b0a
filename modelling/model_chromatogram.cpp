#include "modelling/model_chromatogram.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "chromfile/chromatogram_file.h"
#include "chromfile/chromatogram_numbering.h"
#include "common/cp1251.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/number_text.h"

namespace vk7 {

ModelRegime readModelRegime(const StartFolder& start) {
    ModelRegime r;
    if (const auto lines = readLinesIfExists(start.file("space", "regim.dat"))) {
        for (size_t k = 1; k <= 21; k += 2) {
            if (k > lines->size()) break;
            const int64_t v = parseLenientInt((*lines)[k - 1]);
            r.Line[k] = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint64_t>(v) & 0xFFFF));
        }
    }
    if (const auto lines = readLinesIfExists(start.file("space", "rsv.dat"))) {
        r.ChannelR = lines->size() >= 14 ? parseLenient((*lines)[13]) : 0;
        if (lines->size() >= 18) r.Section = std::string(trimBlanks((*lines)[17]));
    }
    return r;
}

std::array<int16_t, 20> modelHeader(const ModelRegime& regime, int commentLength) {
    std::array<int16_t, 20> h{};
    const auto& l = regime.Line;
    h[hw::Rate] = 16;
    h[hw::Detector] = l[1];
    h[hw::Gas] = l[5];
    h[hw::Column] = l[7];
    h[hw::Temperature] = l[9];
    h[hw::Field5] = l[11];
    h[hw::Field6] = l[17];
    h[hw::Field7] = l[19];
    h[hw::Field8] = l[21];
    h[hw::LogR] = regime.ChannelR > 0 ? clampToInt16(wholePart(std::log(regime.ChannelR) * 1000)) : int16_t(0);
    h[hw::Multiplier] = 1;
    h[hw::Reserved] = 0;
    h[hw::Sm] = 4;
    h[hw::Gain] = 4;
    h[hw::CommentLength] = static_cast<int16_t>(commentLength);
    h[hw::Field15] = l[13];
    h[hw::Field16] = l[15];
    return h;  // w17 unit x 1, w18 no stored markup, w19 0
}

std::string modelComment(const LocalDateTime& t) {
    auto two = [](int v) { return std::string(v < 10 ? "0" : "") + intText(v); };
    return two(t.day) + "." + two(t.month) + "." + intText(t.year) + " " + two(t.hour) + ":" + two(t.minute) +
           RU(" Модель");
}

std::vector<std::string> ListDataSections(const StartFolder& start) {
    std::vector<std::string> sections;
    std::error_code ec;
    const fs::path data = start.folder("data");
    for (fs::directory_iterator it(data, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code dirEc;
        if (!it->is_directory(dirEc)) continue;
        const std::string name = textFromPath(it->path().filename());
        if (name.empty() || name == "." || name == ".." || name.size() > 16) continue;
        sections.push_back(name);
    }
    std::sort(sections.begin(), sections.end());
    return sections;
}

bool isDataSection(const StartFolder& start, const std::string& section) {
    if (section.empty() || section == "." || section == ".." || section.size() > 16) return false;
    if (section.find_first_of("/\\") != std::string::npos) return false;
    std::error_code ec;
    return fs::is_directory(findNoCase(start.folder("data"), section), ec);
}

int modelNoiseCounts(double noiseMv) {
    if (!(noiseMv > 0)) return 0;
    return static_cast<int>(std::min<int64_t>(roundHalfEven(noiseMv / kModelFullScale / 1000 * 32768), 65536));
}

namespace {

// The bytes in a new temporary of `folder` (a name no reader takes for a chromatogram),
// then linked under the next free number: a name taken meanwhile moves on to the next.
fs::path writeUnderNextNumber(const fs::path& folder, const std::string& bytes) {
    std::string templ = (folder / ".vk7-model-XXXXXX").string();
    const int fd = ::mkstemp(templ.data());
    if (fd < 0) throw IoError("create", pathForMessage(folder), std::strerror(errno));
    const fs::path tmp(templ);
    auto fail = [&](const char* what, int err, const fs::path& shown) {
        ::unlink(tmp.c_str());
        throw IoError(what, pathForMessage(shown), std::strerror(err));
    };
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            fail("write", err, folder);
        }
        done += static_cast<size_t>(n);
    }
    ::fchmod(fd, 0644);
    if (::fsync(fd) != 0 || ::close(fd) != 0) fail("write", errno, folder);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const fs::path target = folder / ("H" + std::to_string(NextChromatogramNumber(folder, 'A')) + "A.HRM");
        if (::link(tmp.c_str(), target.c_str()) == 0) {
            ::unlink(tmp.c_str());
            return target;
        }
        if (errno != EEXIST) fail("create", errno, target);
    }
    fail("create", EEXIST, folder);
    return {};
}

}  // namespace

ModelWrite WriteModelAsChromatogram(const StartFolder& start, const ChromatogramModel& m, const std::string& section,
                                    double noiseMv, const ModelRegime& regime, const LocalDateTime& now,
                                    std::mt19937& random) {
    ModelWrite w;
    if (!isDataSection(start, section)) {
        w.Refusal = RU("Выберите раздел для размещения хроматограммы");
        return w;
    }
    if (!(regime.ChannelR > 0)) {
        w.Refusal = RU("Неверное значение R (строка 14 файла rsv.dat)");
        return w;
    }
    if (m.ModelPointCount < 3 || m.ModelCurve.count() < m.ModelPointCount) {
        w.Refusal = RU("Модель слишком коротка для записи");
        return w;
    }
    const std::string comment = cutText(modelComment(now), kMaxCommentChars);
    const std::array<int16_t, 20> header = modelHeader(regime, static_cast<int>(comment.size()));
    std::vector<int16_t> words(header.begin(), header.end());
    const int na = modelNoiseCounts(noiseMv);
    std::uniform_int_distribution<int> noise(0, std::max(na - 1, 0));
    words.reserve(words.size() + size_t(m.ModelPointCount) * size_t(m.OversamplingFactor) + comment.size() + 1);
    for (int p = 1; p <= m.ModelPointCount; ++p)
        for (int k = 0; k < m.OversamplingFactor; ++k)
            words.push_back(clampToInt16(int64_t(m.ModelCurve[p]) + (na > 0 ? noise(random) : 0)));
    for (char c : comment) words.push_back(static_cast<int16_t>(static_cast<uint8_t>(c)));
    words.push_back(static_cast<int16_t>(m.ModelPointInterval));
    w.File = writeUnderNextNumber(findNoCase(start.folder("data"), section), wordsToBytes(words));
    return w;
}

}  // namespace vk7
