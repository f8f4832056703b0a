// Media and norms window (TForm17) "Обследуемые среды , ПДК или нормы".
#include "results/forms/sredy7.h"

#include "common/cp1251.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

TForm17::TForm17(ProcessingState& state, QWidget* owner)
    : ToolWindow(QStringLiteral("Form17"), toQString(RU("Обследуемые среды , ПДК или нормы")), owner), state_(state) {
    resize(480, 320);
}

}  // namespace vk7
