// Channel-2 view (TForm3, "Канал 2"): the recording of the pair's second channel, in maroon.
#include "acquisition/forms/vk7v2.h"

#include "common/cp1251.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

TForm3::TForm3(AcquisitionEngine& engine, QWidget* parent)
    : ChannelViewWindow(engine, 2, 0x000080, toQString(RU("Канал 2")), parent) {
    setObjectName(QStringLiteral("Form3"));
}

}  // namespace vk7
