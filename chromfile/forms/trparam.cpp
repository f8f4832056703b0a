// Processing parameters window (TForm3) "Параметры обработки".
#include "chromfile/forms/trparam.h"

#include "common/cp1251.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

TForm3::TForm3(ProcessingState& state, QWidget* owner)
    : ToolWindow(QStringLiteral("Form3"), toQString(RU("Параметры обработки")), owner), state_(state) {
    resize(480, 320);
}

}  // namespace vk7
