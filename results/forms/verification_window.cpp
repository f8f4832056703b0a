#include "results/forms/verification_window.h"

#include <algorithm>

#include <QFontMetrics>
#include <QHeaderView>
#include <QPainter>
#include <QShowEvent>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include "common/cp1251.h"
#include "platform/qt/event_guard.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

namespace {

constexpr int kRowHeight = 20;

// Grid2's cells: the text at 2 pixels right and 1 below the cell's corner, maroon in the
// " d, %" column and navy elsewhere; the caption row and column on the button face.
class Grid2Drawing : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool fixed = index.row() == 0 || index.column() == 0;
        painter->fillRect(option.rect, fixed ? option.palette.button() : option.palette.base());
        const QString caption = index.model()->index(0, index.column()).data().toString();
        painter->setPen(caption == QStringLiteral(" d, %") ? QColor(128, 0, 0) : QColor(0, 0, 128));
        painter->setFont(option.font);
        const QFontMetrics fm(option.font);
        painter->drawText(option.rect.topLeft() + QPoint(2, 1 + fm.ascent()), index.data().toString());
    }
};

QTableWidgetItem* readOnly(const std::string& cp1251) {
    auto* item = new QTableWidgetItem(toQString(cp1251));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

}  // namespace

VerificationWindow::VerificationWindow(VerificationMethod method, const QString& objectName, const std::string& caption,
                                       Services services, QWidget* owner)
    : ToolWindow(objectName, toQString(caption), owner), method_(method), services_(std::move(services)) {
    const bool y = method == VerificationMethod::Y;
    const auto& captions = verificationGridCaptions(method);
    Grid = new QTableWidget(0, static_cast<int>(captions.size()), this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->verticalHeader()->hide();
    Grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    Grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid->horizontalHeader()->setHighlightSections(false);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    QFont small = Grid->font();
    small.setPointSize(8);
    Grid->setFont(small);
    Grid->horizontalHeader()->setFont(small);
    Grid->setWordWrap(false);
    Grid->setTextElideMode(Qt::ElideNone);
    QStringList labels;
    for (const std::string& c : captions) labels << toQString(c);
    Grid->setHorizontalHeaderLabels(labels);
    const int xWidths[] = {64, 64, 64, 64, 64, 64};
    const int yWidths[] = {64, 64, 64, 64, 64, 60, 64};
    // The columns of numbers as laid out, or wider where this font needs it for a value of ten
    // characters: the cells cut without a mark, and a number cut at its left reads as another.
    const int margin = 2 * (Grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, Grid) + 1);
    const int number = QFontMetrics(small).horizontalAdvance(QStringLiteral("-99999.999")) + margin;
    int gridWidth = 0;
    for (int c = 0; c < Grid->columnCount(); ++c) {
        const int w = std::max(y ? yWidths[c] : xWidths[c], c == 0 ? 0 : number);
        Grid->setColumnWidth(c, w);
        gridWidth += w;
    }
    gridWidth += 20;  // the scroll bar

    const int grid2Rows = y ? 4 : 3;
    Grid2 = new QTableWidget(grid2Rows, 5, this);
    Grid2->setObjectName(QStringLiteral("Grid2"));
    Grid2->horizontalHeader()->hide();
    Grid2->verticalHeader()->hide();
    Grid2->verticalHeader()->setDefaultSectionSize(kRowHeight);
    Grid2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid2->setFont(small);
    Grid2->setItemDelegate(new Grid2Drawing(Grid2));
    const int grid2Widths[] = {64, 72, 64, 64, 64};
    int grid2Width = 4;
    for (int c = 0; c < 5; ++c) {
        const int w = std::max(grid2Widths[c], c == 0 ? 0 : number);
        Grid2->setColumnWidth(c, w);
        grid2Width += w;
    }
    const auto& head = verificationGrid2Captions();
    for (int c = 0; c < 5; ++c) Grid2->setItem(0, c, readOnly(head[static_cast<size_t>(c)]));
    const auto& rowCaptions = verificationGrid2RowCaptions(method);
    for (int r = 1; r < grid2Rows; ++r) {
        Grid2->setItem(r, 0, readOnly(rowCaptions[static_cast<size_t>(r - 1)]));
        for (int c = 1; c < 5; ++c) Grid2->setItem(r, c, readOnly(""));
    }

    auto button = [this](const char* name, const QString& text, const std::string& hint) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(text);
        b->setToolTip(toQString(hint));
        b->setAutoRaise(true);
        return b;
    };
    SpeedButton1 = button("SpeedButton1", QStringLiteral("?"), RU("Подсказка"));
    SpeedButton22 = button("SpeedButton22", QString(), RU("протокол поверки"));
    SpeedButton22->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));

    const int gridHeight = kRowHeight * 9 + 26;
    Grid->setGeometry(8, 8, gridWidth, gridHeight);
    const int grid2Top = 8 + gridHeight + 8;
    Grid2->setGeometry(8, grid2Top, grid2Width, kRowHeight * grid2Rows + 4);
    SpeedButton1->setGeometry(gridWidth - 60, grid2Top, 25, 25);
    SpeedButton22->setGeometry(gridWidth - 28, grid2Top, 30, 25);
    setFixedSize(gridWidth + 16, grid2Top + kRowHeight * grid2Rows + 16);
    setWindowFlags((windowFlags() & ~(Qt::WindowMinMaxButtonsHint)) | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    connect(SpeedButton1, &QToolButton::clicked, this, &VerificationWindow::SpeedButton1Click);
    connect(SpeedButton22, &QToolButton::clicked, this, &VerificationWindow::SpeedButton22Click);
}

