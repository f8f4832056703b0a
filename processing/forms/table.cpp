// Peak table window (TForm4) "Таблица пиков".
#include "processing/forms/table.h"

#include <algorithm>

#include <QAction>
#include <QColor>
#include <QComboBox>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QHeaderView>
#include <QLineEdit>
#include <QResizeEvent>
#include <QShowEvent>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>

#include "chromfile/chromatogram_key.h"
#include "common/cp1251.h"
#include "common/files.h"
#include "common/number_text.h"
#include "platform/qt/event_guard.h"
#include "platform/qt/qt_text.h"
#include "processing/forms/spisok.h"
#include "processing/forms/vk7tu1.h"
#include "processing/table_rows.h"
#include "results/printing.h"

namespace vk7 {

namespace {

constexpr int kWidth = 720;
constexpr int kMinHeight = 160;
constexpr int kFixedColumns = 7;  // N .. S%: not editable
constexpr int kColumnWidths[kPeakTableGridColumns] = {32, 48, 56, 40, 37, 70, 51, 56, 41, 179, 39};

QString ru(const std::string& cp1251) { return toQString(cp1251); }

QToolButton* speedButton(QWidget* parent, const char* name, const QString& caption, const std::string& hint) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(caption);
    b->setToolTip(ru(hint));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

}  // namespace

TForm4::TForm4(ProcessingState& state, Dialogs& dialogs, std::function<void(HelpPage)> showHelpPage, QWidget* owner)
    : ToolWindow(QStringLiteral("Form4"), ru(PeakTableCaption()), owner), state_(state), dialogs_(dialogs),
      showHelpPage_(std::move(showHelpPage)) {
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    Grid = new QTableWidget(0, kPeakTableGridColumns, Panel1);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->verticalHeader()->hide();
    Grid->verticalHeader()->setDefaultSectionSize(18);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setWordWrap(false);
    Grid->setTextElideMode(Qt::ElideNone);
    Grid->horizontalHeader()->setHighlightSections(false);
    Grid->horizontalHeader()->setStretchLastSection(true);
    QFont small = Grid->font();
    small.setPointSize(8);
    Grid->setFont(small);
    Grid->horizontalHeader()->setFont(small);
    Grid->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::DoubleClicked);
    // FormCreate: the column captions.
    const std::string captions[kPeakTableGridColumns] = {
        "N", RU("t, мин"), RU("h, мВ"), RU("b, с"), RU("K асс"), RU("S, мВ.с"), RU("S, %"), RU("C, 1/см3"),
        RU("d, %"), RU("Вещество"), RU("Статус")};
    QStringList labels;
    for (const std::string& c : captions) labels << ru(c);
    Grid->setHorizontalHeaderLabels(labels);
    // The columns of numbers as laid out, or wider where this font needs it for their widest
    // texts: a number cut at its left (the cells are right-aligned and not elided) would read
    // as another number. The name's column gives back what the numbers took, down to 120.
    const QString widest[kPeakTableGridColumns] = {QStringLiteral("999"),        QStringLiteral("999.99"),
                                                   QStringLiteral("-9.9E+0005"), QStringLiteral("999.9"),
                                                   QStringLiteral("-99.9"),      QStringLiteral("-9.9E+0005"),
                                                   QStringLiteral("-100.00"),    QStringLiteral("-9.9E+0005"),
                                                   QString(),                    QString(),
                                                   QString()};
    const QFontMetrics digits(small);
    const int margin = 2 * (Grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, Grid) + 1);
    int added = 0;
    for (int c = 0; c < kPeakTableGridColumns; ++c) {
        int width = kColumnWidths[c];
        if (!widest[c].isEmpty()) width = std::max(width, digits.horizontalAdvance(widest[c]) + margin);
        added += width - kColumnWidths[c];
        Grid->setColumnWidth(c, width);
    }
    Grid->setColumnWidth(CellName, std::max(120, kColumnWidths[CellName] - added));

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameShape(QFrame::StyledPanel);
    SpeedButton20 = speedButton(Panel2, "SpeedButton20", QStringLiteral("?"), RU("Помощь (F1)"));
    SpeedButton1 = speedButton(Panel2, "SpeedButton1", ru(RU("Печ")), RU("Печатать таблицу и паспорт"));
    SpeedButton2 = speedButton(Panel2, "SpeedButton2", QStringLiteral("St"), RU("Превратить в стандарт для градуировки"));
    SpeedButton4 = speedButton(Panel2, "SpeedButton4", QStringLiteral("Excel"), RU("Отправить в протокол Excel"));
    SpeedButton5 = speedButton(Panel2, "SpeedButton5", QStringLiteral("Word"), RU("Отправить в протокол MSWord"));
    SpeedButton3 = speedButton(Panel2, "SpeedButton3", ru(RU("Вещ")), RU("включить/выключить подбор"));
    SpeedButton3->setCheckable(true);
    ComboBox1 = new QComboBox(Panel2);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->hide();
    SpeedButton6 = speedButton(Panel2, "SpeedButton6", QStringLiteral("HTML"), RU("Отправить в протокол HTML"));
    SpeedButton7 = speedButton(Panel2, "SpeedButton7", ru(RU("Нормал")), RU("Нормализация"));
    SpeedButton8 = speedButton(Panel2, "SpeedButton8", ru(RU("НКУ")), RU("Приведение к нормальным условиям"));
    SpeedButton9 = speedButton(Panel2, "SpeedButton9", QStringLiteral("C'=aC/b"), RU("Пересчет по формуле"));
    SpeedButton10 = speedButton(Panel2, "SpeedButton10", ru(RU("Усредн")), RU("Усреднение"));
    SpeedButton10->setEnabled(false);  // only in the several-files mode

    int x = 6;
    auto place = [&x](QWidget* w, int width) {
        w->setGeometry(x, 8, width, 25);
        x += width + 4;
    };
    place(SpeedButton20, 25);
    place(SpeedButton1, 34);
    place(SpeedButton2, 34);
    place(SpeedButton4, 44);
    place(SpeedButton5, 44);
    place(SpeedButton3, 34);
    place(ComboBox1, 190);
    place(SpeedButton6, 44);
    place(SpeedButton7, 52);
    place(SpeedButton8, 40);
    place(SpeedButton9, 60);
    place(SpeedButton10, 52);

    connect(SpeedButton20, &QToolButton::clicked, this, &TForm4::SpeedButton20Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm4::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm4::SpeedButton3Click);
    connect(ComboBox1, &QComboBox::activated, this, &TForm4::ComboBox1Change);
    const std::pair<QToolButton*, std::function<void()> Hooks::*> hooked[] = {
        {SpeedButton1, &Hooks::print},     {SpeedButton4, &Hooks::excel},
        {SpeedButton5, &Hooks::word},      {SpeedButton6, &Hooks::html},
        {SpeedButton7, &Hooks::normalise}, {SpeedButton8, &Hooks::normalConditions},
        {SpeedButton9, &Hooks::formula},   {SpeedButton10, &Hooks::average},
    };
    for (const auto& [button, hook] : hooked)
        connect(button, &QToolButton::clicked, this, [this, hook = hook] {
            if (hooks_.*hook) guarded(dialogs_, hooks_.*hook);
        });

    setFixedWidth(kWidth);
    setMinimumHeight(kMinHeight);
    resize(kWidth, 300);
    FormResize();
}

