// A spreadsheet workbook in the Office Open XML format (.xlsx), read and written in-process.
//
// Cells are addressed (row, column) from 1, rows 1..1048576, columns 1..16384; other
// addresses throw ConversionError. Texts are Windows-1251 outside and UTF-8 inside the file;
// new texts are written as inline strings, and an overwritten cell keeps its style. There is
// no formula evaluator: a formula cell reads as the value the office program stored with it.
// On saving, every formula loses its stored value, the calculation chain goes and the
// workbook asks to be calculated when it is opened, so the office program computes the
// formulas of a blank from the cells written into it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/office/office_errors.h"

namespace vk7 {

inline constexpr int kMaxSheetRow = 1048576;
inline constexpr int kMaxSheetColumn = 16384;

// "A1" for (1, 1), "XFD1048576" for the last cell. Throws ConversionError out of range.
std::string cellReference(int row, int column);

class Workbook;

class Sheet {
public:
    // The sheet's name on its tab.
    std::string name() const;
    // The cell as text: a text, the stored text of a number, the stored value of a formula;
    // "" for an empty cell.
    std::string text(int row, int column) const;
    // The cell as a number: a number, a formula's stored number, a text read leniently; 0
    // for an empty cell.
    double value(int row, int column) const;
    // A formula cell (its text without "=").
    bool hasFormula(int row, int column) const;
    std::string formula(int row, int column) const;

    void setText(int row, int column, const std::string& cp1251);
    void setNumber(int row, int column, double value);
    // A formula without or with its leading "="; its value is computed when opened.
    void setFormula(int row, int column, const std::string& cp1251);

    // Appearance, for making blanks.
    void setBold(int row, int column);
    void setColumnWidth(int firstColumn, int lastColumn, double characters);
    void setPageA4Portrait();
    void setFooter(const std::string& cp1251);

private:
    friend class Workbook;
    struct Impl;
    explicit Sheet(Impl* impl) : impl_(impl) {}
    Impl* impl_;
};

class Workbook {
public:
    // A new workbook with one empty sheet "Лист1".
    Workbook();
    // A new workbook based on a saved one (a blank). Throws IoError when it cannot be read
    // and BlankError when it is no workbook.
    static Workbook fromBlank(const std::filesystem::path& file);
    Workbook(Workbook&&) noexcept;
    Workbook& operator=(Workbook&&) noexcept;
    ~Workbook();

    int sheetCount() const;
    // Sheet i from 1, in workbook order. Throws BlankError when there is none.
    Sheet sheet(int i);

    // Blanks: renames a sheet / adds one at the end.
    void setSheetName(int i, const std::string& cp1251);
    Sheet addSheet(const std::string& cp1251);

    // The package bytes and the file (through the safe rewrite; IoError).
    std::string bytes();
    void saveAs(const std::filesystem::path& file);

private:
    friend class Sheet;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vk7
