// Topic summaries window (TForm13) "Сводные данные по результатам анализов".
#include "results/forms/base7.h"

#include "common/cp1251.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

TForm13::TForm13(ProcessingState& state, QWidget* owner)
    : ToolWindow(QStringLiteral("Form13"), toQString(RU("Сводные данные по результатам анализов")), owner), state_(state) {
    resize(480, 320);
}

}  // namespace vk7
