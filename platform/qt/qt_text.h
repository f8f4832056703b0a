// Conversion between the engine's Windows-1251 texts and the widgets' QString.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace vk7 {

QString toQString(std::string_view cp1251);
std::string fromQString(const QString& text);

}  // namespace vk7
