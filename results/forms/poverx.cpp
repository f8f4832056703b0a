// Verification by method X window (TForm11) "Поверка по методу Х".
#include "results/forms/poverx.h"

#include "common/cp1251.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

TForm11::TForm11(ProcessingState& state, QWidget* owner)
    : ToolWindow(QStringLiteral("Form11"), toQString(RU("Поверка по методу Х")), owner), state_(state) {
    resize(480, 320);
}

}  // namespace vk7