// --- Form events ------------------------------------------------------------------------

void TForm4::showEvent(QShowEvent* event) {
    ToolWindow::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TForm4::FormShow() {
    namePickMode_ = false;
    updatePicker();
}

void TForm4::resizeEvent(QResizeEvent* event) {
    ToolWindow::resizeEvent(event);
    FormResize();
}

// Panel2 47 pixels above the bottom, Panel1 down to 15 pixels above Panel2, the grid in
// Panel1 16 pixels less high.
void TForm4::FormResize() {
    const int h = std::max(height(), kMinHeight);
    Panel2->setGeometry(0, h - 47, kWidth, 47);
    Panel1->setGeometry(0, 0, kWidth, std::max(0, Panel2->y() - 15));
    Grid->setGeometry(8, 8, kWidth - 16, std::max(0, Panel1->height() - 16));
}

// --- Grid ---------------------------------------------------------------------------------

void TForm4::setCaption(const std::string& caption) { setWindowTitle(ru(caption)); }

void TForm4::fillGrid(const std::vector<std::vector<std::string>>& rows, const QColor& colour, const QColor& fixed,
                      const std::string& concHeading) {
    const QSignalBlocker block(Grid);
    Grid->clearContents();
    Grid->setRowCount(static_cast<int>(rows.size()));
    Grid->horizontalHeaderItem(CellConc)->setText(ru(concHeading));
    QPalette gridPalette = Grid->palette();
    gridPalette.setColor(QPalette::Base, colour);
    Grid->setPalette(gridPalette);
    const QBrush cellBrush(colour);
    const QBrush fixedBrush(fixed);
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const std::vector<std::string>& cells = rows[static_cast<size_t>(r)];
        for (int c = 0; c < kPeakTableGridColumns; ++c) {
            // Numbers are shown without the blanks that align them in the text files.
            const bool number = c <= CellDeviation;
            const std::string text = c < static_cast<int>(cells.size()) ? cells[static_cast<size_t>(c)] : std::string();
            auto* item = new QTableWidgetItem(ru(number ? std::string(trimBlanks(text)) : text));
            item->setTextAlignment((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (c >= kFixedColumns) flags |= Qt::ItemIsEditable;
            item->setFlags(flags);
            item->setBackground(c < kFixedColumns ? fixedBrush : cellBrush);
            Grid->setItem(r, c, item);
        }
    }
    if (!rows.empty()) Grid->setCurrentCell(0, CellName);
}

void TForm4::fillRows(const std::vector<PeakTableRow>& rows, bool summary) {
    std::vector<std::vector<std::string>> cells;
    cells.reserve(rows.size());
    for (const PeakTableRow& row : rows) cells.push_back(peakTableGridCells(row, summary));
    const QColor white(Qt::white);
    fillGrid(cells, white, summary ? white : palette().color(QPalette::Button), RU("C, 1/см3"));
    Grid->horizontalHeader()->setStyleSheet(QString());
    fileTableShown_ = false;
    rowsOfTabl_ = !summary;  // the table of one chromatogram is what tabl.txt holds
}

// Each row line cut at the columns of the result tables; the status "Расчет", or "-" for a
// peak that is not named.
void TForm4::loadFileGrid(const std::filesystem::path& file, bool normalised) {
    const TableText text = readTableText(file);
    std::vector<std::vector<std::string>> rows;
    rows.reserve(text.Rows.size());
    for (const std::string& line : text.Rows) {
        std::vector<std::string> cells;
        for (int c = 0; c < kTableColumnCount; ++c) cells.emplace_back(columnText(line, static_cast<TableColumn>(c)));
        const bool unnamed = trimBlanks(cells[CellName]) == "?";
        cells.push_back(unnamed ? std::string("-") : CalculatedStatusText());
        rows.push_back(std::move(cells));
    }
    if (normalised) {
        fillGrid(rows, palette().color(QPalette::Base), palette().color(QPalette::Button), RU("C, %"));
        Grid->horizontalHeader()->setStyleSheet(QString());
    } else {
        const QColor silver(192, 192, 192);
        fillGrid(rows, silver, silver, RU("C, 1/см3"));
        Grid->horizontalHeader()->setStyleSheet(
            QStringLiteral("QHeaderView::section { background-color: %1; }").arg(silver.name()));
    }
    setCaption(text.Head.empty() ? std::string() : text.Head[0]);
    content_.NormalisedShown = normalised;
    fileTableShown_ = true;
    // The normalisation of the several-files mode is that of tabsum.txt.
    rowsOfTabl_ = !normalised || !state_.ListMode;
    updatePicker();
}

void TForm4::LoadTableGrid() { loadFileGrid(peakTablePath(state_.Start), false); }

void TForm4::LoadNormalisedGrid() { loadFileGrid(state_.Start.file("results", "tablr.txt"), true); }

void TForm4::ShowRecalculatedConcentrations(const std::string& suffix) {
    if (!rowsOfTabl_) {
        LoadTableGrid();
        return;
    }
    const TableText text = readTableText(peakTablePath(state_.Start));
    const QSignalBlocker block(Grid);
    const int rows = std::min(Grid->rowCount(), static_cast<int>(text.Rows.size()));
    for (int r = 0; r < rows; ++r) {
        // A row without a concentration (an unnamed peak) keeps its "-".
        const auto conc = parseStrictReal(trimBlanks(columnText(text.Rows[static_cast<size_t>(r)], TableColumn::Conc)));
        QTableWidgetItem* item = Grid->item(r, CellConc);
        if (conc && item) item->setText(ru(std::string(trimBlanks(concCellText(*conc, state_.Settings.Decimals)))));
    }
    if (content_.NormalisedShown) {
        // The column holds concentrations again, and tablr.txt has become tabl.txt.
        Grid->horizontalHeaderItem(CellConc)->setText(ru(RU("C, 1/см3")));
        content_.NormalisedShown = false;
    }
    setWindowTitle(windowTitle() + ru(suffix));
}

void TForm4::FillPeakTableGrid() {
    fillRows(content_.Table, false);
    content_.SummaryShown = false;
    setCaption(PeakTableCaption());
    updatePicker();
}

void TForm4::ShowSummaryGrid() {
    fillRows(content_.Summary, true);
    setCaption(content_.Caption);
    updatePicker();
}

void TForm4::LoadSubstanceNames() {
    const QSignalBlocker block(ComboBox1);
    ComboBox1->clear();
    for (const std::string& name : content_.SubstanceNames) ComboBox1->addItem(ru(name));
    if (ComboBox1->count() > 0) ComboBox1->setCurrentIndex(0);
}

// The picker and the standard take the peaks of the open chromatogram, so they are off while
// the grid shows the summary or a table read from a file (averaged, normalised, recalculated).
bool TForm4::pickerAllowed() const { return !content_.SummaryShown && !fileTableShown_; }

void TForm4::updatePicker() {
    const bool allowed = pickerAllowed();
    if (!allowed) namePickMode_ = false;
    SpeedButton3->setEnabled(allowed);
    SpeedButton3->setChecked(namePickMode_);
    ComboBox1->setVisible(namePickMode_);
    SpeedButton2->setEnabled(allowed);
}

std::string TForm4::cellText(int row, int column) const {
    if (row == 0) {
        const QTableWidgetItem* header = Grid->horizontalHeaderItem(column);
        return header ? fromQString(header->text()) : std::string();
    }
    const QTableWidgetItem* item = Grid->item(row - 1, column);
    return item ? fromQString(item->text()) : std::string();
}

int TForm4::rowCount() const { return Grid->rowCount(); }

void TForm4::PrintTable(Printer& printer) {
    TablePrintout table;
    table.ListMode = state_.ListMode;
    table.FileName = state_.Settings.FileName;
    table.CommentText = state_.Chrom.CommentText;
    if (!table.ListMode) {
        auto passport = readLinesIfExists(findNoCase(state_.Start.folder("results"), "pasp.txt"));
        if (!passport) {
            dialogs_.warning(RU("Нет файла \\results\\pasp.txt"));
            return;
        }
        table.Passport = std::move(*passport);
    }
    for (int r = 0; r <= rowCount(); ++r) {
        auto& cells = table.Rows.emplace_back();
        for (int j = 0; j < kPeakTableRowCells; ++j) cells[static_cast<size_t>(j)] = cellText(r, j);
    }
    auto job = printer.begin(resultsPrintRequest(state_.Start, "tabl.pdf"));
    PrintTableAndPassport(*job, {state_.PrinterDpiX, state_.PrinterDpiY}, table);
    finishPrintJob(*job, dialogs_);
}

// --- Buttons ------------------------------------------------------------------------------

void TForm4::SpeedButton3Click() {
    namePickMode_ = !namePickMode_ && pickerAllowed();
    updatePicker();
}

void TForm4::ComboBox1Change(int index) {
    guarded(dialogs_, [&] {
        if (!pickerAllowed() || index < 0) return;
        const int peak = Grid->currentRow() + 1;
        const std::string name = fromQString(ComboBox1->itemText(index));
        if (!AssignSubstance(state_, content_, peak, name)) return;
        if (hooks_.plotChanged) hooks_.plotChanged();
        FillPeakTableGrid();
    });
}

void TForm4::SpeedButton2Click() {
    guarded(dialogs_, [&] {
        if (!pickerAllowed() || !hooks_.appendCalibrationTable) return;
        const OpenChromatogram& chrom = state_.Chrom;
        const double secPerPoint = chrom.SamplingRate > 0 ? chrom.SamplesPerPoint / chrom.SamplingRate : 0;
        std::vector<PeakRowForCalibration> rows;
        const int n = std::min(state_.Markup.PeakCount(), rowCount());
        for (int r = 1; r <= n; ++r) {
            PeakRowForCalibration row;
            row.retentionSec = state_.Markup.Peaks[r].Apex * secPerPoint;
            row.areaText = cellText(r, CellArea);
            row.concText = cellText(r, CellConc);
            row.name = cellText(r, CellName);
            row.status = cellText(r, CellStatus);
            rows.push_back(std::move(row));
        }
        hooks_.appendCalibrationTable(BuildChromatogramKey(chrom), rows);
    });
}

void TForm4::SpeedButton20Click() {
    if (showHelpPage_) showHelpPage_(help_page::PeakTableWindow);
}

// --- Enter in the main window -------------------------------------------------------------

void TForm4::EnterPeakTable(TForm1& main) {
    bool completeClipped = false;
    if (AsksToCompleteClippedPeaks(state_)) completeClipped = dialogs_.confirm(CompleteClippedPeaksQuestion());
    const PeakTableOutputs outputs{[&main] { main.SaveFigureGif(); }, [&main] { main.WritePassportText(); }};
    const PeakTableResult result = ShowPeakTable(state_, content_, completeClipped, outputs);
    for (const std::string& notice : result.Notices) dialogs_.info(notice);

    switch (result.Outcome) {
        case PeakTableOutcome::AlreadyShown:
            show();
            raise();
            main.activateWindow();
            return;
        case PeakTableOutcome::NoPeaks:
            return;
        default:
            break;
    }

    // The menus of a computed table.
    const bool list = state_.ListMode;
    main.Average1->setEnabled(list);
    for (QAction* a : {main.Normalise1, main.NormalConditions1, main.Formula1}) a->setEnabled(true);
    main.N10->setEnabled(!list);
    main.Y1->setEnabled(list);
    main.N13->setEnabled(false);
    SpeedButton10->setEnabled(list);
    // The comment may have got the internal standard; a comment being typed stays as typed.
    if (!main.Edit2->isEnabled()) main.Edit2->setText(ru(state_.Chrom.CommentText));
    LoadSubstanceNames();

    switch (result.Outcome) {
        case PeakTableOutcome::NextFile:
            // The user presses Enter again for the next file; one that cannot be opened ends
            // the summary with the files collected so far.
            if (!main.OpenListFile(result.NextFileIndex)) finishSummary(main);
            return;
        case PeakTableOutcome::TableShown:
            afterTable(main);
            FillPeakTableGrid();
            placeAndShow(main);
            return;
        case PeakTableOutcome::SummaryShown:
            if (main.windows().Form7) static_cast<QWidget*>(main.windows().Form7)->hide();
            afterTable(main);
            ShowSummaryGrid();
            placeAndShow(main);
            return;
        default:
            return;
    }
}

void TForm4::finishSummary(TForm1& main) {
    CompleteSummary(state_, content_);
    if (main.windows().Form7) static_cast<QWidget*>(main.windows().Form7)->hide();
    afterTable(main);
    ShowSummaryGrid();
    placeAndShow(main);
}

// The main window after a table: the plot of the subtracted base line, and no markup
// editing, overlay, subtraction, auto-markup set-up or comment edit until a file is opened.
void TForm4::afterTable(TForm1& main) {
    main.RepaintPlot();
    for (QToolButton* b : {main.SpeedButton13, main.SpeedButton14, main.SpeedButton15, main.SpeedButton16,
                           main.SpeedButton3, main.SpeedButton4})
        b->setEnabled(false);
    main.SpeedButton27->show();
    main.Panel10->hide();
}

void TForm4::placeAndShow(TForm1& main) {
    const QRect frame = main.frameGeometry();
    move(frame.left(), frame.top() + frame.height() - 90);
    show();
    raise();
    main.activateWindow();
}

}  // namespace vk7
