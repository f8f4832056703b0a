// TForm6 "Архив градуировок": the calibration archive window.
#include "processing/forms/grad_tab.h"

#include <algorithm>

#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "common/cp1251.h"
#include "common/number_text.h"
#include "platform/qt/event_guard.h"
#include "platform/qt/qt_text.h"
#include "processing/calibration_files.h"

namespace vk7 {
namespace {

const char* const kDictionaryFiles[] = {"detect", "gas", "kolon", "temp", "", "", "", "", "", "", "sm"};

QToolButton* speedButton(QWidget* parent, const QString& caption, const QString& hint) {
    auto* b = new QToolButton(parent);
    b->setText(caption);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    b->setMinimumSize(28, 26);
    return b;
}

QTableWidget* stringGrid(QWidget* parent, int rows, int columns) {
    auto* g = new QTableWidget(rows, columns, parent);
    g->verticalHeader()->hide();
    g->verticalHeader()->setDefaultSectionSize(20);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setWordWrap(false);
    return g;
}

// A cell of a grid, created when missing; the text shown without the padding blanks.
void setCell(QTableWidget* grid, int row, int column, std::string_view text, bool number, bool editable) {
    QTableWidgetItem* item = grid->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        grid->setItem(row, column, item);
    }
    item->setText(toQString(number ? trimBlanks(text) : text));
    item->setTextAlignment(number ? (Qt::AlignRight | Qt::AlignVCenter) : (Qt::AlignLeft | Qt::AlignVCenter));
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (editable) flags |= Qt::ItemIsEditable;
    item->setFlags(flags);
}

std::string cellText(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? fromQString(item->text()) : std::string();
}

}  // namespace

