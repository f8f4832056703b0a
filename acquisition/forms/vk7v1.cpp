// Channel-1 view (TForm2, "Канал 1"): the recording of the pair's first channel as a curve.
#include "acquisition/forms/vk7v1.h"

#include "common/cp1251.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

TForm2::TForm2(AcquisitionEngine& engine, QWidget* parent) : QWidget(parent, Qt::Window), engine_(engine) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(toQString(RU("Канал 1")));
    resize(640, 326);
    ChannelViewEndSec_ = engine_.state().settings.recordTimeSec[0];
}

void TForm2::ShowChannelView() {
    show();
    raise();
    activateWindow();
}

void TForm2::RefreshView() {}

}  // namespace vk7
