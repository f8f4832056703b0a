// Topic summaries window (TForm13) "Сводные данные по результатам анализов".
#include "results/forms/base7.h"

#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <QTableWidget>
#include <QToolButton>
#include <algorithm>

#include "common/cp1251.h"
#include "common/number_text.h"
#include "platform/qt/event_guard.h"
#include "platform/qt/paint_box.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

namespace {

QString ru(const std::string& cp1251) { return toQString(cp1251); }

QToolButton* speedButton(QWidget* parent, const char* name, const std::string& caption, const std::string& hint) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(ru(caption));
    b->setToolTip(ru(hint));
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QLabel* label(QWidget* parent, const char* name, int x, int y, int width, const std::string& text = {}) {
    auto* l = new QLabel(ru(text), parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(x, y, width, 18);
    return l;
}

QTableWidgetItem* cell(const std::string& text) {
    auto* item = new QTableWidgetItem(ru(text));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

constexpr int kImageWidth = 545;
constexpr int kImageHeight = 321;

}  // namespace

TForm13::TForm13(ProcessingState& state, Services services, QWidget* owner)
    : ToolWindow(QStringLiteral("Form13"), toQString(RU("Сводные данные по результатам анализов")), owner),
      state_(state), services_(std::move(services)) {
    setFixedSize(560, 448);

    Image1 = new PaintBox(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 8, kImageWidth, kImageHeight);
    Image1->hide();
    StringGrid1 = new QTableWidget(0, 1, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setGeometry(8, 8, kImageWidth, kImageHeight);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setDefaultSectionSize(16);
    StringGrid1->horizontalHeader()->setDefaultSectionSize(72);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setWordWrap(false);
    QFont mono = StringGrid1->font();
    mono.setFamily(QStringLiteral("DejaVu Sans Mono"));
    mono.setPointSize(8);
    StringGrid1->setFont(mono);
    StringGrid1->horizontalHeader()->setFont(mono);

    SpeedButton4 = speedButton(this, "SpeedButton4", "?", "?");
    SpeedButton2 = speedButton(this, "SpeedButton2", RU("Тема"), RU("Выбор темы (объекта наблюдения)"));
    SpeedButton3 = speedButton(this, "SpeedButton3", "N", RU("Открытие новой темы"));
    SpeedButton1 = speedButton(this, "SpeedButton1", "A", RU("Добабление текущего результата в таблицу активной темы"));
    SpeedButton5 = speedButton(this, "SpeedButton5", "D", RU("Удаление строки таблицы"));
    SpeedButton6 = speedButton(this, "SpeedButton6", RU("График"), RU("График"));
    SpeedButton8 = speedButton(this, "SpeedButton8", RU("Табл"), RU("Назад к таблице"));
    SpeedButton9 = speedButton(this, "SpeedButton9", "[ ]", RU("Прямоугольный фрагмент"));
    SpeedButton11 = speedButton(this, "SpeedButton11", RU("Обзор "), RU("Обзор "));
    SpeedButton27 = speedButton(this, "SpeedButton27", "GIF", RU("Запись изображения в файл"));
    SpeedButton16 = speedButton(this, "SpeedButton16", RU("Печ"), RU("Печать таблицы или изображения"));
    int x = 8;
    for (auto [b, w] : {std::pair{SpeedButton4, 24}, {SpeedButton2, 44}, {SpeedButton3, 24}, {SpeedButton1, 24},
                        {SpeedButton5, 24}, {SpeedButton6, 56}, {SpeedButton8, 40}, {SpeedButton9, 32},
                        {SpeedButton11, 52}, {SpeedButton27, 36}, {SpeedButton16, 36}}) {
        b->setGeometry(x, 334, w, 24);
        x += w + 4;
    }

    label(this, "Caption3", 8, 362, 40, RU("Тема:"));
    Label3 = label(this, "Label3", 48, 362, 130);
    Label19 = label(this, "Label19", 180, 362, 80);
    Label4 = label(this, "Label4", 262, 362, 110);
    Label18 = label(this, "Label18", 374, 362, 80);
    label(this, "Caption7", 8, 382, 136, RU("Веществ (столбцов):"));
    Label7 = label(this, "Label7", 146, 382, 26);
    label(this, "Caption9", 174, 382, 108, RU("Записей (строк):"));
    Label9 = label(this, "Label9", 282, 382, 38);
    Label16 = label(this, "Label16", 322, 382, 230);
    Label5 = label(this, "Label5", 8, 402, 300);

    Panel4 = new QFrame(this);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setFrameShape(QFrame::StyledPanel);
    Panel4->setGeometry(8, 420, 545, 24);
    Label10 = label(Panel4, "Label10", 4, 3, 80);
    Label11 = label(Panel4, "Label11", 86, 3, 60);
    Label12 = label(Panel4, "Label12", 148, 3, 70);
    Label13 = label(Panel4, "Label13", 224, 3, 100);
    Label14 = label(Panel4, "Label14", 326, 3, 100);
    Label15 = label(Panel4, "Label15", 428, 3, 100);
    Label13->setToolTip(ru(RU("Наклон, %/день")));
    Label14->setToolTip(ru(RU("Начальное значение")));
    Label15->setToolTip(ru(RU("Коэффициент корреляции")));
    Panel4->hide();

    Panel5 = new QFrame(this);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    Panel5->setFrameShape(QFrame::StyledPanel);
    Panel5->setGeometry(8, 420, 545, 26);
    // As wide as the bar up to "Далее": the choice of rows has no box beside its prompt; the
    // kind's list and the name's box lie over the label's right part.
    Label17 = label(Panel5, "Label17", 4, 4, 432);
    ComboBox1 = new QComboBox(Panel5);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(266, 2, 170, 22);
    for (int k = 0; k < kThemeKinds; ++k) ComboBox1->addItem(ru(themeKindName(k)));
    Edit1 = new QLineEdit(Panel5);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(266, 2, 170, 22);
    Edit1->setMaxLength(16);
    SpeedButton7 = speedButton(Panel5, "SpeedButton7", RU("Далее"), RU("Назвать тему, открыть файл"));
    SpeedButton7->setGeometry(440, 1, 60, 24);
    Panel5->hide();

    auto on = [this](QToolButton* b, void (TForm13::*f)()) {
        connect(b, &QToolButton::clicked, this, [this, f] { guarded(services_.dialogs, [&] { (this->*f)(); }); });
    };
    on(SpeedButton1, &TForm13::SpeedButton1Click);
    on(SpeedButton2, &TForm13::SpeedButton2Click);
    on(SpeedButton3, &TForm13::SpeedButton3Click);
    on(SpeedButton5, &TForm13::SpeedButton5Click);
    on(SpeedButton6, &TForm13::SpeedButton6Click);
    on(SpeedButton7, &TForm13::SpeedButton7Click);
    on(SpeedButton8, &TForm13::SpeedButton8Click);
    on(SpeedButton9, &TForm13::SpeedButton9Click);
    on(SpeedButton11, &TForm13::SpeedButton11Click);
    on(SpeedButton16, &TForm13::SpeedButton16Click);
    on(SpeedButton27, &TForm13::SpeedButton27Click);
    connect(SpeedButton4, &QToolButton::clicked, this, [this] {
        if (services_.showHelpPage) services_.showHelpPage(help_page::TopicSummaries);
    });
    connect(ComboBox1, &QComboBox::activated, this,
            [this](int index) { guarded(services_.dialogs, [&] { ComboBox1Change(index); }); });
    connect(StringGrid1, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { guarded(services_.dialogs, [&] { toggleRow(row); }); });
    connect(Image1, &PaintBox::mouseDown, this,
            [this](int x, int y, Qt::MouseButton) { guarded(services_.dialogs, [&] { Image1MouseDown(x, y); }); });
    connect(Image1, &PaintBox::mouseMove, this, [this](int x, int y, Qt::MouseButtons) { Image1MouseMove(x, y); });
    connect(Image1, &PaintBox::mouseUp, this,
            [this](int x, int y, Qt::MouseButton) { guarded(services_.dialogs, [&] { Image1MouseUp(x, y); }); });
}

// --- Showing and hiding -------------------------------------------------------------------

void TForm13::showEvent(QShowEvent* event) {
    ToolWindow::showEvent(event);
    if (!event->spontaneous()) guarded(services_.dialogs, [this] { FormShow(); });
}

bool TForm13::event(QEvent* event) {
    // While shown, "A" and the current analysis follow the main window.
    if (event->type() == QEvent::WindowActivate) {
        SpeedButton1->setEnabled(state_.ProgramMode == ModePeakTable && themeFound_);
        showCurrentAnalysis();
    }
    return ToolWindow::event(event);
}

void TForm13::hideEvent(QHideEvent* event) {
    ToolWindow::hideEvent(event);
    if (event->spontaneous()) return;
    // Pending marks are asked about when the window itself is hidden, not when it only
    // disappears with the main window at the program's end; the active topic is kept either way.
    const bool itself = isHidden();
    guarded(services_.dialogs, [this, itself] {
        if (itself) askToSave();
        SaveThemeBase(state_.Start, base_);
    });
}

void TForm13::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && Panel5->isVisible()) {
        // Leaving the selection: the active topic comes back as it is in its file.
        guarded(services_.dialogs, [this] {
            Panel5->hide();
            loadTheme();
            showTableView();
        });
        return;
    }
    ToolWindow::keyPressEvent(event);
}

void TForm13::FormShow() {
    Label5->clear();
    base_ = LoadThemeBase(state_.Start);
    cursorX_ = 100;
    zoomArmed_ = false;
    Label3->setText(ru(base_.Name));
    Panel5->hide();
    loadTheme();
    showCurrentAnalysis();
    showTableView();
}

void TForm13::askToSave() {
    if (changeCount_ == 0) return;
    if (services_.dialogs.confirm(RU("Файл темы изменен. Сохранить его?"))) SaveThemeFile(state_.Start, base_.Name, theme_);
    changeCount_ = 0;
}

// --- The topic table ----------------------------------------------------------------------

void TForm13::loadTheme() {
    changeCount_ = 0;
    selecting_ = false;
    data_.reset();
    scale_.reset();
    auto file = LoadThemeFile(state_.Start, base_.Name);
    themeFound_ = file.has_value();
    theme_ = file ? std::move(*file) : ThemeFile{base_.Kind, base_.TimeUnit, base_.Real, {}, {}};
    if (themeFound_) base_.Kind = theme_.Kind;
    showTheme();
    if (!themeFound_ && !base_.Name.empty()) services_.dialogs.info(RU("Нет файла темы ") + base_.Name);
}

void TForm13::showTheme() {
    const size_t M = theme_.Substances.size();
    StringGrid1->clear();
    StringGrid1->setColumnCount(static_cast<int>(M) + 1);
    StringGrid1->setRowCount(static_cast<int>(theme_.Rows.size()));
    QStringList heading{ru(RU("Дата анализа"))};
    // The file holds the names right-aligned in 13 characters: the heading shows them without
    // the leading blanks, each column as wide as its name needs (72 pixels at the least).
    for (const std::string& s : theme_.Substances) heading << ru(std::string(trimBlanks(s)));
    StringGrid1->setHorizontalHeaderLabels(heading);
    for (size_t i = 0; i < theme_.Rows.size(); ++i) {
        const ThemeRow& row = theme_.Rows[i];
        StringGrid1->setItem(static_cast<int>(i), 0, cell(markedDateText(row)));
        for (size_t k = 0; k < row.Values.size(); ++k)
            StringGrid1->setItem(static_cast<int>(i), static_cast<int>(k) + 1, cell(row.Values[k]));
    }
    StringGrid1->setColumnWidth(0, 110);
    for (int k = 1; k <= static_cast<int>(M); ++k)
        StringGrid1->setColumnWidth(k, std::max(72, StringGrid1->horizontalHeader()->sectionSizeHint(k)));
    if (!theme_.Rows.empty()) StringGrid1->setCurrentCell(0, M > 0 ? 1 : 0);
    Label7->setText(QString::number(M));
    Label9->setText(QString::number(theme_.Rows.size()));
    ComboBox1->setCurrentIndex(theme_.Kind);
    Label19->setText(ru(cutText(themeKindName(theme_.Kind), 9)));
    SpeedButton1->setEnabled(state_.ProgramMode == ModePeakTable && themeFound_);
    SpeedButton6->setEnabled(themeFound_);
}

void TForm13::showCurrentAnalysis() {
    const bool open = state_.ProgramMode != ModeNone;
    Label4->setText(open ? ru(state_.Settings.FileName) : QString());
    const auto date = open ? analysisDate(state_.Chrom.CommentText) : std::nullopt;
    Label18->setText(date ? ru(*date) : QString());
}

void TForm13::showTableView() {
    Image1->hide();
    Panel4->hide();
    StringGrid1->show();
}

CurrentResult TForm13::currentResult() const {
    CurrentResult r;
    r.FileName = state_.Settings.FileName;
    r.Comment = state_.Chrom.CommentText;
    r.SummaryWritten = services_.summaryWritten && services_.summaryWritten();
    r.NormalisedShown = services_.normalisedShown && services_.normalisedShown();
    return r;
}

void TForm13::SpeedButton1Click() {
    if (state_.ProgramMode != ModePeakTable || !themeFound_) return;
    const AddOutcome out = AddResultToTheme(state_.Start, base_.Name, currentResult());
    if (!out.Label5.empty()) Label5->setText(ru(out.Label5));
    if (!out.Message.empty()) services_.dialogs.info(out.Message);
    // Pending marks are dropped: the topic comes back from its file.
    loadTheme();
    showCurrentAnalysis();
    showTableView();
    zoomArmed_ = false;
    Panel5->hide();
}

void TForm13::SpeedButton2Click() {
    askToSave();
    FileDialogRequest r;
    r.title = RU("Выбор темы (объекта наблюдения)");
    r.filter = "*.db |*.db";
    r.initialDir = state_.Start.ensureFolder("space");
    r.proposedName = base_.Name + ".db";
    const auto chosen = services_.dialogs.openOne(r);
    if (!chosen) return;
    const std::string file = textFromPath(chosen->filename());
    std::string name = file;
    if (name.size() >= 3 && name[name.size() - 3] == '.' && (name[name.size() - 2] | 0x20) == 'd' &&
        (name[name.size() - 1] | 0x20) == 'b')
        name.resize(name.size() - 3);
    std::error_code ec;
    if (!fs::equivalent(chosen->parent_path(), state_.Start.folder("space"), ec)) {
        services_.dialogs.info(RU("Тема должна лежать в папке \\space"));
        return;
    }
    if (!validThemeName(name)) {
        services_.dialogs.info(badThemeNameText());
        return;
    }
    base_.Name = name;
    Label3->setText(ru(name));
    Panel5->hide();
    loadTheme();
    showCurrentAnalysis();
    showTableView();
}

void TForm13::toggleRow(int row) {
    if (row < 0) return;
    const size_t i = static_cast<size_t>(row);
    if (selecting_) {
        if (i >= selection_.size()) return;
        SelectionRow& s = selection_[i];
        s.Active = !s.Active;
        StringGrid1->setItem(row, 0, cell(s.Active ? s.Key : "DEL " + s.Key));
        return;
    }
    if (i >= theme_.Rows.size()) return;
    ThemeRow& r = theme_.Rows[i];
    r.Active = !r.Active;
    changeCount_ += r.Active ? -1 : 1;
    StringGrid1->setItem(row, 0, cell(markedDateText(r)));
}

void TForm13::SpeedButton5Click() {
    if (StringGrid1->isVisible()) toggleRow(StringGrid1->currentRow());
}

// --- A new topic --------------------------------------------------------------------------

void TForm13::SpeedButton3Click() {
    askToSave();
    Panel4->hide();
    SpeedButton7->setEnabled(false);
    Label17->setText(ru(RU("Вид результата:")));
    ComboBox1->show();
    Edit1->hide();
    Panel5->show();
    StringGrid1->hide();
    Image1->canvas().resize(kImageWidth, kImageHeight, 0xFFFFFF);
    Image1->show();
}

void TForm13::ComboBox1Change(int index) {
    if (index < 0 || !Panel5->isVisible()) return;
    const std::string refusal = kindTableRefusal(index, currentResult());
    if (!refusal.empty()) {
        services_.dialogs.info(refusal);
        return;
    }
    selection_ = SelectionRows(state_.Start, index);
    selecting_ = true;
    newKind_ = index;
    step_ = 0;
    ComboBox1->hide();
    Edit1->hide();
    Image1->hide();
    Label17->setText(ru(RU("Отметьте двойным щелчком ненужные сторки")));
    SpeedButton7->setEnabled(true);
    StringGrid1->clear();
    StringGrid1->setColumnCount(2);
    StringGrid1->setRowCount(static_cast<int>(selection_.size()));
    StringGrid1->setHorizontalHeaderLabels({ru(RU("Пик")), ru(RU("Количество"))});
    StringGrid1->setColumnWidth(0, 260);
    for (size_t i = 0; i < selection_.size(); ++i) {
        StringGrid1->setItem(static_cast<int>(i), 0, cell(selection_[i].Key));
        StringGrid1->setItem(static_cast<int>(i), 1, cell(selection_[i].Shown));
    }
    StringGrid1->show();
}

void TForm13::SpeedButton7Click() {
    if (!selecting_) return;
    const auto kept = std::count_if(selection_.begin(), selection_.end(), [](const SelectionRow& r) { return r.Active; });
    if (kept > kThemeMaxSubstances) {
        services_.dialogs.info(tooManySubstancesText());
        return;
    }
    if (step_ == 0) {
        Label17->setText(ru(RU("Назовите тему")));
        Edit1->show();
        Edit1->setFocus();
        step_ = 1;
        return;
    }
    changeCount_ = 0;
    const std::string name = fromQString(Edit1->text());
    const CreateOutcome out = CreateTheme(state_.Start, base_, name, newKind_, selection_, currentResult());
    if (!out.Created) {
        services_.dialogs.info(out.Message);
        // A name to correct keeps the selection; an existing topic stays the active one.
        if (fs::exists(themeFilePath(state_.Start, name)) && validThemeName(name)) {
            Panel5->hide();
            loadTheme();
            showTableView();
        }
        return;
    }
    Label3->setText(ru(base_.Name));
    Panel5->hide();
    zoomArmed_ = false;
    loadTheme();
    showCurrentAnalysis();
    showTableView();
}

// --- The chart ----------------------------------------------------------------------------

bool TForm13::chartShown() const { return Image1->isVisible() && scale_ && data_; }

void TForm13::SpeedButton6Click() {
    if (selecting_ || !themeFound_) return;
    const int column = StringGrid1->currentColumn();
    if (column < 1 || column > static_cast<int>(theme_.Substances.size())) return;
    data_ = trendData(theme_, static_cast<size_t>(column - 1));
    if (!data_) {
        services_.dialogs.info(tooFewPointsText());
        return;
    }
    substance_ = theme_.Substances[static_cast<size_t>(column - 1)];
    Label16->setText(ru(substance_));
    fit_ = FitTrend(data_->Rows);
    const auto scale = ScaleTrendAxes(trendRanges(data_->Rows), screenChartEdges(kImageWidth, kImageHeight));
    if (!scale) {
        data_.reset();
        services_.dialogs.info(tooFewPointsText());
        showTableView();
        return;
    }
    scale_ = scale;
    drawChart(true);
}

void TForm13::drawChart(bool withFit) {
    withFit_ = withFit;
    StringGrid1->hide();
    Image1->show();
    ImageCanvas& c = Image1->canvas();
    if (c.width() != kImageWidth || c.height() != kImageHeight) c.resize(kImageWidth, kImageHeight, 0xFFFFFF);
    DrawTrend(c, *scale_, data_->Rows, theme_.TimeUnit, withFit ? fit_ : std::nullopt);
    cursorX_ = std::clamp(cursorX_, scale_->Edges.Left, scale_->Edges.Right);
    DrawTrendCursor(c, *scale_, cursorX_);
    Panel4->show();
    if (withFit && fit_) {
        Label13->setText(ru(fitText(fit_->Slope)));
        Label14->setText(ru(fitText(fit_->Intercept)));
        Label15->setText(ru(fitText(fit_->Correlation)));
    }
    showReadout();
}

void TForm13::showReadout() {
    const TrendReadout r = trendReadout(*scale_, cursorX_, *data_, theme_.TimeUnit);
    Label10->setText(ru(r.Date));
    Label11->setText(ru(r.Time));
    Label12->setText(ru(r.Value));
}

void TForm13::SpeedButton8Click() { showTableView(); }

void TForm13::SpeedButton9Click() {
    if (chartShown()) zoomArmed_ = true;
}

void TForm13::SpeedButton11Click() {
    if (!chartShown()) return;
    const auto scale = ScaleTrendAxes(trendRanges(data_->Rows), screenChartEdges(kImageWidth, kImageHeight));
    if (!scale) return;
    scale_ = scale;
    drawChart(true);
}

void TForm13::Image1MouseDown(int x, int y) {
    if (!chartShown()) return;
    if (!zoomArmed_) {
        DrawTrendCursor(Image1->canvas(), *scale_, cursorX_);
        cursorX_ = std::clamp(x, scale_->Edges.Left, scale_->Edges.Right);
        DrawTrendCursor(Image1->canvas(), *scale_, cursorX_);
        showReadout();
        return;
    }
    dragging_ = true;
    dragStart_ = dragCurrent_ = {x, y};
}

void TForm13::Image1MouseMove(int x, int y) {
    if (!dragging_ || !chartShown()) return;
    DrawZoomRectangle(Image1->canvas(), dragStart_, dragCurrent_, false);
    dragCurrent_ = {x, std::max(y, scale_->Edges.Top)};
    DrawZoomRectangle(Image1->canvas(), dragStart_, dragCurrent_, false);
}

void TForm13::Image1MouseUp(int x, int y) {
    if (!dragging_ || !chartShown()) return;
    dragging_ = false;
    zoomArmed_ = false;
    const CanvasPoint end{x, std::max(y, scale_->Edges.Top)};
    DrawZoomRectangle(Image1->canvas(), dragStart_, end, true);
    const auto zoomed = ScaleTrendAxes(zoomRanges(*scale_, dragStart_, end), scale_->Edges);
    if (!zoomed) {
        // A refused zoom keeps the chart as it was.
        services_.dialogs.info(tooFewPointsText());
        drawChart(withFit_);
        return;
    }
    scale_ = zoomed;
    drawChart(false);
}

// --- Picture and printing -----------------------------------------------------------------

void TForm13::SpeedButton27Click() {
    if (!Image1->isVisible() || !services_.savePicture) return;
    if (!services_.savePicture(Image1->canvas().image()))
        services_.dialogs.warning(RU("Нет свободного номера для изображения в \\results"));
}

void TForm13::SpeedButton16Click() {
    const PrinterResolution dpi{state_.PrinterDpiX, state_.PrinterDpiY};
    if (chartShown()) {
        if (!fit_) return;
        auto job = services_.printer.begin(resultsPrintRequest(state_.Start, "tema.pdf"));
        PrintTrendChart(*job, dpi, scale_->Ranges, data_->Rows, *fit_, base_.Name, substance_);
        finishPrintJob(*job, services_.dialogs);
        return;
    }
    ThemeTablePrintout t;
    t.Name = base_.Name;
    t.Heading.push_back(RU("Дата анализа"));
    t.Heading.insert(t.Heading.end(), theme_.Substances.begin(), theme_.Substances.end());
    t.Rows = theme_.Rows;
    // Ten columns and more do not fit across a portrait page.
    auto job = services_.printer.begin(resultsPrintRequest(state_.Start, "tema.pdf", theme_.Substances.size() > 9));
    PrintThemeTable(*job, dpi, t);
    finishPrintJob(*job, services_.dialogs);
}

}  // namespace vk7
