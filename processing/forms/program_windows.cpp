#include "processing/forms/program_windows.h"

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QTableWidget>

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
#include "results/office_protocols.h"

namespace vk7 {

namespace {

// What a repeatability check takes from the peak-table window: X the table of one
// chromatogram, Y the summary of several.
VerificationWindow::Services verificationServices(VerificationMethod method, TForm1* main, TForm4* table,
                                                  const TForm1::Services& services) {
    ProcessingState& state = main->state();
    auto source = [method, &state, table] {
        VerificationSource out;
        const bool summary = table->content().SummaryShown;
        out.available = state.ProgramMode == ModePeakTable && summary == (method == VerificationMethod::Y);
        if (!out.available) return out;
        for (int r = 1; r <= table->rowCount(); ++r)
            out.rows.push_back({table->cellText(r, CellTime), table->cellText(r, CellHeight),
                                table->cellText(r, CellWidth), table->cellText(r, CellArea)});
        if (method == VerificationMethod::X)
            out.names.push_back(state.Settings.FileName);
        else
            for (const auto& block : table->content().SummaryFiles) out.names.push_back(chromatogramStem(block.FileName));
        return out;
    };
    return {services.dialogs, services.shell, services.clock,
            [main](HelpPage page) { main->ShowHelpPage(page); }, std::move(source), state.Start};
}

}  // namespace

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
    w.Form3 = new TForm3(state, services.dialogs, main);
    w.Form4 = new TForm4(state, services.dialogs, showHelp, main);
    w.Form5 = new TForm5(state.Start, services.dialogs, main);
    auto* form6 = new TForm6(state.Start, state.Settings.CalibrationArchiveName, services.dialogs, showHelp, main);
    w.Form6 = form6;
    w.Form7 = new TForm7(showHelp, main);
    w.Form8 = new TForm8(state, services.dialogs, main);
    w.Form9 = new TForm9(state, services.dialogs, services.printer, showHelp, main);
    w.Form10 = new TForm10(state.Start, main);
    w.Form11 = new TForm11(verificationServices(VerificationMethod::X, main, w.Form4, services), main);
    w.Form12 = new TForm12(verificationServices(VerificationMethod::Y, main, w.Form4, services), main);
    w.Form13 = new TForm13(state,
                           {services.dialogs, services.printer, showHelp,
                            [start = state.Start](const QImage& image) { return SavePlotPicture(image, start); },
                            [form4 = w.Form4] { return form4->content().SummaryShown; },
                            [form4 = w.Form4] { return form4->content().NormalisedShown; }},
                           main);
    w.Form14 = new TForm14(state, services.dialogs, services.clock, showHelp, main);
    w.Form15 = new TForm15(main);
    auto* form17 = new TForm17(state, services.dialogs, showHelp, main);
    auto* form18 = new TForm18(state, services.dialogs, showHelp, main);
    auto* form16 = new TForm16(state, services.dialogs, showHelp, form17, form18, main);
    form17->setMediumChosen([form16] { form16->SettingsChanged(); });
    w.Form16 = form16;
    w.Form17 = form17;
    w.Form18 = form18;
    auto* form19 = new TForm19(state, services.dialogs, showHelp, main);
    w.Form19 = form19;
    TForm4::Hooks tableHooks;
    tableHooks.plotChanged = [main] {
        main->RepaintPlot();
        main->SaveFigureGif();
    };
    tableHooks.appendCalibrationTable = [form6](const std::string& key, const std::vector<PeakRowForCalibration>& rows) {
        form6->AppendCalibrationTable(key, rows);
    };
    tableHooks.print = [form4 = w.Form4, &printer = services.printer] { form4->PrintTable(printer); };
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
    // The protocols of the analysis from what the peak table and the passport show.
    TForm4* table = w.Form4;
    TForm2* passport = w.Form2;
    auto protocolInput = [&state, table, passport] {
        AnalysisProtocolInput in;
        in.FileName = state.Settings.FileName;
        in.Comment = state.Chrom.CommentText;
        in.PeakCount = state.Markup.PeakCount();
        for (int r = 0; r <= table->rowCount(); ++r) {
            std::vector<std::string> row;
            for (int c = 0; c < kPeakTableGridColumns; ++c) row.push_back(table->cellText(r, c));
            in.Grid.push_back(std::move(row));
        }
        const PassportGrid& grid = passport->grid();
        for (size_t i = 0; i < in.Passport.size() && i < grid.Captions.size(); ++i)
            in.Passport[i] = {grid.Captions[i], grid.Cells[i]};
        return in;
    };
    Shell* shell = services.shell;
    Dialogs& dialogs = services.dialogs;
    tableHooks.word = [&state, &dialogs, shell, protocolInput] {
        const std::string message = WriteWordProtocol(state.Start, protocolInput());
        if (!message.empty()) return dialogs.info(message);
        if (shell) shell->open(wordProtocolPath(state.Start));
    };
    tableHooks.excel = [&state, &dialogs, shell, protocolInput, form19] {
        const ExcelProtocolOutcome outcome = WriteExcelProtocol(state.Start, protocolInput());
        if (!outcome.Message.empty()) return dialogs.info(outcome.Message);
        form19->protocolNumberChanged(outcome.NewNumber);
        if (shell) shell->open(excelProtocolPath(state.Start));
    };
    w.Form4->setHooks(std::move(tableHooks));
    // The checks follow the peak table while they are shown.
    QAbstractItemModel* tableModel = w.Form4->Grid->model();
    for (VerificationWindow* check : {static_cast<VerificationWindow*>(w.Form11), static_cast<VerificationWindow*>(w.Form12)}) {
        QObject::connect(tableModel, &QAbstractItemModel::dataChanged, check, &VerificationWindow::peakTableChanged);
        QObject::connect(tableModel, &QAbstractItemModel::rowsInserted, check, &VerificationWindow::peakTableChanged);
        QObject::connect(tableModel, &QAbstractItemModel::rowsRemoved, check, &VerificationWindow::peakTableChanged);
        QObject::connect(tableModel, &QAbstractItemModel::modelReset, check, &VerificationWindow::peakTableChanged);
        check->watchTableWindow(w.Form4);
    }
    TForm4* form4 = w.Form4;
    TForm8::Hooks modelHooks;
    modelHooks.plotCanvas = [main]() -> Canvas& { return main->PaintBox1->canvas(); };
    modelHooks.repaintPlot = [main] { main->RepaintPlot(); };
    modelHooks.showHelpPage = showHelp;
    modelHooks.applyAreas = [form4, &state](PeakMarkup markup) {
        RewritePeakTable(state, form4->content(), std::move(markup));
        if (!form4->content().SummaryShown) form4->FillPeakTableGrid();
    };
    w.Form8->setHooks(std::move(modelHooks));
    w.Form3->setHooks({[main] { main->ReloadChromatogram(); }, [form6] { form6->SpeedButton1Click(); }, showHelp});
    main->attachWindows(w);
    return form1;
}

}  // namespace vk7
