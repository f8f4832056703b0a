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
#include "results/html_protocol.h"
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
    auto* form17 = new TForm17(state, services.dialogs, showHelp, main);
    auto* form18 = new TForm18(state, services.dialogs, showHelp, main);
    auto* form16 = new TForm16(state, services.dialogs, showHelp, form17, form18, main);
    form17->setMediumChosen([form16] { form16->SettingsChanged(); });
    w.Form16 = form16;
    w.Form17 = form17;
    w.Form18 = form18;
    w.Form19 = new TForm19(state, main);
    TForm4::Hooks tableHooks;
    tableHooks.plotChanged = [main] {
        main->RepaintPlot();
        main->SaveFigureGif();
    };
    tableHooks.appendCalibrationTable = [form6](const std::string& key, const std::vector<PeakRowForCalibration>& rows) {
        form6->AppendCalibrationTable(key, rows);
    };
    tableHooks.average = [main] { main->Average1Click(); };
    tableHooks.normalise = [main] { main->Normalise1Click(); };
    tableHooks.normalConditions = [main] { main->StartNormalConditions(); };
    tableHooks.formula = [main] { main->StartFormulaRecalc(); };
    tableHooks.html = [main, form4 = w.Form4, form16, shell = services.shell, &dialogs = services.dialogs] {
        ProcessingState& st = main->state();
        std::vector<ProtocolRow> rows;
        for (int r = 1; r <= form4->rowCount(); ++r)
            rows.push_back({form4->cellText(r, CellTime), form4->cellText(r, CellHeight), form4->cellText(r, CellArea),
                            form4->cellText(r, CellConc), form4->cellText(r, CellName)});
        const HtmlProtocolRun run = WriteHtmlProtocol(st.Start, rows, st.Settings.DataDir + st.Settings.FileName,
                                                      st.Chrom.CommentText, st.Settings.Decimals);
        if (run.Refusal) {
            dialogs.info(*run.Refusal);
            return;
        }
        st.HtmlProtocol = run.Settings;
        form16->SettingsChanged();
        if (!shell) return;
        const std::string message = OpenHtmlProtocol(st.Start, *shell);
        if (!message.empty()) dialogs.info(message);
    };
    w.Form4->setHooks(std::move(tableHooks));
    main->attachWindows(w);
    return form1;
}

}  // namespace vk7
