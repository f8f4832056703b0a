// Peak table window (TForm4) "Таблица пиков".
#include "processing/forms/table.h"

#include "common/cp1251.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

TForm4::TForm4(ProcessingState& state, QWidget* owner)
    : ToolWindow(QStringLiteral("Form4"), toQString(RU("Таблица пиков")), owner), state_(state) {
    resize(480, 320);
}

}  // namespace vk7