TForm6::TForm6(const StartFolder& start, std::string& archiveName, Dialogs& dialogs,
               std::function<void(HelpPage)> showHelpPage, QWidget* parent)
    : QWidget(parent, Qt::Tool),
      start_(start),
      archiveName_(archiveName),
      dialogs_(dialogs),
      showHelpPage_(std::move(showHelpPage)) {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(toQString(RU("Архив градуировок")));

    Panel1 = new QWidget(this);
    SpeedButton20 = speedButton(Panel1, "?", QString());
    SpeedButton1 = speedButton(Panel1, QString(), toQString(RU("Другой файл")));
    SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    SpeedButton12 = speedButton(Panel1, QString(), toQString(RU("Сохранить файл")));
    SpeedButton12->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    SpeedButton11 = speedButton(Panel1, "D", toQString(RU("Удалить таблицу")));
    auto* panel1Layout = new QHBoxLayout(Panel1);
    panel1Layout->setContentsMargins(2, 2, 2, 2);
    panel1Layout->addWidget(SpeedButton20);
    panel1Layout->addWidget(SpeedButton1);
    panel1Layout->addWidget(SpeedButton12);
    panel1Layout->addWidget(SpeedButton11);
    panel1Layout->addStretch();

    Grid3 = stringGrid(this, 0, 2);
    Grid3->horizontalHeader()->hide();
    Grid3->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid3->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid3->setColumnWidth(0, 180);
    Grid3->setColumnWidth(1, 40);
    Grid3->setFixedSize(240, 300);

    Grid1 = stringGrid(this, 0, 5);
    Grid1->setHorizontalHeaderLabels({toQString(RU("t,мин")), toQString(RU("S,мВ.с")), toQString(RU("C,1/мл")), toQString(RU("Вещество")),
                                      toQString(RU("Статус"))});
    Grid1->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::SelectedClicked);
    const int grid1Widths[] = {55, 100, 85, 140, 70};
    for (int c = 0; c < 5; ++c) Grid1->setColumnWidth(c, grid1Widths[c]);
    Grid1->setFixedSize(475, 300);

    Grid2 = stringGrid(this, kCalAttributeCount, 2);
    Grid2->horizontalHeader()->hide();
    Grid2->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::DoubleClicked);
    // The captions' column as wide as the captions; the values' column takes the rest of the
    // grid, so that it never lies out of sight. The grid is as wide as the values need where
    // the screen has room (widenAttributesToTheirTexts) and narrower, down to a short value,
    // where it has not; a value cut there shows whole on hover.
    Grid2->setColumnWidth(0, 205);
    Grid2->horizontalHeader()->setMinimumSectionSize(40);
    Grid2->setColumnWidth(1, 40);  // the least the stretched column keeps
    Grid2->horizontalHeader()->setStretchLastSection(true);
    Grid2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid2->setFixedHeight(300);
    Grid2->setMinimumWidth(263);
    Grid2->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);

    ComboBox1 = new QComboBox(Grid2->viewport());
    ComboBox1->hide();

    Panel4 = new QWidget(this);
    SpeedButton3 = speedButton(Panel4, "M", toQString(RU("\"Выравнивание\" по стандарту")));
    SpeedButton4 = speedButton(Panel4, "S*", toQString(RU("Коэффициент для площади")));
    SpeedButton5 = speedButton(Panel4, "C*", toQString(RU("Коэффициент для концентрации")));
    SpeedButton6 = speedButton(Panel4, "K", toQString(RU("Значения коэффициентов")));
    SpeedButton7 = speedButton(Panel4, "R", toQString(RU("Пропорциональный пересчет")));
    SpeedButton2 = speedButton(Panel4, "I", toQString(RU("Добавить строку")));
    SpeedButton8 = speedButton(Panel4, "-", toQString(RU("Выключение строки")));
    SpeedButton9 = speedButton(Panel4, "+", toQString(RU("Включение строки")));
    SpeedButton10 = speedButton(Panel4, "D", toQString(RU("Удаление строки")));
    StaticText5 = new QLabel(toQString(RU("Введите:")), Panel4);
    StaticText5->setToolTip(toQString(RU("значение коэффициента")));
    Edit1 = new QLineEdit(Panel4);
    Edit1->setFixedWidth(110);
    auto* panel4Layout = new QHBoxLayout(Panel4);
    panel4Layout->setContentsMargins(0, 0, 0, 0);
    for (QToolButton* b : {SpeedButton3, SpeedButton4, SpeedButton5, SpeedButton6, SpeedButton7, SpeedButton2,
                           SpeedButton8, SpeedButton9, SpeedButton10})
        panel4Layout->addWidget(b);
    panel4Layout->addSpacing(12);
    panel4Layout->addWidget(StaticText5);
    panel4Layout->addWidget(Edit1);
    panel4Layout->addStretch();
    StaticText5->hide();
    Edit1->hide();

    SpeedButton13 = speedButton(this, toQString(RU("Возврат")), QString());
    SpeedButton13->setAutoRaise(false);
    SpeedButton13->hide();

    auto column = [this](const std::string& caption, QWidget* grid) {
        auto* box = new QVBoxLayout;
        box->addWidget(new QLabel(toQString(caption), this));
        box->addWidget(grid);
        return box;
    };
    auto* middle = column(RU("Выбранная таблица"), Grid1);
    auto* operations = new QHBoxLayout;
    operations->addWidget(Panel4);
    operations->addWidget(SpeedButton13);
    operations->addStretch();
    middle->addLayout(operations);
    auto* left = column(RU("Таблицы файла"), Grid3);
    left->addStretch();
    auto* right = column(RU("Атрибуты"), Grid2);
    right->addStretch();
    auto* grids = new QHBoxLayout;
    grids->addLayout(left);
    grids->addLayout(middle);
    grids->addLayout(right, 1);  // a wider window widens the attributes
    auto* main = new QVBoxLayout(this);
    main->setSizeConstraint(QLayout::SetMinimumSize);
    main->addWidget(Panel1);
    main->addLayout(grids);

    connect(SpeedButton20, &QToolButton::clicked, this, &TForm6::SpeedButton20Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm6::SpeedButton1Click);
    connect(SpeedButton12, &QToolButton::clicked, this, &TForm6::SpeedButton12Click);
    connect(SpeedButton11, &QToolButton::clicked, this, &TForm6::SpeedButton11Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm6::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TForm6::SpeedButton4Click);
    connect(SpeedButton5, &QToolButton::clicked, this, &TForm6::SpeedButton5Click);
    connect(SpeedButton6, &QToolButton::clicked, this, &TForm6::SpeedButton6Click);
    connect(SpeedButton7, &QToolButton::clicked, this, &TForm6::SpeedButton7Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm6::SpeedButton2Click);
    connect(SpeedButton8, &QToolButton::clicked, this, &TForm6::SpeedButton8Click);
    connect(SpeedButton9, &QToolButton::clicked, this, &TForm6::SpeedButton9Click);
    connect(SpeedButton10, &QToolButton::clicked, this, &TForm6::SpeedButton10Click);
    connect(SpeedButton13, &QToolButton::clicked, this, &TForm6::SpeedButton13Click);
    connect(Grid3, &QTableWidget::cellClicked, this, [this](int row, int) { Grid3Click(row); });
    connect(Grid1, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { Grid1DblClick(row); });
    connect(Grid1, &QTableWidget::cellChanged, this, &TForm6::Grid1SetEditText);
    connect(Grid2, &QTableWidget::cellClicked, this, &TForm6::Grid2Click);
    connect(Grid2, &QTableWidget::cellChanged, this, &TForm6::Grid2SetEditText);
    connect(ComboBox1, qOverload<int>(&QComboBox::activated), this, &TForm6::ComboBox1Change);
    connect(Edit1, &QLineEdit::returnPressed, this, &TForm6::Edit1Enter);

    // FormCreate: the attribute captions.
    filling_ = true;
    for (int r = 0; r < kCalAttributeCount; ++r) {
        setCell(Grid2, r, 0, "", false, false);
        setCell(Grid2, r, 1, "", false, false);
    }
    filling_ = false;
    // A missing regn.txt is told when the window is shown, not while the program starts.
    try {
        loadCaptions();
    } catch (const std::exception&) {
    }
    updateButtons();
}

