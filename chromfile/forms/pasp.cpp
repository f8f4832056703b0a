// Passport window (TForm2) "Паспорт хроматограммы".
#include "chromfile/forms/pasp.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QKeyEvent>
#include <QShowEvent>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "chromfile/dictionaries.h"
#include "common/cp1251.h"
#include "platform/qt/event_guard.h"
#include "platform/qt/qt_text.h"

namespace vk7 {
namespace {

constexpr int kRowHeight = 17;

QToolButton* speedButton(QWidget* parent, const QString& caption, const QString& hint) {
    auto* b = new QToolButton(parent);
    b->setText(caption);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    b->setMinimumHeight(26);
    return b;
}

}  // namespace

TForm2::TForm2(ProcessingState& state, Dialogs& dialogs, Hooks hooks, QWidget* owner)
    : ToolWindow(QStringLiteral("Form2"), toQString(RU("Паспорт хроматограммы")), owner),
      state_(state),
      dialogs_(dialogs),
      hooks_(std::move(hooks)) {

    Panel1 = new QWidget(this);
    SpeedButton2 = speedButton(Panel1, toQString(RU("Сделать образцовым")),
                               toQString(RU("Записать паспорт как образец \\results\\paspo.txt")));
    SpeedButton3 = speedButton(Panel1, toQString(RU("Переписать по образцовому")),
                               toQString(RU("Взять паспорт из образца \\results\\paspo.txt")));
    SpeedButton12 = speedButton(Panel1, QString(), toQString(RU("Записать паспорт в файл хроматограммы")));
    SpeedButton12->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    SpeedButton1 = speedButton(Panel1, "?", toQString(RU("Помощь")));
    auto* panelLayout = new QHBoxLayout(Panel1);
    panelLayout->setContentsMargins(2, 2, 2, 2);
    panelLayout->addWidget(SpeedButton12);
    panelLayout->addWidget(SpeedButton2);
    panelLayout->addWidget(SpeedButton3);
    panelLayout->addStretch();
    panelLayout->addWidget(SpeedButton1);

    Grid = new QTableWidget(kPassportRows, 2, this);
    Grid->horizontalHeader()->hide();
    Grid->verticalHeader()->hide();
    Grid->verticalHeader()->setMinimumSectionSize(kRowHeight);
    Grid->verticalHeader()->setDefaultSectionSize(std::max(kRowHeight, Grid->fontMetrics().height() + 4));
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setWordWrap(false);
    Grid->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                          QAbstractItemView::DoubleClicked);
    Grid->setColumnWidth(0, 230);
    Grid->setColumnWidth(1, 330);
    Grid->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < kPassportRows; ++row)
        for (int column = 0; column < 2; ++column) {
            auto* item = new QTableWidgetItem;
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (column == 1 && passportRowTyped(row)) flags |= Qt::ItemIsEditable;
            item->setFlags(flags);
            Grid->setItem(row, column, item);
        }

    ComboBox1 = new QComboBox(Grid->viewport());
    ComboBox1->setMaxVisibleItems(20);
    ComboBox1->hide();
    ComboBox1->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(Panel1);
    layout->addWidget(Grid);
    const int gridHeight = Grid->verticalHeader()->defaultSectionSize() * kPassportRows + 2 * Grid->frameWidth();
    Grid->setMinimumHeight(gridHeight);
    resize(580, gridHeight + Panel1->sizeHint().height() + 8);

    connect(Grid, &QTableWidget::cellPressed, this, &TForm2::GridClick);
    connect(Grid, &QTableWidget::cellDoubleClicked, this, [this](int, int) { passportChanged_ = true; });
    connect(Grid, &QTableWidget::cellChanged, this, &TForm2::GridSetEditText);
    connect(ComboBox1, qOverload<int>(&QComboBox::activated), this, &TForm2::ComboBox1Change);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm2::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm2::SpeedButton3Click);
    connect(SpeedButton12, &QToolButton::clicked, this, &TForm2::SpeedButton12Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm2::SpeedButton1Click);

    // FormCreate: the captions and the dictionaries, read once; what is missing is told the
    // first time the window is shown.
    sources_ = readPassportSources(state_.Start);
    noticesPending_ = !sources_.Notices.empty();
    FillPassportGrid();
}

bool TForm2::chromatogramOpen() const { return state_.ProgramMode != ModeNone; }

void TForm2::FillPassportGrid() {
    if (chromatogramOpen()) {
        grid_ = vk7::FillPassportGrid(state_.Chrom, state_.Markup.PeakCount(), sources_);
    } else {
        grid_ = PassportGrid{};
        grid_.Captions = sources_.Captions;
    }
    passportChanged_ = false;
    showGrid();
}

void TForm2::showGrid() {
    hidePicker();
    filling_ = true;
    for (int row = 0; row < kPassportRows; ++row) {
        Grid->item(row, 0)->setText(toQString(grid_.Captions[size_t(row)]));
        Grid->item(row, 1)->setText(toQString(grid_.Cells[size_t(row)]));
    }
    filling_ = false;
    const bool open = chromatogramOpen();
    SpeedButton12->setEnabled(open);
    SpeedButton2->setEnabled(open);
    SpeedButton3->setEnabled(open);
}

void TForm2::hidePicker() {
    ComboBox1->hide();
    pickerRow_ = -1;
}

