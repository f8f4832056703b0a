// Verification by method Y window (TForm12) "Поверка по методу Y".
#include "results/forms/povery7.h"

#include "common/cp1251.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

TForm12::TForm12(ProcessingState& state, QWidget* owner)
    : ToolWindow(QStringLiteral("Form12"), toQString(RU("Поверка по методу Y")), owner), state_(state) {
    resize(480, 320);
}

}  // namespace vk7
