// Calibration graphs window (TForm9) "Градуировочные графики для актуальных компонентов".
#include "processing/forms/grgraph.h"

#include "common/cp1251.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

TForm9::TForm9(ProcessingState& state, QWidget* owner)
    : ToolWindow(QStringLiteral("Form9"), toQString(RU("Градуировочные графики для актуальных компонентов")), owner), state_(state) {
    resize(480, 320);
}

}  // namespace vk7
