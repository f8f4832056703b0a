// vk7r: the signal acquisition program.
#include <chrono>
#include <thread>

#include <QApplication>

#include "acquisition/forms/helper.h"
#include "acquisition/forms/vk7u1.h"
#include "acquisition/forms/vk7v1.h"
#include "acquisition/forms/vk7v2.h"
#include "common/clock.h"
#include "common/cp1251.h"
#include "common/paths.h"
#include "platform/qt/alsa_sound_input.h"
#include "platform/qt/alsa_sound_output.h"
#include "platform/qt/cell_text_tips.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/window_placement.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/qt_translation.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    vk7::installWindowPlacement(app);  // every window opens whole on the screen
    vk7::installCellTextTips(app);     // a cut table cell shows its whole text on hover
    QApplication::setApplicationDisplayName(vk7::toQString(RU("ВМ-7. Прием.")));
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    vk7::installRussianQtTranslation(app);  // Qt's own dialogs and buttons in Russian

    const vk7::StartFolder start = vk7::StartFolder::current();
    vk7::QtDialogs dialogs;
    vk7::AlsaSoundInput input;
    vk7::AlsaSoundOutput output;
    vk7::SystemClock clock;
    auto sleep = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };

    // The four windows, the main one first; they live until the program ends.
    vk7::TForm1 form1(start, input, dialogs, clock, sleep, nullptr, &output);
    dialogs.setOwner(&form1);
    vk7::TForm2 form2(form1.engine());
    vk7::TForm3 form3(form1.engine());
    vk7::TForm4 form4(start);
    form1.setOtherForms(&form2, &form3, &form4);
    QObject::connect(&form1, &vk7::TForm1::programClosed, &app, &QApplication::quit, Qt::QueuedConnection);

    form1.show();
    return app.exec();
}
