// Channel-1 view (TForm2, "Канал 1"): the recording of the pair's first channel, in blue.
#include "acquisition/forms/vk7v1.h"

#include "common/cp1251.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

TForm2::TForm2(AcquisitionEngine& engine, QWidget* parent)
    : ChannelViewWindow(engine, 1, 0xFF0000, toQString(RU("Канал 1")), parent) {
    setObjectName(QStringLiteral("Form2"));
}

}  // namespace vk7
