// Peak modelling window (TForm8) "Моделирование пиков".
#include "processing/forms/picmod.h"

#include "common/cp1251.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

TForm8::TForm8(ProcessingState& state, QWidget* owner)
    : ToolWindow(QStringLiteral("Form8"), toQString(RU("Моделирование пиков")), owner), state_(state) {
    resize(480, 320);
}

}  // namespace vk7
