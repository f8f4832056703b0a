#include "fuzz/office_checks.h"

#include <zip.h>

#include <cmath>
#include <map>
#include <optional>

#include "common/cp1251.h"
#include "common/errors.h"
#include "common/files.h"
#include "common/number_text.h"
#include "fuzz/fuzz_support.h"
#include "platform/office/word_document.h"
#include "platform/office/workbook.h"
#include "platform/office/zip_package.h"
#include "processing/peak_table.h"
#include "results/office_protocols.h"
#include "results/verification.h"

namespace vk7::fuzz {

namespace {

// A GIF picture of one pixel.
const std::string kGif("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff\x21\xf9\x04\x01\x00\x00\x00\x00"
                       "\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x01\x44\x00\x3b",
                       42);

// The names of the entries of a ZIP archive, as any unpacking program sees them.
std::vector<std::string> entryNames(const std::string& bytes) {
    std::vector<std::string> names;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* archive = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    zip_error_fini(&error);
    FUZZ_CHECK(archive != nullptr);
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) names.push_back(zip_get_name(archive, zip_uint64_t(i), 0));
    zip_discard(archive);
    return names;
}

// Every entry of what we write stays inside the folder it is unpacked into.
void checkEntryNames(const std::string& bytes) {
    for (const std::string& name : entryNames(bytes)) {
        FUZZ_CHECK(!name.empty() && name[0] != '/' && name[0] != '\\');
        size_t start = 0;
        while (start <= name.size()) {
            const size_t end = std::min(name.find_first_of("/\\", start), name.size());
            const std::string segment = name.substr(start, end - start);
            FUZZ_CHECK(segment != ".." && segment != ".");
            start = end + 1;
        }
    }
}

std::map<std::string, std::string> partsOfPackage(const std::string& bytes) {
    const ZipPackage p = ZipPackage::fromBytes(bytes);
    std::map<std::string, std::string> parts;
    for (const std::string& name : p.names()) parts[name] = p.part(name);
    return parts;
}

// The peak table and passport of the protocols: a caption row and two peaks.
AnalysisProtocolInput protocolInput() {
    AnalysisProtocolInput in;
    in.FileName = "h1a.hrm";
    in.Comment = "10.12.2025 14:05 air";
    in.Grid = {{"N", "t", "h", "b", "K", "S", "S%", "C", "d", "name", "s"},
               {"1", "5.00", "11.0", "4.5", "1", "100.0", "33.3", "1.5", "-", "benzene", "+"},
               {"2", "7.00", "12.0", "4.0", "1", "200.0", "66.7", "2.5", "-", "toluene", "+"}};
    for (size_t i = 0; i < in.Passport.size(); ++i) in.Passport[i] = {"row " + intText(int64_t(i)), "v"};
    return in;
}

// The opened workbook: every sheet loads or gives the blank's message.
void readEverySheet(Workbook& book) {
    for (int i = 1; i <= book.sheetCount(); ++i) {
        try {
            Sheet s = book.sheet(i);
            s.name();
            for (int r = 1; r <= 3; ++r)
                for (int c = 1; c <= 3; ++c) {
                    s.text(r, c);
                    s.value(r, c);
                    s.formula(r, c);
                }
        } catch (const BlankError& e) {
            FUZZ_CHECK(!e.message().empty());
        }
    }
}

// A whole number of a layout cell, as the workbook protocol reads it.
std::optional<int64_t> layoutNumber(Sheet& layout, int row, int column) {
    const std::optional<double> v = parseStrictReal(layout.text(row, column));
    if (!v || *v != std::floor(*v) || std::fabs(*v) > 1e15) return std::nullopt;
    return static_cast<int64_t>(*v);
}

// The row of the chromatogram line that the layout of the workbook protocol asks for, when
// it sets one and puts none of its single cells into column 1 of that row.
std::optional<int> chromatogramLineRow(const fs::path& blank) {
    try {
        Workbook book = Workbook::fromBlank(blank);
        if (book.sheetCount() < 2) return std::nullopt;
        Sheet layout = book.sheet(2);
        const std::optional<int64_t> r = layoutNumber(layout, 1, 1);
        if (!r || *r < 1 || *r > kMaxSheetRow || layout.text(1, 3).empty()) return std::nullopt;
        std::vector<std::pair<int, int>> targets;
        if (!layout.text(1, 2).empty()) targets.push_back({1, 10});
        if (!layout.text(1, 7).empty()) targets.push_back({1, 12});
        for (int k = 3; k <= 6; ++k)
            if (!layout.text(k, 5).empty()) targets.push_back({k, 5});
        for (const auto& [row, column] : targets)
            if (layoutNumber(layout, row, column) == *r) return std::nullopt;
        return static_cast<int>(*r);
    } catch (const BlankError&) {
        return std::nullopt;
    }
}

void checkWorkbookApi(const fs::path& file) {
    std::optional<Workbook> book;
    try {
        book.emplace(Workbook::fromBlank(file));
    } catch (const BlankError& e) {
        FUZZ_CHECK(!e.message().empty());
        return;
    }
    FUZZ_CHECK(book->sheetCount() >= 1);
    readEverySheet(*book);
    std::string saved;
    try {
        Sheet first = book->sheet(1);
        first.setText(1, 1, "text");
        first.setNumber(2, 2, 0.1);
        first.setFormula(3, 3, "=B2*2");
        saved = book->bytes();
    } catch (const BlankError& e) {
        FUZZ_CHECK(!e.message().empty());
        return;
    }
    checkEntryNames(saved);
    // What we write opens, holds what was written, and saved again changes nothing.
    const fs::path copy = file.parent_path() / "saved.xlsx";
    safeRewrite(copy, saved);
    Workbook back = Workbook::fromBlank(copy);
    FUZZ_CHECK(back.sheetCount() == book->sheetCount());
    Sheet first = back.sheet(1);
    FUZZ_CHECK(first.text(1, 1) == "text");
    FUZZ_CHECK(first.value(2, 2) == 0.1);
    FUZZ_CHECK(first.formula(3, 3) == "B2*2");
    for (int i = 1; i <= back.sheetCount(); ++i) back.sheet(i);
    FUZZ_CHECK(partsOfPackage(back.bytes()) == partsOfPackage(saved));
}

}  // namespace