// ---------------------------------------------------------------- state

bool TForm6::hasUnsavedChanges() const { return loaded_ && archive_.hasChanges(); }

bool TForm6::askToSaveChanges() {
    if (!hasUnsavedChanges()) return true;
    if (!dialogs_.confirm(RU("Файл градуировок изменен. Сохранить его?"))) {
        dropArchive();
        return true;
    }
    // The window is hidden or read again afterwards: once written, the edits are dropped.
    if (!guarded(dialogs_, [this] { saveCalibrationArchive(start_, archiveName_, archive_); })) return false;
    dropArchive();
    return true;
}

CalibrationTable* TForm6::table() {
    if (currentTable_ < 0 || currentTable_ >= archive_.tableCount()) return nullptr;
    return &archive_.table(currentTable_);
}

int TForm6::selectedRow() const {
    const int r = Grid1->currentRow();
    return r >= 0 && r < Grid1->rowCount() ? r : -1;
}

void TForm6::loadArchive() {
    hidePicker();
    cancelValue();
    leaveResponseFactors();
    CalibrationArchive archive;
    try {
        archive = loadCalibrationArchive(start_, archiveName_);
    } catch (...) {
        dropArchive();
        throw;
    }
    try {
        dictionaries_ = readCalibrationDictionaries(start_);
    } catch (...) {
        dictionaries_ = {};
        installArchive(std::move(archive));
        throw;
    }
    installArchive(std::move(archive));
}

void TForm6::installArchive(CalibrationArchive archive) {
    archive_ = std::move(archive);
    loaded_ = true;
    currentTable_ = archive_.initialTable();
    showTableList();
    showCalibrationRows();
    showCalibrationPassport();
    updateButtons();
}

void TForm6::dropArchive() {
    archive_ = CalibrationArchive();
    loaded_ = false;
    currentTable_ = -1;
    showTableList();
    showCalibrationRows();
    showCalibrationPassport();
    updateButtons();
}

void TForm6::save() {
    if (!loaded_) return;
    saveCalibrationArchive(start_, archiveName_, archive_);
    loadArchive();
}

