// Channel-2 view (TForm3, "Канал 2"): the recording of the pair's second channel as a curve.
#include "acquisition/forms/vk7v2.h"

#include "common/cp1251.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

TForm3::TForm3(AcquisitionEngine& engine, QWidget* parent) : QWidget(parent, Qt::Window), engine_(engine) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(toQString(RU("Канал 2")));
    resize(640, 326);
    ChannelViewEndSec_ = engine_.state().settings.recordTimeSec[1];
}

void TForm3::ShowChannelView() {
    show();
    raise();
    activateWindow();
}

void TForm3::RefreshView() {}

}  // namespace vk7
