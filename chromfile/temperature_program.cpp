#include "chromfile/temperature_program.h"

#include <algorithm>
#include <string>
#include <vector>

#include "common/number_text.h"

namespace vk7 {

namespace {

// A programme number: at most 4 characters, read leniently (empty gives 0), and kept within
// what 4 plain digits can say (-999 .. 9999) so that "9e99" cannot wrap around; sums of
// eleven such numbers stay far inside int.
int boundedNumber(std::string_view text) { return static_cast<int>(std::clamp<int64_t>(parseLenientInt(text), -999, 9999)); }
int programNumber(std::string_view text) { return boundedNumber(text.substr(0, 4)); }

bool isRateItem(std::string_view item) { return item.find('/') != std::string_view::npos; }

std::string_view upTo(std::string_view text, char stop) {
    size_t p = text.find(stop);
    return p == std::string_view::npos ? text : text.substr(0, p);
}

// The word between the first and the second blank.
std::string_view secondWord(std::string_view text) {
    size_t first = text.find(' ');
    if (first == std::string_view::npos) return {};
    std::string_view rest = text.substr(first + 1);
    return upTo(rest, ' ');
}

}  // namespace

TemperatureProgram ParseTemperatureProgram(std::string_view text, int durationSec) {
    TemperatureProgram p;
    const double durationMin = durationSec / 60.0;
    const int durationRounded = static_cast<int>(roundHalfEven(durationMin));

    size_t colon = text.find(':');
    std::string_view itemsText = colon == std::string_view::npos ? text : text.substr(colon + 1);

    std::vector<std::string_view> items;
    size_t pos = 0;
    while (pos <= itemsText.size() && items.size() < 11) {
        size_t semi = itemsText.find(';', pos);
        std::string_view item =
            trimBlanks(itemsText.substr(pos, semi == std::string_view::npos ? std::string_view::npos : semi - pos));
        if (!item.empty()) items.push_back(item);
        if (semi == std::string_view::npos) break;
        pos = semi + 1;
    }

    if (items.empty()) {
        const int t = boundedNumber(secondWord(text));
        p.FinalTemperature = t;
        p.TempProgramTemps[0] = p.TempProgramTemps[1] = t;
        p.TempProgramTimes[0] = 0;
        p.TempProgramTimes[1] = std::max(0, durationRounded);
        p.TempProgramCount = 1;
        return p;
    }

    int i = 0;
    int rate = 0;
    for (size_t k = 0; k < items.size(); ++k) {
        const std::string_view item = items[k];
        if (isRateItem(item)) {
            // A rate leads from one hold to the next: one with no hold before it or right
            // after it has nothing to lead between and is ignored.
            if (i == 0 || k + 1 == items.size() || isRateItem(items[k + 1])) continue;
            rate = programNumber(upTo(item, 'g'));
        } else {
            const int t = programNumber(upTo(item, 'g'));
            size_t dash = item.find('-');
            const int minutes = dash == std::string_view::npos ? 0 : programNumber(upTo(item.substr(dash + 1), 'm'));
            p.TempProgramTemps[i] = p.TempProgramTemps[i + 1] = t;
            if (i > 0 && rate > 0)
                p.TempProgramTimes[i] = p.TempProgramTimes[i - 1] + static_cast<int>(roundHalfEven(double(t - p.TempProgramTemps[i - 1]) / rate));
            if (i > 0) p.TempProgramTimes[i] = std::max(p.TempProgramTimes[i], p.TempProgramTimes[i - 1]);
            p.TempProgramTimes[i + 1] = std::max(p.TempProgramTimes[i] + minutes, p.TempProgramTimes[i]);
            rate = 0;
        }
        ++i;
    }

    // Rates alone hold no temperature: the programme is a flat line at 0, as an item
    // without a number would give.
    const int n = std::max(i, 1);
    if (durationMin > p.TempProgramTimes[n]) p.TempProgramTimes[n] = durationRounded;
    p.TempProgramTimes[n] = std::max(p.TempProgramTimes[n], p.TempProgramTimes[n - 1]);
    p.TempProgramTemps[n] = p.TempProgramTemps[n - 1];
    p.FinalTemperature = p.TempProgramTemps[n];
    p.TempProgramCount = n;
    return p;
}

}  // namespace vk7
