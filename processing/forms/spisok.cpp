// File list window (TForm7) "Список": the files chosen at once, the current one selected.
#include "processing/forms/spisok.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/cp1251.h"
#include "common/number_text.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

TForm7::TForm7(std::function<void(HelpPage)> showHelpPage, QWidget* owner)
    : ToolWindow(QStringLiteral("Form7"), toQString(RU("Список")), owner), Grid(new QTableWidget(this)),
      SpeedButton20(new QToolButton(this)), showHelpPage_(std::move(showHelpPage)) {
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->setColumnCount(1);
    Grid->horizontalHeader()->setVisible(false);
    Grid->horizontalHeader()->setStretchLastSection(true);
    Grid->verticalHeader()->setVisible(false);
    Grid->verticalHeader()->setDefaultSectionSize(18);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);

    SpeedButton20->setObjectName(QStringLiteral("SpeedButton20"));
    SpeedButton20->setText(QStringLiteral("?"));
    SpeedButton20->setToolTip(toQString(RU("Помощь")));
    SpeedButton20->setFixedSize(25, 25);
    connect(SpeedButton20, &QToolButton::clicked, this, &TForm7::SpeedButton20Click);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(SpeedButton20, 0, Qt::AlignLeft);
    layout->addWidget(Grid);
    resize(220, 320);
}

void TForm7::ShowList(const std::vector<std::string>& names) {
    Grid->clearContents();
    Grid->setRowCount(static_cast<int>(names.size()));
    for (size_t r = 0; r < names.size(); ++r)
        Grid->setItem(static_cast<int>(r), 0, new QTableWidgetItem(toQString(cutText(names[r], 32))));
    SelectRow(0);
}

void TForm7::SelectRow(int row) {
    if (row < 0 || row >= Grid->rowCount()) return;
    Grid->setCurrentCell(row, 0);
    Grid->selectRow(row);
}

std::vector<std::string> TForm7::names() const {
    std::vector<std::string> out;
    for (int r = 0; r < Grid->rowCount(); ++r) {
        const QTableWidgetItem* item = Grid->item(r, 0);
        out.push_back(item ? fromQString(item->text()) : std::string());
    }
    return out;
}

void TForm7::SpeedButton20Click() {
    if (showHelpPage_) showHelpPage_(help_page::FileList);
}

}  // namespace vk7