// ---------------------------------------------------------------- display

void TForm6::showTableList() {
    filling_ = true;
    Grid3->setRowCount(archive_.tableCount());
    for (int t = 0; t < archive_.tableCount(); ++t) {
        const CalibrationTable& tab = archive_.table(t);
        setCell(Grid3, t, 0, tab.name(dictionaries_), false, false);
        setCell(Grid3, t, 1, tab.deleted() ? std::string("Del") : tab.active() ? RU("Акт") : std::string(), false, false);
    }
    if (currentTable_ >= 0) Grid3->setCurrentCell(currentTable_, 0);
    filling_ = false;
}

void TForm6::showCalibrationRows() {
    if (CalibrationTable* t = table()) t->setStandardRow(0);
    refreshRows();
    if (Grid1->rowCount() > 0) Grid1->setCurrentCell(0, 0);
}

void TForm6::refreshRows() {
    if (responseView_) {
        showResponseFactors();
        return;
    }
    filling_ = true;
    CalibrationTable* t = table();
    Grid1->setRowCount(t ? t->rowCount() : 0);
    for (int r = 0; r < Grid1->rowCount(); ++r) refreshRow(r);
    filling_ = false;
}

void TForm6::refreshRow(int r) {
    CalibrationTable* t = table();
    if (!t || r < 0 || r >= t->rowCount()) return;
    const bool saved = filling_;
    filling_ = true;
    const CalibrationRow& row = t->row(r);
    setCell(Grid1, r, 0, row.timeText(), true, true);
    setCell(Grid1, r, 1, row.areaText(), true, true);
    setCell(Grid1, r, 2, row.concText(), true, true);
    setCell(Grid1, r, 3, row.name(), false, true);
    setCell(Grid1, r, 4, t->statusText(r), false, false);
    filling_ = saved;
}

void TForm6::showCalibrationPassport() {
    filling_ = true;
    CalibrationTable* t = table();
    for (int r = 0; r < kCalAttributeCount; ++r) {
        const bool editable = t && t->headerEditable();
        setCell(Grid2, r, 1, t ? t->attributeText(r, dictionaries_) : std::string(), r >= 4 && r <= 9, editable);
    }
    filling_ = false;
}

void TForm6::showResponseFactors() {
    CalibrationTable* t = table();
    filling_ = true;
    Grid1->horizontalHeaderItem(1)->setText(QStringLiteral("           K"));
    Grid1->horizontalHeaderItem(2)->setText(QString());
    Grid1->setRowCount(t ? t->rowCount() : 0);
    if (t) {
        auto k = t->ResponseFactors();
        for (int r = 0; r < t->rowCount(); ++r) {
            const CalibrationRow& row = t->row(r);
            const size_t i = static_cast<size_t>(r);
            setCell(Grid1, r, 0, row.timeText(), true, false);
            setCell(Grid1, r, 1, k[i] ? fixedText(*k[i], 16, 5) : std::string("-"), true, false);
            setCell(Grid1, r, 2, "", true, false);
            setCell(Grid1, r, 3, row.name(), false, false);
            setCell(Grid1, r, 4, t->statusText(r), false, false);
        }
    }
    filling_ = false;
}

void TForm6::leaveResponseFactors() {
    if (!responseView_) return;
    responseView_ = false;
    Grid1->horizontalHeaderItem(1)->setText(toQString(RU("S,мВ.с")));
    Grid1->horizontalHeaderItem(2)->setText(toQString(RU("C,1/мл")));
    SpeedButton13->hide();
    Panel4->show();
}

void TForm6::askForValue(EditMode mode) {
    editMode_ = mode;
    StaticText5->show();
    Edit1->clear();
    Edit1->show();
    Edit1->setFocus();
}

void TForm6::cancelValue() {
    editMode_ = EditMode::None;
    valueRow_ = -1;
    StaticText5->setToolTip(toQString(RU("значение коэффициента")));
    StaticText5->hide();
    Edit1->hide();
}

