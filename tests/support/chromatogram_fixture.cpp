#include "tests/support/chromatogram_fixture.h"

#include <fstream>
#include <stdexcept>

namespace vk7::test {

ChromatogramFixture::ChromatogramFixture() {
    header[hw::Rate] = 25;
    header[hw::Gain] = 4;
    header[hw::Multiplier] = 1;
    header[hw::Reserved] = 1;
    header[hw::StoredZoom] = 1;
}

std::vector<int16_t> ChromatogramFixture::words() const {
    std::vector<int16_t> w(header.begin(), header.end());
    w[hw::CommentLength] = forcedCommentLength.value_or(static_cast<int16_t>(comment.size()));
    w[hw::StoredPeaks] = forcedPeakCount.value_or(static_cast<int16_t>(triples.size()));
    w.insert(w.end(), samples.begin(), samples.end());
    for (char c : comment) w.push_back(static_cast<int16_t>(static_cast<uint8_t>(c)));
    for (const auto& t : triples) {
        w.push_back(static_cast<int16_t>(static_cast<uint16_t>(t.start)));
        w.push_back(static_cast<int16_t>(static_cast<uint16_t>(t.end)));
        w.push_back(static_cast<int16_t>(static_cast<uint8_t>(t.type)));
    }
    w.push_back(lastWord);
    return w;
}

std::filesystem::path ChromatogramFixture::write(const std::filesystem::path& file) const {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    const std::string bytes = wordsToBytes(words());
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + file.string());
    return file;
}

std::vector<int16_t> ChromatogramFixture::ramp(int count, int start) {
    std::vector<int16_t> s(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) s[size_t(i)] = static_cast<int16_t>(start + i);
    return s;
}

}  // namespace vk7::test
