// Processing parameters window (TForm3) "Параметры обработки".
#include "chromfile/forms/trparam.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolButton>

#include "chromfile/methodology.h"
#include "common/cp1251.h"
#include "platform/qt/event_guard.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

namespace fs = std::filesystem;

namespace {

QString ru(const std::string& cp1251) { return toQString(cp1251); }

constexpr int kRowHeight = 17;

// Value cells report every change of their text while they are edited.
class ValueDelegate : public QStyledItemDelegate {
public:
    ValueDelegate(std::function<void(int, const std::string&)> typed, QObject* parent)
        : QStyledItemDelegate(parent), typed_(std::move(typed)) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            const int row = index.row();
            if (row == 6 || row == 9) line->setMaxLength(32);
            auto typed = typed_;
            QObject::connect(line, &QLineEdit::textEdited, line, [typed, row](const QString& t) { typed(row, fromQString(t)); });
        }
        return editor;
    }

private:
    std::function<void(int, const std::string&)> typed_;
};

bool isListRow(int row) { return !parameterChoices(row).empty(); }

}  // namespace

TForm3::TForm3(ProcessingState& state, Dialogs& dialogs, QWidget* owner)
    : ToolWindow(QStringLiteral("Form3"), ru(RU("Параметры обработки")), owner), state_(state), dialogs_(dialogs) {
    resize(470, 300);

    Grid = new QTableWidget(kParameterRows, 2, this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->setGeometry(4, 4, 462, kParameterRows * kRowHeight + 4);
    Grid->horizontalHeader()->hide();
    Grid->verticalHeader()->hide();
    Grid->verticalHeader()->setMinimumSectionSize(kRowHeight);
    Grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    Grid->setColumnWidth(0, 300);
    Grid->setColumnWidth(1, 158);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Grid->setItemDelegateForColumn(1, new ValueDelegate([this](int row, const std::string& t) { GridSetEditText(row, t); }, Grid));
    Grid->installEventFilter(this);
    for (int r = 0; r < kParameterRows; ++r)
        for (int c = 0; c < 2; ++c) {
            auto* item = new QTableWidgetItem;
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (c == 1 && !isListRow(r) && r != 11) flags |= Qt::ItemIsEditable;
            item->setFlags(flags);
            Grid->setItem(r, c, item);
        }

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setToolTip(ru(RU("Выберите")));
    ComboBox1->hide();

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setGeometry(4, kParameterRows * kRowHeight + 14, 462, 64);
    SpeedButton1 = new QToolButton(Panel1);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setText(ru(RU("Другой файл градуировок")));
    SpeedButton1->setGeometry(6, 6, 180, 24);
    Label1 = new QLabel(Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setToolTip(ru(RU("Активный файл градуировок")));
    Label1->setGeometry(192, 8, 130, 20);
    SpeedButton2 = new QToolButton(Panel1);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setText(ru(RU("Сохранить методику")));
    SpeedButton2->setGeometry(6, 34, 180, 24);
    CheckBox1 = new QCheckBox(ru(RU("Дополн. фильтр")), Panel1);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(192, 36, 150, 20);
    SpeedButton20 = new QToolButton(Panel1);
    SpeedButton20->setObjectName(QStringLiteral("SpeedButton20"));
    SpeedButton20->setText(QStringLiteral("?"));
    SpeedButton20->setGeometry(420, 20, 30, 24);
    resize(470, Panel1->geometry().bottom() + 6);

    connect(Grid, &QTableWidget::cellClicked, this, [this](int row, int column) {
        GridSelectCell(row, column);
        if (row == 11) chooseMethodology();
    });
    // Enter in a value cell ends its edit: the grid shows the values as they now stand.
    connect(Grid->itemDelegateForColumn(1), &QAbstractItemDelegate::closeEditor, this, &TForm3::FillParameterGrid,
            Qt::QueuedConnection);
    connect(ComboBox1, qOverload<int>(&QComboBox::activated), this, &TForm3::ComboBox1Change);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm3::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm3::SpeedButton2Click);
    connect(CheckBox1, &QCheckBox::clicked, this, &TForm3::CheckBox1Click);
    connect(SpeedButton20, &QToolButton::clicked, this, &TForm3::SpeedButton20Click);
    FillParameterGrid();
}

std::string TForm3::cellText(int row, int column) const {
    const QTableWidgetItem* item = Grid->item(row, column);
    return item ? fromQString(item->text()) : std::string();
}

void TForm3::FillParameterGrid() {
    filling_ = true;
    const std::vector<ParameterRow> rows = parameterGridRows(state_.Settings);
    for (int r = 0; r < kParameterRows; ++r) {
        Grid->item(r, 0)->setText(ru(rows[static_cast<size_t>(r)].Caption));
        Grid->item(r, 1)->setText(ru(rows[static_cast<size_t>(r)].Value));
    }
    shownRow9_ = rows[9].Value;
    Label1->setText(ru(state_.Settings.CalibrationArchiveName));
    CheckBox1->setChecked(state_.AdditionalFilter);
    filling_ = false;
}

template <class F>
void TForm3::inOwnDialog(F&& action) {
    ++ownDialogs_;
    guarded(dialogs_, action);
    --ownDialogs_;
}

void TForm3::GridSelectCell(int row, int column) {
    if (filling_ || row < 0) return;
    if (row != 9) parametersChanged_ = true;
    comboRow_ = -1;
    ComboBox1->hide();
    if (isListRow(row)) {
        comboRow_ = row;
        ComboBox1->clear();
        for (const std::string& choice : parameterChoices(row)) ComboBox1->addItem(ru(choice));
        ComboBox1->setCurrentText(Grid->item(row, 1)->text());
        const QRect cell = Grid->visualItemRect(Grid->item(row, 1));
        ComboBox1->setGeometry(Grid->x() + cell.x(), Grid->y() + row * kRowHeight, cell.width(), kRowHeight + 6);
        ComboBox1->show();
        ComboBox1->raise();
    }
    (void)column;
}

// The methodology chosen in the open or the save dialog; none on Cancel or a refused name
// (told).
std::optional<std::string> TForm3::chosenMethodology(bool save) {
    FileDialogRequest request;
    request.title = save ? RU("Сохранение методики обработки") : RU("Методики обработки");
    request.filter = "*.trp |*.trp";
    request.initialDir = state_.Start.folder("space");
    const std::optional<fs::path> chosen = save ? dialogs_.saveAs(request) : dialogs_.openOne(request);
    if (!chosen) return std::nullopt;
    const MethodologyChoice choice = methodologyNameOf(state_.Start, *chosen);
    if (!choice.ok()) {
        dialogs_.info(choice.Refusal);
        return std::nullopt;
    }
    return choice.Name;
}

void TForm3::chooseMethodology() {
    inOwnDialog([&] {
        const std::optional<std::string> name = chosenMethodology(false);
        if (!name) return;
        ProcessingSettings settings = state_.Settings;
        settings.MethodologyName = *name;
        const std::string message = LoadMethodology(state_.Start, settings);
        if (!message.empty()) {
            dialogs_.info(message);
            return;
        }
        state_.Settings = settings;
        FillParameterGrid();
        Grid->setCurrentCell(0, 1);
    });
}

void TForm3::GridSetEditText(int row, const std::string& text) {
    if (filling_) return;
    SetTypedParameter(state_.Settings, row, text, shownRow9_);
    // A value reached with the keyboard counts as a click on its cell.
    if (rowAsksReread(row)) parametersChanged_ = true;
    Grid->item(11, 1)->setText(ru(parameterGridRows(state_.Settings)[11].Value));
}

void TForm3::ComboBox1Change(int index) {
    if (comboRow_ < 0) return;
    SetParameterChoice(state_.Settings, comboRow_, index);
    ComboBox1->hide();
    comboRow_ = -1;
    FillParameterGrid();
}

void TForm3::SpeedButton1Click() {
    inOwnDialog([&] {
        const std::string before = state_.Settings.CalibrationArchiveName;
        if (hooks_.switchArchive) hooks_.switchArchive();
        if (state_.Settings.CalibrationArchiveName != before) parametersChanged_ = true;
        Label1->setText(ru(state_.Settings.CalibrationArchiveName));
    });
}

void TForm3::SpeedButton2Click() {
    inOwnDialog([&] {
        const std::optional<std::string> name = chosenMethodology(true);
        if (!name) return;
        if (fs::exists(methodologyPath(state_.Start, *name)) &&
            dialogs_.message({MessageKind::Warning, MessageButtons::OkCancel, {}, OverwriteMethodologyQuestion(*name)}) !=
                Answer::Ok) {
            state_.Settings.MethodologyName.assign(1, '?');
            FillParameterGrid();
            return;
        }
        ProcessingSettings settings = state_.Settings;
        settings.MethodologyName = *name;
        SaveMethodology(state_.Start, settings);
        state_.Settings.MethodologyName = *name;
        FillParameterGrid();
        Grid->setCurrentCell(0, 1);
    });
}

void TForm3::CheckBox1Click() {
    state_.AdditionalFilter = CheckBox1->isChecked();
    parametersChanged_ = true;
}

void TForm3::SpeedButton20Click() {
    if (hooks_.showHelpPage) hooks_.showHelpPage(help_page::ProcessingParameters);
}

void TForm3::FormDeactivate() {
    if (ownDialogs_ > 0) return;
    if (state_.ProgramMode != ModeShown || !parametersChanged_) return;
    FillParameterGrid();
    parametersChanged_ = false;
    if (hooks_.reloadChromatogram) hooks_.reloadChromatogram();
}

bool TForm3::event(QEvent* e) {
    if (e->type() == QEvent::WindowDeactivate && isVisible()) FormDeactivate();
    return ToolWindow::event(e);
}

void TForm3::showEvent(QShowEvent* e) {
    ToolWindow::showEvent(e);
    FillParameterGrid();
}

void TForm3::hideEvent(QHideEvent* e) {
    ToolWindow::hideEvent(e);
    ComboBox1->hide();
    if (!e->spontaneous()) FormDeactivate();
}

void TForm3::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    ToolWindow::keyPressEvent(e);
}

// Enter in the grid is consumed and shows the values again; Escape hides the window.
bool TForm3::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Grid && e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            FillParameterGrid();
            return true;
        }
        if (k->key() == Qt::Key_Escape) {
            hide();
            return true;
        }
    }
    return ToolWindow::eventFilter(watched, e);
}

}  // namespace vk7
