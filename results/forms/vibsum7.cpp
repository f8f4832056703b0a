// Selected sums window (TForm18) "Выборочные суммы".
#include "results/forms/vibsum7.h"

#include "common/cp1251.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

TForm18::TForm18(ProcessingState& state, QWidget* owner)
    : ToolWindow(QStringLiteral("Form18"), toQString(RU("Выборочные суммы")), owner), state_(state) {
    resize(480, 320);
}

}  // namespace vk7
