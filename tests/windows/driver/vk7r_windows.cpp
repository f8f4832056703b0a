// Every window of vk7r on the screen of this process (see placement_check.h).
#include <QComboBox>
#include <QTableWidget>
#include <QToolButton>

#include "acquisition/forms/helper.h"
#include "acquisition/forms/vk7u1.h"
#include "acquisition/forms/vk7v1.h"
#include "acquisition/forms/vk7v2.h"
#include "common/clock.h"
#include "platform/scripted_dialogs.h"
#include "platform/simulated_box.h"
#include "tests/windows/driver/placement_check.h"

using namespace vk7;
using namespace vk7::test;

namespace {

void acquisitionProgram(const StartFolder& start) {
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2026, 3, 5, 14, 7, 0}};
    SimulatedBox box;
    TForm1 form1(start, box, dialogs, clock, [](int) {});
    TForm2 form2(form1.engine());
    TForm3 form3(form1.engine());
    TForm4 form4(start);
    form1.setOtherForms(&form2, &form3, &form4);
    showEverywhere(nullptr, &form1, "vk7r");
    form1.show();
    form1.Panel1->hide();  // the about panel, gone after three seconds
    // The main window's setups: the voltage calibration, the list of the regime grid over the
    // column row (the longest entries of the installed dictionaries).
    form1.SpeedButton11->click();
    check(nullptr, &form1, "vk7r", "calibration");
    form1.SpeedButton18->click();
    emit form1.StGr1->cellClicked(4, 1);
    check(nullptr, &form1, "vk7r", "regime-list");
    form1.ComboBox3->hide();
    for (QWidget* w : {static_cast<QWidget*>(&form2), static_cast<QWidget*>(&form3), static_cast<QWidget*>(&form4)})
        showEverywhere(&form1, w, "vk7r");
    form1.hide();
}

}  // namespace

int main(int argc, char** argv) { return runPlacementDriver(argc, argv, acquisitionProgram); }
