// The HTML protocol: the report blank \doc\<blank> copied into \results\prot.htm with each
// placeholder (a keyword of \space\formu.dat between two '@') replaced by a value of the
// analysis, and the table-row blocks of the blank ("<tr>" .. "</tr>" whose second line holds
// the keyword "komp", "C" or "pdk") repeated once per named substance of the peak table.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/paths.h"
#include "platform/shell.h"
#include "processing/html_protocol_settings.h"
#include "results/protocol_files.h"

namespace vk7 {

// One data row of the peak-table grid as it shows it.
struct ProtocolRow {
    std::string Time;    // "t, мин"
    std::string Height;  // "h, мВ"
    std::string Area;    // "S, мВ.с"
    std::string Conc;    // "C, 1/см3"
    std::string Name;    // "Вещество"
};

// Everything a protocol is built from, read beforehand.
struct HtmlProtocolInput {
    HtmlProtocolSettings Settings;           // as read from prot.dat
    std::vector<std::string> Keywords;       // formu.dat: line n is the keyword of code n
    NormsTable Norms;
    std::vector<std::string> Mask;           // mask.dat
    std::vector<std::string> Passport;       // pasp.txt
    std::vector<ProtocolRow> Rows;
    std::string FilePath;                    // DataDir + FileName
    std::string Comment;
    int Decimals = 3;
    std::vector<std::string> Blank;          // the lines of the blank
};

struct HtmlProtocolPage {
    std::optional<std::string> Refusal;  // nothing was built
    std::string Bytes;                   // the page, lines ended by CR LF
    HtmlProtocolSettings Settings;       // with the number as printed
};

// "Файл " and the path below the first folder named "data" (any case, a whole folder name),
// each name after a '\' ("Файл \proba\h12a.hrm"); the whole path when it has no such folder.
std::string protocolFileText(std::string_view path);

// The protocol's values: norms, sums, the exceedance count and the sentences.
class ProtocolValues {
public:
    explicit ProtocolValues(const HtmlProtocolInput& input);
    // `line` with its first placeholder replaced; `row` is the 0-based current row of a
    // table-row block, or none outside one (row codes then insert nothing). An unknown key
    // leaves the placeholder.
    std::string substitute(std::string_view line, std::optional<size_t> row) const;
    // The key of the first placeholder of a line, or none when it has none.
    static std::optional<std::string> firstKey(std::string_view line);
    int code(std::string_view key) const;  // 0 for an unknown key
    int exceedances() const { return exceedances_; }

private:
    std::string value(int code, std::optional<size_t> row) const;

    const HtmlProtocolInput& in_;
    std::vector<double> conc_;
    std::vector<std::optional<double>> norms_;
    double sum_ = 0;
    double groups_[kGroupSums] = {};
    int exceedances_ = 0;
};

// Builds the page. Refused, when the blank uses a code that depends on the norms (2, 4, 8, 9,
// 11) and the medium is not among the media of komp.dat: "Среда "<medium>" не найдена в
// таблице ПДК". The number is raised by one (modulo 65536) unless the blank's name begins
// with "base" or "Base".
HtmlProtocolPage BuildHtmlProtocol(const HtmlProtocolInput& input);

// Reads the inputs (prot.dat, formu.dat, komp.dat, mask.dat, \results\pasp.txt, the blank),
// builds the page, writes it to a temporary, rewrites prot.dat when the number changed and
// renames the temporary over \results\prot.htm. Returns the refusal ("Нет бланка \doc\<name>",
// "Нет файла \space\komp.dat", the medium's refusal) with nothing written, or the settings as
// now stored. Throws IoError.
struct HtmlProtocolRun {
    std::optional<std::string> Refusal;
    HtmlProtocolSettings Settings;
};
HtmlProtocolRun WriteHtmlProtocol(const StartFolder& start, const std::vector<ProtocolRow>& rows,
                                  std::string_view filePath, std::string_view comment, int decimals);

// Shows \results\prot.htm through the shell: "Нет файла \results\prot.htm" when there is
// none, "Не удалось открыть файл \results\prot.htm" when the shell failed, else empty.
std::string OpenHtmlProtocol(const StartFolder& start, Shell& shell);

}  // namespace vk7
