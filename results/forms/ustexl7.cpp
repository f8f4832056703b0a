// Excel protocol settings window (TForm19) "Протоколы Excel".
#include "results/forms/ustexl7.h"

#include "common/cp1251.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

TForm19::TForm19(ProcessingState& state, QWidget* owner)
    : ToolWindow(QStringLiteral("Form19"), toQString(RU("Протоколы Excel")), owner), state_(state) {
    resize(480, 320);
}

}  // namespace vk7
