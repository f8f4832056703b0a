// The files the HTML protocol is prepared with: \space\prot.dat (its settings), \space\komp.dat
// (the examined media and the norm of each substance per medium) and \space\mask.dat (which
// of the first 32 table rows count in each of the six group sums EC1 .. EC6).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/paths.h"
#include "processing/html_protocol_settings.h"

namespace vk7 {

// ---- prot.dat: "v", Medium, the blank, the number, Operator ----
inline constexpr size_t kMediumMax = 32;
inline constexpr size_t kBlankNameMax = 32;
inline constexpr size_t kOperatorMax = 64;
HtmlProtocolSettings parseHtmlProtocolSettings(const std::vector<std::string>& lines);
std::vector<std::string> htmlProtocolSettingsLines(const HtmlProtocolSettings& settings);
// A missing prot.dat gives empty settings. Throw IoError.
HtmlProtocolSettings LoadHtmlProtocolSettings(const StartFolder& start);
void SaveHtmlProtocolSettings(const StartFolder& start, const HtmlProtocolSettings& settings);

// ---- komp.dat ----
inline constexpr size_t kNormNameWidth = 24;  // a substance name takes columns 1-24
inline constexpr size_t kNormFieldWidth = 10;
inline constexpr size_t kNormsLineMax = 128;
inline constexpr size_t kNormsGridMedia = 9;  // the media the norms window has columns for
// The longest substance name whose line still holds the norms of nine media.
inline constexpr size_t kNormNameMax = kNormsLineMax - kNormFieldWidth * kNormsGridMedia;

struct NormsTable {
    std::vector<std::string> Media;
    struct Substance {
        std::string Name;
        std::vector<std::optional<double>> Norms;  // one per medium; none: no norm
    };
    std::vector<Substance> Substances;

    // The index of a medium (exact comparison), or none.
    std::optional<size_t> mediumIndex(std::string_view medium) const;
    // The norm of `substance` (trailing blanks ignored) for medium `k`: that of the substance
    // of the same whole name, else that of the first whose name begins with it as its first
    // word ("Бензол чистый" for "Бензол"). None for an empty name.
    std::optional<double> norm(std::string_view substance, size_t k) const;
};
// The media up to the first line whose second character is '-', then one substance per
// line: the name in columns 1-24 (trailing blanks removed), the norm of medium k in the ten
// characters from column 25 + 10k; a blank or zero field is no norm. A name longer than 24
// characters is written whole with its norms after it: a line longer than 24 characters
// and the norms of all media, whose text before those norms is longer than 24 characters,
// holds such a name, unless its column 24 is a blank and the fields from column 25 read as
// norms (a padded name before a norm wider than 10 characters, as older files have it). A
// line with neither a name nor a norm is no substance.
NormsTable parseNormsTable(const std::vector<std::string>& lines);
// The media, "-------------", then each substance: the name padded to 24 (a longer one
// whole), each norm in 10 characters (normText), the line cut to 128. A substance with
// neither a name nor a norm is left out.
std::vector<std::string> normsTableLines(const NormsTable& table);
// A norm in 10 characters: with 3 decimals where they keep four significant digits (from 1
// on, to 999999.999) or the whole value (0.1, 0.25); else in the exponent form of 10
// characters with at least four significant digits (" 1.5000E-3", " 1.0000E+6"). None or
// 0: ten blanks.
std::string normText(std::optional<double> norm);
// A missing komp.dat gives an empty table. Throw IoError.
NormsTable LoadNormsTable(const StartFolder& start);
void SaveNormsTable(const StartFolder& start, const NormsTable& table);

// ---- mask.dat ----
inline constexpr int kSumsMaskRows = 32;
inline constexpr int kGroupSums = 6;
// 32 lines of six marks, '1' or '0': at most 32 lines are read, each to its sixth character;
// missing lines and characters are '0'.
std::vector<std::string> parseSumsMask(const std::vector<std::string>& lines);
// A missing mask.dat gives 32 lines "000000". Throw IoError.
std::vector<std::string> LoadSumsMask(const StartFolder& start);
void SaveSumsMask(const StartFolder& start, const std::vector<std::string>& mask);

}  // namespace vk7