void TForm2::GridClick(int row, int column) {
    passportChanged_ = true;
    const auto dictionary = passportRowDictionary(row);
    if (column != 1 || !dictionary || !chromatogramOpen()) {
        hidePicker();
        return;
    }
    ComboBox1->clear();
    for (const std::string& e : sources_.pickerEntries(*dictionary)) ComboBox1->addItem(toQString(e));
    const int index = grid_.indexOfRow(row);
    ComboBox1->setCurrentIndex(index >= 1 && index <= ComboBox1->count() ? index - 1 : -1);
    ComboBox1->setGeometry(Grid->visualItemRect(Grid->item(row, 1)));
    pickerRow_ = row;
    ComboBox1->show();
    ComboBox1->setFocus();
}

void TForm2::ComboBox1Change(int index) {
    const int row = pickerRow_;
    hidePicker();
    if (row < 0 || index < 0) return;
    choosePassportEntry(grid_, row, index, sources_);
    passportChanged_ = true;
    filling_ = true;
    Grid->item(row, 1)->setText(toQString(grid_.Cells[size_t(row)]));
    filling_ = false;
    Grid->setFocus();
}

void TForm2::GridSetEditText(int row, int column) {
    if (filling_ || column != 1 || !passportRowTyped(row)) return;
    grid_.Cells[size_t(row)] = fromQString(Grid->item(row, 1)->text());
    passportChanged_ = true;
}

bool TForm2::rewrite() {
    if (!chromatogramOpen()) return false;
    const fs::path file = state_.openFilePath();
    const PassportRewriteResult r = vk7::RewriteChromatogramPassport(file, grid_, state_.Chrom);
    if (!r.Written) {
        dialogs_.warning(r.Refusal);
        return false;
    }
    passportChanged_ = false;
    if (r.SamplesShortened || r.RateChanged) {
        if (hooks_.chromatogramChanged) hooks_.chromatogramChanged(true);
    } else {
        // The header values in memory follow the file; the points stay as they were read.
        ReadRequest request;
        request.AveragingMs = state_.Settings.AveragingMs;
        request.Vk7Rate = state_.Vk7Rate;
        request.TemperatureEntry = [this](int n) { return sources_.entry(DictTemp, n); };
        const ReadResult fresh = ReadChromatogram(file, request);
        refreshHeaderValues(state_.Chrom, fresh.Chrom);
        if (hooks_.chromatogramChanged) hooks_.chromatogramChanged(false);
    }
    FillPassportGrid();
    return true;
}

bool TForm2::RewriteChromatogramPassport() { return rewrite(); }

void TForm2::WritePassportText() {
    if (!chromatogramOpen()) return;
    vk7::WritePassportText(state_.Start, state_.Chrom, state_.Markup.PeakCount(), sources_);
}

void TForm2::SpeedButton12Click() {
    guarded(dialogs_, [this] { rewrite(); });
}

void TForm2::SpeedButton2Click() {
    guarded(dialogs_, [this] {
        if (!chromatogramOpen()) return;
        const std::string refusal = WritePassportTemplate(state_.Start, grid_);
        if (!refusal.empty()) dialogs_.warning(refusal);
    });
}

void TForm2::SpeedButton3Click() {
    guarded(dialogs_, [this] {
        if (!chromatogramOpen()) return;
        const std::string refusal = ApplyPassportTemplate(state_.Start, state_.Chrom, sources_);
        if (!refusal.empty()) {
            dialogs_.warning(refusal);
            return;
        }
        FillPassportGrid();
        passportChanged_ = true;
        if (hooks_.chromatogramChanged) hooks_.chromatogramChanged(false);
    });
}

void TForm2::SpeedButton1Click() {
    if (hooks_.showHelpPage) hooks_.showHelpPage(help_page::Passport);
}

void TForm2::askOnHide() {
    if (!passportChanged_ || !chromatogramOpen()) return;
    if (!dialogs_.confirm(RU("Сохранить хроматограмму с новым паспортом?"))) {
        passportChanged_ = false;
        return;
    }
    bool written = false;
    guarded(dialogs_, [&] { written = rewrite(); });
    if (!written) {
        // The edits stay: the window comes back with them for a correction.
        keepEditsOnShow_ = true;
        QTimer::singleShot(0, this, [this] { show(); });
    }
}

void TForm2::showEvent(QShowEvent* event) {
    ToolWindow::showEvent(event);
    if (event->spontaneous()) return;
    if (noticesPending_) {
        noticesPending_ = false;
        for (const std::string& notice : sources_.Notices) dialogs_.info(notice);
    }
    if (keepEditsOnShow_) {
        keepEditsOnShow_ = false;
        return;
    }
    FillPassportGrid();
}

void TForm2::hideEvent(QHideEvent* event) {
    ToolWindow::hideEvent(event);
    hidePicker();
    // Hidden by the program or the user, not merely with its main window.
    if (!event->spontaneous() && isHidden()) askOnHide();
}

void TForm2::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        if (ComboBox1->isVisible()) hidePicker();
        else hide();
        event->accept();
        return;
    }
    ToolWindow::keyPressEvent(event);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ComboBox1 && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        hidePicker();
        Grid->setFocus();
        return true;
    }
    return ToolWindow::eventFilter(watched, event);
}

}  // namespace vk7