void TForm6::updateButtons() {
    CalibrationTable* t = table();
    const bool rows = t && t->rowCount() > 0;
    SpeedButton12->setEnabled(loaded_);
    SpeedButton11->setEnabled(t != nullptr);
    SpeedButton2->setEnabled(t != nullptr);
    for (QToolButton* b : {SpeedButton3, SpeedButton4, SpeedButton5, SpeedButton6, SpeedButton7, SpeedButton8,
                           SpeedButton9, SpeedButton10})
        b->setEnabled(rows);
}

void TForm6::hidePicker() {
    pickerRow_ = -1;
    ComboBox1->hide();
}

void TForm6::reportRowEdit(RowEdit e) {
    if (e == RowEdit::DoesNotFit)
        dialogs_.info(RU("Время не помещается в столбец архива: не более 99999 с (1666.65 мин)"));
    else if (e == RowEdit::NameEndsInDash)
        dialogs_.info(RU("Название вещества не может оканчиваться знаком «-»: так отмечаются выключенные строки"));
}

void TForm6::reportAttributeEdit(AttributeEdit e, int row) {
    if (e == AttributeEdit::NotInDictionary)
        dialogs_.info(RU("В словаре ") + kDictionaryFiles[row] + RU(" нет такой строки. Выберите значение из списка"));
    else if (e == AttributeEdit::DoesNotFit && isDictionaryAttribute(row))
        dialogs_.info(RU("Номер строки словаря ") + kDictionaryFiles[row] +
                      RU(" не помещается в заголовок таблицы"));
    else if (e == AttributeEdit::DoesNotFit)
        dialogs_.info(RU("Число не помещается в 4 знака заголовка таблицы"));
}

// ---------------------------------------------------------------- window events

void TForm6::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) guarded(dialogs_, [this] { FormShow(); });
}

void TForm6::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // A window hidden by the program rather than closed by the user asks here; not when it
    // only disappears with its main window (isHidden() is false then), which asks itself.
    if (!event->spontaneous() && isHidden()) askToSaveChanges();
}

void TForm6::closeEvent(QCloseEvent* event) {
    if (askToSaveChanges()) event->accept();
    else event->ignore();
}

void TForm6::loadCaptions() {
    captions_ = readCalibrationAttributeCaptions(start_);
    filling_ = true;
    for (int r = 0; r < kCalAttributeCount; ++r) setCell(Grid2, r, 0, captions_[static_cast<size_t>(r)], false, false);
    filling_ = false;
    Grid2->resizeColumnToContents(0);
    Grid2->setMinimumWidth(Grid2->columnWidth(0) + 56 + 2 * Grid2->frameWidth());
}

// Widens the window (never narrows it) so that the attributes of every table of the archive
// show whole; the window placement keeps it within the screen.
void TForm6::widenAttributesToTheirTexts() {
    const QFontMetrics fm = Grid2->fontMetrics();
    int values = 180;
    for (int t = 0; t < archive_.tableCount(); ++t)
        for (int r = 0; r < kCalAttributeCount; ++r)
            values = std::max(values, fm.horizontalAdvance(toQString(archive_.table(t).attributeText(r, dictionaries_))) + 12);
    const int wanted = Grid2->columnWidth(0) + values + 2 * Grid2->frameWidth();
    if (Grid2->width() < wanted) resize(width() + wanted - Grid2->width(), height());
}

void TForm6::FormShow() {
    setWindowTitle(toQString(RU("Архив градуировок. Файл ") + archiveName_));
    if (captions_.empty()) {
        try {
            loadCaptions();
        } catch (const std::exception&) {
            dialogs_.info(RU("Нет файла \\space\\regn.txt: подписи атрибутов таблиц не показаны."));
        }
    }
    // Changes that a failed save left in the window are shown again, not read over.
    if (!hasUnsavedChanges()) loadArchive();
    widenAttributesToTheirTexts();
}

// ---------------------------------------------------------------- table list and attributes

void TForm6::Grid3Click(int row) {
    if (row < 0 || row >= archive_.tableCount()) return;
    hidePicker();
    cancelValue();
    leaveResponseFactors();
    currentTable_ = row;
    Grid3->setCurrentCell(row, 0);
    showCalibrationRows();
    showCalibrationPassport();
    updateButtons();
}

