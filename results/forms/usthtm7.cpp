// HTML protocol settings window (TForm16) "Протоколы HTML".
#include "results/forms/usthtm7.h"

#include "common/cp1251.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

TForm16::TForm16(ProcessingState& state, QWidget* owner)
    : ToolWindow(QStringLiteral("Form16"), toQString(RU("Протоколы HTML")), owner), state_(state) {
    resize(480, 320);
}

}  // namespace vk7
