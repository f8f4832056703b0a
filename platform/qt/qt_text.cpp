#include "platform/qt/qt_text.h"

#include "common/cp1251.h"

namespace vk7 {

QString toQString(std::string_view cp1251) {
    QString out;
    out.reserve(static_cast<qsizetype>(cp1251.size()));
    for (char c : cp1251) out.append(QChar(static_cast<char16_t>(cp1251ToUnicode(static_cast<unsigned char>(c)))));
    return out;
}

std::string fromQString(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (QChar ch : text) {
        int b = unicodeToCp1251(ch.unicode());
        out.push_back(b < 0 ? '?' : static_cast<char>(b));
    }
    return out;
}

}  // namespace vk7
