#include "processing/forms/program_windows.h"

#include <QLineEdit>

#include "chromfile/forms/pasp.h"
#include "chromfile/forms/trparam.h"
#include "common/cp1251.h"
#include "modelling/forms/model7.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/tool_window.h"
#include "processing/forms/grad_tab.h"
#include "processing/forms/grgraph.h"
#include "processing/forms/helpert.h"
#include "processing/forms/komment.h"
#include "processing/forms/picmod.h"
#include "processing/forms/pictures.h"
#include "processing/forms/spisok.h"
#include "processing/forms/table.h"
#include "results/forms/base7.h"
#include "results/forms/poverx.h"
#include "results/forms/povery7.h"
#include "results/forms/sredy7.h"
#include "results/forms/ustexl7.h"
#include "results/forms/usthtm7.h"
#include "results/forms/vibsum7.h"

namespace vk7 {

std::unique_ptr<TForm1> CreateProgramWindows(StartFolder start, TForm1::Services services) {
    auto form1 = std::make_unique<TForm1>(std::move(start), services);
    TForm1* main = form1.get();
    ProcessingState& state = main->state();
    auto showHelp = [main](HelpPage page) { main->ShowHelpPage(page); };

    TForm1::Windows w;
    // The passport changes the open chromatogram: read it again when its samples or rate
    // changed in the file, else show the new header values.
    auto passportChanged = [main](bool reread) {
        if (reread) {
            main->ReloadChromatogram();
            return;
        }
        main->Edit2->setText(toQString(main->state().Chrom.CommentText));
        main->RepaintPlot();
    };
    w.Form2 = new TForm2(state, services.dialogs, {showHelp, passportChanged}, main);
    w.Form3 = new TForm3(state, main);
    w.Form4 = new TForm4(state, services.dialogs, showHelp, main);
    w.Form5 = new TForm5(state.Start, services.dialogs, main);
    auto* form6 = new TForm6(state.Start, state.Settings.CalibrationArchiveName, services.dialogs, showHelp, main);
    w.Form6 = form6;
    w.Form7 = new TForm7(showHelp, main);
    w.Form8 = new TForm8(state, main);
    w.Form9 = new TForm9(state, main);
    w.Form10 = new TForm10(state.Start, main);
    w.Form11 = new TForm11(state, main);
    w.Form12 = new TForm12(state, main);
    w.Form13 = new TForm13(state, main);
    w.Form14 = new TForm14(state, services.dialogs, services.clock, showHelp, main);
    w.Form15 = new TForm15(main);
    w.Form16 = new TForm16(state, main);
    w.Form17 = new TForm17(state, main);
    w.Form18 = new TForm18(state, main);
    w.Form19 = new TForm19(state, main);
    TForm4::Hooks tableHooks;
    tableHooks.plotChanged = [main] {
        main->RepaintPlot();
        main->SaveFigureGif();
    };
    tableHooks.appendCalibrationTable = [form6](const std::string& key, const std::vector<PeakRowForCalibration>& rows) {
        form6->AppendCalibrationTable(key, rows);
    };
    w.Form4->setHooks(std::move(tableHooks));
    main->attachWindows(w);
    return form1;
}

}  // namespace vk7
