#include "tests/support/pdf_tools.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>
#include <stdexcept>

#include "common/number_text.h"
#include "tests/support/temp_dir.h"

namespace vk7::test {

namespace {

std::string quoted(const std::filesystem::path& p) { return "'" + p.string() + "'"; }

}  // namespace

std::string commandOutput(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) throw std::runtime_error("cannot run " + command);
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe.get())) > 0) out.append(buf, n);
    if (::pclose(pipe.release()) != 0) throw std::runtime_error("failed: " + command);
    return out;
}

PdfInfo pdfInfo(const std::filesystem::path& pdf) {
    const std::string out = commandOutput("pdfinfo " + quoted(pdf));
    PdfInfo info;
    std::smatch m;
    if (std::regex_search(out, m, std::regex(R"(Pages:\s+(\d+))"))) info.pages = std::stoi(m[1]);
    if (std::regex_search(out, m, std::regex(R"(Page size:\s+([\d.]+) x ([\d.]+) pts)"))) {
        // The test process may run under a Russian locale, where std::stod stops at '.'.
        info.widthPt = parseLenient(m.str(1));
        info.heightPt = parseLenient(m.str(2));
    }
    return info;
}

std::string pdfText(const std::filesystem::path& pdf) {
    return commandOutput("pdftotext -layout -enc UTF-8 " + quoted(pdf) + " -");
}

CanvasImage renderPdfPage(const std::filesystem::path& pdf, int page, int dpi) {
    TempDir dir;
    const std::string p = std::to_string(page);
    commandOutput("pdftoppm -r " + std::to_string(dpi) + " -aa no -aaVector no -f " + p + " -l " + p +
                  " -singlefile " + quoted(pdf) + " " + quoted(dir / "page"));
    std::ifstream in(dir / "page.ppm", std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    in.get();
    if (magic != "P6" || maxValue != 255) throw std::runtime_error("unexpected pdftoppm output");
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    in.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
    CanvasImage image{width, height, {}};
    image.pixels.reserve(rgb.size() / 3);
    for (size_t i = 0; i < rgb.size(); i += 3) image.pixels.push_back(rgbColour(rgb[i], rgb[i + 1], rgb[i + 2]));
    return image;
}

}  // namespace vk7::test