void TForm6::SpeedButton11Click() {
    if (!table()) return;
    archive_.markTableDeleted(currentTable_);
    showTableList();
}

void TForm6::Grid2Click(int row, int column) {
    hidePicker();
    CalibrationTable* t = table();
    if (column != 1 || !isDictionaryAttribute(row) || !t || !t->headerEditable()) return;
    guarded(dialogs_, [&] {
        std::vector<std::string> entries = readPassportDictionary(start_, kDictionaryFiles[row]);
        dictionaryForAttribute(dictionaries_, row) = entries;
        ComboBox1->clear();
        for (const auto& e : entries) ComboBox1->addItem(toQString(e));
        const int index = t->attributeIndex(row);
        ComboBox1->setCurrentIndex(index >= 1 && index <= static_cast<int>(entries.size()) ? index - 1 : -1);
        QTableWidgetItem* item = Grid2->item(row, 1);
        ComboBox1->setGeometry(Grid2->visualItemRect(item));
        pickerRow_ = row;
        ComboBox1->show();
        ComboBox1->setFocus();
    });
}

void TForm6::ComboBox1Change(int index) {
    const int row = pickerRow_;
    CalibrationTable* t = table();
    hidePicker();
    if (row < 0 || !t || index < 0) return;
    reportAttributeEdit(t->chooseAttributeEntry(row, index + 1), row);
    showCalibrationPassport();
    showTableList();
}

void TForm6::Grid2SetEditText(int row, int column) {
    if (filling_ || column != 1) return;
    CalibrationTable* t = table();
    if (!t) return;
    const std::string text = cellText(Grid2, row, column);
    guarded(dialogs_, [&] {
        if (isDictionaryAttribute(row)) {
            try {
                dictionaryForAttribute(dictionaries_, row) =
                    readPassportDictionary(start_, kDictionaryFiles[row]);
            } catch (...) {
                showCalibrationPassport();
                throw;
            }
        }
        reportAttributeEdit(t->setAttributeText(row, text, dictionaries_), row);
        showCalibrationPassport();
        showTableList();
    });
}

// ---------------------------------------------------------------- component rows

void TForm6::Grid1SetEditText(int row, int column) {
    if (filling_ || responseView_) return;
    CalibrationTable* t = table();
    if (!t || row < 0 || row >= t->rowCount()) return;
    const std::string text = cellText(Grid1, row, column);
    RowEdit e = RowEdit::Unchanged;
    switch (column) {
        case 0: e = t->setTimeText(row, text); break;
        case 1: e = t->setAreaText(row, text); break;
        case 2: e = t->setConcText(row, text); break;
        case 3: e = t->setNameText(row, text); break;
        default: break;
    }
    reportRowEdit(e);
    refreshRow(row);
}

void TForm6::Grid1DblClick(int row) {
    CalibrationTable* t = table();
    if (!t || row < 0 || row >= t->rowCount()) return;
    t->setStandardRow(row);
    refreshRows();
}

void TForm6::SpeedButton8Click() {
    const int r = selectedRow();
    if (r < 0) return;
    table()->switchOff(r);
    refreshRow(r);
}

void TForm6::SpeedButton9Click() {
    const int r = selectedRow();
    if (r < 0) return;
    table()->switchOn(r);
    refreshRow(r);
}

void TForm6::SpeedButton10Click() {
    const int r = selectedRow();
    if (r < 0) return;
    table()->markRowDeleted(r);
    refreshRow(r);
}

void TForm6::SpeedButton2Click() {
    CalibrationTable* t = table();
    if (!t) return;
    t->addRow();
    refreshRows();
    updateButtons();
}

void TForm6::SpeedButton3Click() {
    CalibrationTable* t = table();
    if (!t || t->rowCount() == 0) return;
    t->alignToStandard();
    refreshRows();
}