const std::vector<InstalledBlank>& installedBlanks() {
    static const std::vector<InstalledBlank> blanks = [] {
        std::vector<InstalledBlank> out;
        for (const char* name : {"prot.xlsx", "povx.xlsx", "povy.xlsx", "pr.docx"}) {
            const std::string n = name;
            out.push_back({n, readFileBytes(fs::path(VK7_SOURCE_DIR) / "install" / "doc" / n), !n.ends_with(".docx")});
        }
        return out;
    }();
    return blanks;
}

void checkWorkbookBlank(const std::string& bytes) {
    const StartFolder start = freshStartFolder();
    const fs::path doc = start.ensureFolder("doc");
    start.ensureFolder("results");
    safeRewrite(doc / "blank.xlsx", bytes);
    checkWorkbookApi(doc / "blank.xlsx");

    // The workbook protocol: its protocol with the chromatogram line where the layout puts
    // it, or a message; never an error of the blank that escapes.
    SaveExcelProtocolSettings(start, {"blank.xlsx", 7, "op"});
    const std::optional<int> lineRow = chromatogramLineRow(doc / "blank.xlsx");
    try {
        const ExcelProtocolOutcome out = WriteExcelProtocol(start, protocolInput());
        if (out.Message.empty()) {
            const std::string written = readFileBytes(excelProtocolPath(start));
            checkEntryNames(written);
            Workbook protocol = Workbook::fromBlank(excelProtocolPath(start));
            if (lineRow) FUZZ_CHECK(protocol.sheet(1).text(*lineRow, 1) == RU("Хроматограмма ") + "h1a.hrm");
            FUZZ_CHECK(out.NewNumber == 8);
        } else {
            FUZZ_CHECK(LoadExcelProtocolSettings(start, true).Number == 7);
            FUZZ_CHECK(!fs::exists(excelProtocolPath(start)));
        }
    } catch (const BlankError&) {
        FUZZ_CHECK(!"a blank's error escaped the workbook protocol");
    }

    // The verification protocol.
    safeRewrite(doc / "povx.xlsx", bytes);
    const VerificationTable table =
        ComputeVerificationX({{"", "11.0", "4.5", "100"}, {"", "12.0", "4.0", "110"}, {"", "11.5", "4.2", "105"}});
    // The date stays where the table, which begins at the first row whose first cell is
    // empty, does not reach.
    bool dateKept = false;
    try {
        Workbook book = Workbook::fromBlank(doc / "povx.xlsx");
        Sheet first = book.sheet(1);
        dateKept = !first.text(1, 1).empty() && !first.text(2, 1).empty();
    } catch (const BlankError&) {
    }
    try {
        const std::string message = WriteVerificationProtocol(start, VerificationMethod::X, "05.03.2024", {"h1a.hrm"}, table);
        if (message.empty()) {
            const fs::path out = verificationResultPath(start, VerificationMethod::X);
            checkEntryNames(readFileBytes(out));
            Workbook written = Workbook::fromBlank(out);
            const std::string date = written.sheet(1).text(2, 2);
            if (dateKept) FUZZ_CHECK(date == "05.03.2024");
        } else {
            FUZZ_CHECK(!fs::exists(verificationResultPath(start, VerificationMethod::X)));
        }
    } catch (const BlankError&) {
        FUZZ_CHECK(!"a blank's error escaped the verification protocol");
    }
}

void checkDocumentBlank(const std::string& bytes) {
    const StartFolder start = freshStartFolder();
    const fs::path doc = start.ensureFolder("doc"), results = start.ensureFolder("results");
    safeRewrite(doc / "pr.docx", bytes);
    safeRewrite(results / "fig.gif", kGif);
    writeLines(results / "pasp.txt", {"passport"});

    std::optional<WordDocument> document;
    try {
        document.emplace(WordDocument::fromBlank(doc / "pr.docx"));
    } catch (const BlankError& e) {
        FUZZ_CHECK(!e.message().empty());
    }
    if (document) {
        document->insert("first\rsecond\t" + RU("третья"));
        document->insertPicture(results / "fig.gif");
        const std::string saved = document->bytes();
        checkEntryNames(saved);
        safeRewrite(doc / "saved.docx", saved);
        WordDocument back = WordDocument::fromBlank(doc / "saved.docx");
        FUZZ_CHECK(partsOfPackage(back.bytes()) == partsOfPackage(saved));
    }

    try {
        const std::string message = WriteWordProtocol(start, protocolInput());
        if (message.empty()) {
            checkEntryNames(readFileBytes(wordProtocolPath(start)));
            WordDocument::fromBlank(wordProtocolPath(start));
        } else {
            FUZZ_CHECK(!document.has_value());
            FUZZ_CHECK(!fs::exists(wordProtocolPath(start)));
        }
    } catch (const BlankError&) {
        FUZZ_CHECK(!"a blank's error escaped the document protocol");
    }
}

}  // namespace vk7::fuzz
