// Chromatogram modelling window (TForm14) "Моделирование хроматограмм".
#include "modelling/forms/model7.h"

#include "common/cp1251.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

TForm14::TForm14(ProcessingState& state, QWidget* owner)
    : ToolWindow(QStringLiteral("Form14"), toQString(RU("Моделирование хроматограмм")), owner), state_(state) {
    resize(480, 320);
}

}  // namespace vk7