void TForm6::SpeedButton4Click() {
    const int r = selectedRow();
    if (r < 0) return;
    askForValue(EditMode::AreaFactor);
    valueRow_ = r;
}

void TForm6::SpeedButton5Click() {
    const int r = selectedRow();
    if (r < 0) return;
    askForValue(EditMode::ConcFactor);
    valueRow_ = r;
}

void TForm6::SpeedButton7Click() {
    if (!table() || table()->rowCount() == 0) return;
    askForValue(EditMode::TotalConc);
    StaticText5->setToolTip(toQString(RU("суммарную концентрацию")));
}

void TForm6::Edit1Enter() {
    CalibrationTable* t = table();
    if (!t || editMode_ == EditMode::None) return;
    const double x = parseLenient(fromQString(Edit1->text()));
    if (x == 0) return;
    switch (editMode_) {
        case EditMode::AreaFactor: t->scaleArea(valueRow_, x); break;
        case EditMode::ConcFactor: t->scaleConc(valueRow_, x); break;
        case EditMode::TotalConc:
            totalConcentration_ = x;
            if (!t->ProportionalRecount(totalConcentration_))
                dialogs_.info(RU("Сумма площадей равна 0: пересчет невозможен"));
            break;
        case EditMode::None: break;
    }
    cancelValue();
    refreshRows();
}

void TForm6::SpeedButton6Click() {
    if (!table() || table()->rowCount() == 0) return;
    hidePicker();
    cancelValue();
    responseView_ = true;
    Panel4->hide();
    SpeedButton13->show();
    showResponseFactors();
}

void TForm6::SpeedButton13Click() {
    leaveResponseFactors();
    showCalibrationRows();
    showCalibrationPassport();
}

// ---------------------------------------------------------------- files

void TForm6::SpeedButton12Click() {
    guarded(dialogs_, [this] { save(); });
}

void TForm6::SpeedButton1Click() {
    guarded(dialogs_, [this] {
        if (hasUnsavedChanges() && dialogs_.confirm(RU("Файл изменен. Сохранить его?"))) save();
        hidePicker();
        cancelValue();
        FileDialogRequest request;
        request.title = RU("Файлы градуировок");
        request.filter = "*.grd |*.grd";
        request.initialDir = start_.folder("space");
        request.proposedName = archiveName_ + ".grd";
        std::optional<fs::path> chosen = dialogs_.openOne(request);
        if (!chosen) return;
        ChosenArchive choice = archiveNameFromChosenFile(start_, *chosen);
        if (choice.outcome == ChosenArchive::NotInSpaceFolder) {
            dialogs_.info(RU("Файл градуировок должен находиться в папке space"));
            return;
        }
        if (choice.outcome == ChosenArchive::BadNameLength) {
            dialogs_.info(RU("Имя файла градуировок должно содержать от 1 до 16 знаков"));
            return;
        }
        // Read first: the setting changes only once the chosen archive has been read.
        CalibrationArchive archive = loadCalibrationArchive(start_, choice.name);
        archiveName_ = choice.name;
        setWindowTitle(toQString(RU("Архив градуировок. Файл ") + archiveName_));
        leaveResponseFactors();
        installArchive(std::move(archive));
    });
}

void TForm6::AppendCalibrationTable(const std::string& key, const std::vector<PeakRowForCalibration>& rows) {
    guarded(dialogs_, [&] {
        if (calibrationTableFromPeakRows(key, rows).empty()) {
            dialogs_.info(RU("Нет строк с пустым статусом: очистите статус у пиков стандарта и введите их концентрации"));
            return;
        }
        const bool open = isVisible();
        if (open && !askToSaveChanges()) return;
        AppendOutcome outcome = vk7::AppendCalibrationTable(start_, archiveName_, key, rows);
        if (outcome == AppendOutcome::TimeDoesNotFit)
            dialogs_.info(RU("Время удерживания пика не помещается в столбец архива (не более 99999 с)"));
        if (open) loadArchive();
    });
}

void TForm6::SpeedButton20Click() {
    if (showHelpPage_) showHelpPage_(help_page::CalibrationArchive);
}

}  // namespace vk7
