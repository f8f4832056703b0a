#include "chromfile/chromatogram_key.h"

#include "common/number_text.h"

namespace vk7 {

std::string BuildChromatogramKey(const OpenChromatogram& c) {
    std::string key = "#";
    key += intText(c.DetectorIndex, 2);
    key += intText(c.GasIndex, 2);
    key += intText(c.ColumnIndex, 3);
    for (const std::string& field : c.PassportFieldTexts) key += padLeft(field, 4);
    key += "   0   0";
    key += intText(c.SmIndex, 4);
    key += expTextWithin(c.PassportR, 10);
    key += " 4";
    key += intText(c.UnitCode, 2);
    key += intText(c.SignalMultiplier, 5);
    return key;
}

bool sameKeyConditions(std::string_view line, std::string_view key) {
    return line.size() >= kKeyConditionChars && key.size() >= kKeyConditionChars &&
           line.substr(0, kKeyConditionChars) == key.substr(0, kKeyConditionChars);
}

}  // namespace vk7
