// The acquisition program's four windows over a temporary start folder, fed by the simulated
// box, for the window tests of vk7r.
#pragma once

#include <filesystem>
#include <memory>

#include <QApplication>

#include "acquisition/forms/helper.h"
#include "acquisition/forms/vk7u1.h"
#include "acquisition/forms/vk7v1.h"
#include "acquisition/forms/vk7v2.h"
#include "common/clock.h"
#include "common/paths.h"
#include "platform/scripted_dialogs.h"
#include "platform/simulated_box.h"
#include "tests/support/temp_dir.h"

namespace vk7::test {

// The installation data (install/) copied into `start`, as ./dev prepares a start folder.
inline void copyInstallation(const std::filesystem::path& start) {
    namespace fs = std::filesystem;
    const fs::path install = fs::path(VK7_SOURCE_DIR) / "install";
    for (const auto& e : fs::recursive_directory_iterator(install)) {
        const fs::path to = start / fs::relative(e.path(), install);
        if (e.is_directory()) fs::create_directories(to);
        else if (e.path().filename() != ".keep") fs::copy_file(e.path(), to);
    }
}

class AcquisitionWindows {
protected:
    // The windows created and the main one shown, as at the program's start.
    void openWindows() {
        form = std::make_unique<TForm1>(StartFolder(dir.path()), box, dialogs, clock, [](int) {});
        form2 = std::make_unique<TForm2>(form->engine());
        form3 = std::make_unique<TForm3>(form->engine());
        form4 = std::make_unique<TForm4>(StartFolder(dir.path()));
        form->setOtherForms(form2.get(), form3.get(), form4.get());
        form->show();
        QApplication::processEvents();
    }

    TempDir dir;
    SimulatedBox box;
    ScriptedDialogs dialogs;
    FixedClock clock{LocalDateTime{2024, 5, 6, 14, 5, 0}};
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TForm2> form2;
    std::unique_ptr<TForm3> form3;
    std::unique_ptr<TForm4> form4;
};

}  // namespace vk7::test
