#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace vk7::test {

TempDir::TempDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "vk7-test-XXXXXX").string();
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
    path_ = buf.data();
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TempDir::write(std::string_view relative, std::string_view bytes) const {
    std::filesystem::path p = path_ / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write fixture " + p.string());
    return p;
}

void copyInstallation(const std::filesystem::path& install, const std::filesystem::path& start) {
    namespace fs = std::filesystem;
    for (const auto& e : fs::recursive_directory_iterator(install)) {
        const fs::path to = start / fs::relative(e.path(), install);
        if (e.is_directory())
            fs::create_directories(to);
        else if (e.path().filename() != ".keep")
            fs::copy_file(e.path(), to, fs::copy_options::overwrite_existing);
    }
}

}  // namespace vk7::test
