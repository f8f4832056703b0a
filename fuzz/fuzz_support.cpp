#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "common/files.h"
#include "tests/support/chromatogram_fixture.h"
#include "tests/support/point_generator.h"

namespace vk7::fuzz {

void propertyFailed(const char* expression, const char* file, int line) {
    std::fprintf(stderr, "property broken: %s (%s:%d)\n", expression, file, line);
    std::abort();
}

std::string asWritten(std::string text) { return lineAsWritten(text); }

StartFolder freshStartFolder() {
    static const std::filesystem::path root = [] {
        // A memory file system where there is one: every rewrite flushes its file.
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm") : std::filesystem::temp_directory_path();
        // Kept apart from the static path, which is gone when the process ends.
        static std::string* const made = new std::string((base / "vk7-fuzz-XXXXXX").string());
        if (!::mkdtemp(made->data())) std::abort();
        // Removed when the run ends (a run that stops at a finding leaves it).
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(*made, ec);
        });
        return std::filesystem::path(*made);
    }();
    for (const auto& entry : std::filesystem::directory_iterator(root)) std::filesystem::remove_all(entry.path());
    return StartFolder(root);
}

std::vector<std::string> partsOf(const uint8_t* data, size_t size, size_t maxParts) {
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0 && parts.size() < maxParts) parts.emplace_back();
        else parts.back() += static_cast<char>(data[i]);
    }
    parts.resize(maxParts);
    return parts;
}

std::string joinParts(const std::vector<std::string>& parts) {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) out += (i ? std::string(1, '\0') : std::string()) + parts[i];
    return out;
}

std::vector<int16_t> sampleChromatogramWords() {
    test::ChromatogramFixture f;
    f.samples = test::PointGenerator(400, 300).gaussian(80, 4000, 6).gaussian(200, 6000, 6).gaussian(320, 3000, 6).samples(4);
    f.comment = "12.03.2024 10:15";
    f.triples = {{70, 92, 'M'}, {190, 212, 'B'}, {212, 230, 'E'}};
    f.lastWord = 160;
    return f.words();
}

const ReadResult& sampleChromatogram() {
    static const ReadResult read = [] {
        const StartFolder start = freshStartFolder();
        const auto file = start.root() / "h1a.hrm";
        writeChromatogramWords(file, sampleChromatogramWords());
        ReadRequest request;
        request.AveragingMs = 160;
        return ReadChromatogram(file, request);
    }();
    return read;
}

TextSize NullCanvas::textExtent(std::string_view text) {
    return {static_cast<int>(text.size()) * 7, 13};
}

}  // namespace vk7::fuzz
