// The office suite and the PDF tools run from tests: what we write is opened by a real office
// program headless (each run with a user profile of its own) and converted to CSV or PDF.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vk7::test {

// CSV export of every sheet, UTF-8, comma-separated, texts quoted only when needed, cells as
// shown: <stem>-<sheet name>.csv in the output folder.
inline const char* const kCsvEverySheet = "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1";

// Runs the office suite on `files` with the filter (for example kCsvEverySheet or "pdf") and
// returns the files it wrote into `outDir`, sorted by name.
std::vector<std::filesystem::path> convertWithOfficeSuite(const std::vector<std::filesystem::path>& files,
                                                          const std::string& filter, const std::filesystem::path& outDir);

// The standard output of a command; fails the test when it does not end with 0.
std::string commandOutput(const std::string& command);

// A path quoted for the shell.
std::string shellQuoted(const std::filesystem::path& path);

// The lines of a CSV file, each split at commas (quoted cells unquoted).
std::vector<std::vector<std::string>> readCsv(const std::filesystem::path& file);
// Of the CSV files of a workbook, the one of the sheet (its UTF-8 name); empty when none is.
std::filesystem::path csvOfSheet(const std::vector<std::filesystem::path>& files, const std::string& sheetUtf8);

// The paragraphs of a .docx body: their texts (UTF-8) with tabs, "[picture]" for a drawing.
std::vector<std::string> docxParagraphs(const std::filesystem::path& docx);

}  // namespace vk7::test
