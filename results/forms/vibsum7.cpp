// Selected sums window (TForm18) "Выборочные суммы".
#include "results/forms/vibsum7.h"

#include <QHeaderView>
#include <QHideEvent>
#include <QShowEvent>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>

#include "common/cp1251.h"
#include "common/number_text.h"
#include "platform/qt/event_guard.h"
#include "platform/qt/qt_text.h"
#include "results/protocol_files.h"

namespace vk7 {

TForm18::TForm18(ProcessingState& state, Dialogs& dialogs, std::function<void(HelpPage)> showHelpPage, QWidget* owner)
    : ToolWindow(QStringLiteral("Form18"), toQString(RU("Выборочные суммы")), owner), state_(state),
      dialogs_(dialogs), showHelpPage_(std::move(showHelpPage)) {
    // FormCreate: the headings.
    StringGrid1 = new QTableWidget(kSumsMaskRows, 1 + kGroupSums, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setDefaultSectionSize(18);
    QStringList headings{toQString(RU("№ п."))};
    for (int k = 1; k <= kGroupSums; ++k) headings << QStringLiteral("EC%1").arg(k);
    StringGrid1->setHorizontalHeaderLabels(headings);
    for (int c = 0; c <= kGroupSums; ++c) StringGrid1->setColumnWidth(c, 44);
    // All seven columns in sight beside the scroll bar of the 32 rows: no sideways scrolling.
    const int scrollBar = StringGrid1->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, StringGrid1);
    const int gridWidth = 7 * 44 + 2 * StringGrid1->frameWidth() + scrollBar;
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setGeometry(8, 8, gridWidth, 300);
    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(QStringLiteral("?"));
    SpeedButton1->setToolTip(toQString(RU("Помощь")));
    SpeedButton1->setGeometry(gridWidth + 16, 8, 25, 25);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm18::SpeedButton1Click);
    resize(gridWidth + 52, 316);
}

void TForm18::showEvent(QShowEvent* event) {
    ToolWindow::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TForm18::hideEvent(QHideEvent* event) {
    ToolWindow::hideEvent(event);
    if (!event->spontaneous()) FormHide();
}

void TForm18::FormShow() {
    loaded_ = false;
    guarded(dialogs_, [this] {
        const std::vector<std::string> mask = LoadSumsMask(state_.Start);
        for (int r = 0; r < kSumsMaskRows; ++r) {
            auto* number = new QTableWidgetItem(QString::fromLatin1(intText(r + 1, 3).c_str()));
            number->setFlags(Qt::ItemIsEnabled);
            StringGrid1->setItem(r, 0, number);
            for (int k = 0; k < kGroupSums; ++k)
                StringGrid1->setItem(r, k + 1, new QTableWidgetItem(QString(QChar::fromLatin1(
                                                   mask[static_cast<size_t>(r)][static_cast<size_t>(k)]))));
        }
        loaded_ = true;
    });
}

// Each cell gives exactly one mark: '1' for a cell holding "1", '0' for anything else.
void TForm18::FormHide() {
    if (!loaded_) return;
    guarded(dialogs_, [this] {
        std::vector<std::string> mask;
        for (int r = 0; r < kSumsMaskRows; ++r) {
            std::string line;
            for (int k = 1; k <= kGroupSums; ++k) {
                const QTableWidgetItem* item = StringGrid1->item(r, k);
                line += item && item->text().trimmed() == QStringLiteral("1") ? '1' : '0';
            }
            mask.push_back(std::move(line));
        }
        SaveSumsMask(state_.Start, mask);
    });
}

void TForm18::SpeedButton1Click() {
    if (showHelpPage_) showHelpPage_(help_page::SelectedSums);
}

}  // namespace vk7
