// Picture viewer window (TForm5) "Изображения".
#include "processing/forms/pictures.h"

#include "common/cp1251.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

TForm5::TForm5(ProcessingState& state, QWidget* owner)
    : ToolWindow(QStringLiteral("Form5"), toQString(RU("Изображения")), owner), state_(state) {
    resize(480, 320);
}

}  // namespace vk7
