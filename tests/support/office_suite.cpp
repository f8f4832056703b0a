#include "tests/support/office_suite.h"

#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

#include "platform/office/zip_package.h"

namespace vk7::test {

namespace fs = std::filesystem;

std::string shellQuoted(const fs::path& path) {
    std::string out = "'";
    for (char c : path.string()) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string commandOutput(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot run " << command;
        return out;
    }
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int status = pclose(pipe);
    EXPECT_EQ(status, 0) << command;
    return out;
}

std::vector<fs::path> convertWithOfficeSuite(const std::vector<fs::path>& files, const std::string& filter,
                                             const fs::path& outDir) {
    fs::create_directories(outDir);
    const fs::path profile = outDir / "office-profile";
    std::string command = "env LC_ALL=C.UTF-8 LANG=C.UTF-8 HOME=" + shellQuoted(outDir) +
                          " soffice -env:UserInstallation=file://" + profile.string() +
                          " --headless --norestore --convert-to " + shellQuoted(filter) + " --outdir " +
                          shellQuoted(outDir);
    for (const fs::path& f : files) command += " " + shellQuoted(f);
    command += " >/dev/null 2>&1";
    const std::set<fs::path> before = [&] {
        std::set<fs::path> s;
        for (const auto& e : fs::directory_iterator(outDir)) s.insert(e.path());
        return s;
    }();
    commandOutput(command);
    std::vector<fs::path> made;
    for (const auto& e : fs::directory_iterator(outDir))
        if (e.is_regular_file() && !before.count(e.path())) made.push_back(e.path());
    std::sort(made.begin(), made.end());
    return made;
}

std::vector<std::vector<std::string>> readCsv(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string text = ss.str();
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string cell;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.push_back(cell);
            cell.clear();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            row.push_back(cell);
            cell.clear();
            rows.push_back(row);
            row.clear();
        } else {
            cell += c;
        }
    }
    if (!cell.empty() || !row.empty()) {
        row.push_back(cell);
        rows.push_back(row);
    }
    return rows;
}

fs::path csvOfSheet(const std::vector<fs::path>& files, const std::string& sheetUtf8) {
    for (const fs::path& f : files)
        if (f.filename().string().find("-" + sheetUtf8 + ".csv") != std::string::npos) return f;
    return {};
}

std::vector<std::string> docxParagraphs(const fs::path& docx) {
    const ZipPackage p = ZipPackage::read(docx);
    pugi::xml_document doc;
    doc.load_buffer(p.part("word/document.xml").data(), p.part("word/document.xml").size(),
                    pugi::parse_default | pugi::parse_ws_pcdata);
    std::vector<std::string> out;
    for (pugi::xml_node para : doc.child("w:document").child("w:body").children("w:p")) {
        std::string text;
        for (pugi::xml_node r : para.children("w:r"))
            for (pugi::xml_node e : r.children()) {
                const std::string name = e.name();
                if (name == "w:t") text += e.child_value();
                if (name == "w:tab") text += "\t";
                if (name == "w:drawing") text += "[picture]";
            }
        out.push_back(text);
    }
    return out;
}

}  // namespace vk7::test