std::string VerificationWindow::gridText(int column, int row) const {
    if (row == 0) return verificationGridCaptions(method_).at(static_cast<size_t>(column));
    const QTableWidgetItem* item = Grid->item(row - 1, column);
    return item ? fromQString(item->text()) : std::string();
}

std::string VerificationWindow::grid2Text(int column, int row) const {
    const QTableWidgetItem* item = Grid2->item(row, column);
    return item ? fromQString(item->text()) : std::string();
}

int VerificationWindow::gridRowCount() const { return Grid->rowCount() + 1; }

void VerificationWindow::showEvent(QShowEvent* event) {
    ToolWindow::showEvent(event);
    if (event->spontaneous()) return;
    // FormShow: a new protocol for this showing; the statistics once the window is up.
    excelStarted_ = false;
    noticeShown_ = false;
    peakTableChanged();
}

void VerificationWindow::hideEvent(QHideEvent* event) {
    // Nothing to end: a protocol is a saved file that the desktop shows.
    ToolWindow::hideEvent(event);
}

void VerificationWindow::watchTableWindow(QWidget* table) {
    tableWindow_ = table;
    table->installEventFilter(this);
}

bool VerificationWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tableWindow_ && (event->type() == QEvent::Show || event->type() == QEvent::Hide)) peakTableChanged();
    return ToolWindow::eventFilter(watched, event);
}

void VerificationWindow::peakTableChanged() {
    if (computePending_ || !isVisible()) return;
    computePending_ = true;
    QTimer::singleShot(0, this, [this] {
        computePending_ = false;
        if (isVisible()) Compute();
    });
}

void VerificationWindow::notice(const std::string& text) {
    if (noticeShown_) return;
    noticeShown_ = true;
    services_.dialogs.info(text);
}

void VerificationWindow::Compute() {
    guarded(services_.dialogs, [&] {
        const VerificationSource source = services_.source ? services_.source() : VerificationSource{};
        if (!source.available) {
            table_ = {};
            names_.clear();
            problem_ = method_ == VerificationMethod::X
                           ? RU("Нет таблицы пиков: постройте ее клавишей Enter.")
                           : RU("Нет суммарной таблицы: откройте несколько хроматограмм и постройте ее клавишей Enter.");
            fill(table_, 0);
            notice(problem_);
            return;
        }
        table_ = method_ == VerificationMethod::X ? ComputeVerificationX(source.rows) : ComputeVerificationY(source.rows);
        names_ = source.names;
        problem_ = table_.TooFew ? tooFewMessage(method_) : std::string();
        fill(table_, static_cast<int>(table_.Grid.size()));
        if (!problem_.empty()) notice(problem_);
        Grid2->setFocus();
    });
}

void VerificationWindow::fill(const VerificationTable& table, int rows) {
    Grid->setRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        const auto& cells = table.Grid[static_cast<size_t>(r)];
        for (int c = 0; c < Grid->columnCount(); ++c)
            Grid->setItem(r, c, readOnly(static_cast<size_t>(c) < cells.size() ? cells[static_cast<size_t>(c)] : ""));
    }
    for (int r = 1; r < Grid2->rowCount(); ++r)
        for (int c = 1; c < 5; ++c) {
            const size_t i = static_cast<size_t>(r - 1);
            Grid2->item(r, c)->setText(i < table.Grid2.size() ? toQString(table.Grid2[i][static_cast<size_t>(c - 1)])
                                                                : QString());
        }
    Grid2->viewport()->update();
}

void VerificationWindow::SpeedButton1Click() {
    if (services_.showHelpPage)
        services_.showHelpPage(method_ == VerificationMethod::X ? help_page::VerificationX : help_page::VerificationY);
}

void VerificationWindow::SpeedButton22Click() {
    guarded(services_.dialogs, [&] {
        if (!problem_.empty()) {
            services_.dialogs.info(problem_);
            return;
        }
        const std::filesystem::path result = verificationResultPath(services_.start, method_);
        if (excelStarted_) {
            // Written since the window was shown: only shown again.
            if (!std::filesystem::is_regular_file(result)) {
                services_.dialogs.info(RU("Нет файла ") + verificationResultName(method_));
                return;
            }
            if (services_.shell) services_.shell->open(result);
            return;
        }
        const std::string message = WriteVerificationProtocol(services_.start, method_,
                                                              dateText(services_.clock.now()), names_, table_);
        if (!message.empty()) {
            services_.dialogs.info(message);
            return;
        }
        excelStarted_ = true;
        if (services_.shell) services_.shell->open(result);
    });
}

}  // namespace vk7
