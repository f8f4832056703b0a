// Media and norms window (TForm17) "Обследуемые среды , ПДК или нормы".
#include "results/forms/sredy7.h"

#include <algorithm>

#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <QTableWidget>
#include <QToolButton>

#include "common/cp1251.h"
#include "common/number_text.h"
#include "platform/qt/event_guard.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

namespace {

QToolButton* button(QWidget* parent, const char* name, const char* caption, const std::string& hint) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(QString::fromLatin1(caption));
    b->setToolTip(toQString(hint));
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

const std::string kBlankLabel = "    ";

// A name longer than the line of komp.dat holds beside the norms of nine media.
const std::string& nameTooLongText() {
    static const std::string t = RU("Имя вещества длиннее ") + intText(static_cast<int64_t>(kNormNameMax)) + RU(" символов");
    return t;
}

std::string cellText(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? fromQString(item->text()) : std::string();
}

}  // namespace

TForm17::TForm17(ProcessingState& state, Dialogs& dialogs, std::function<void(HelpPage)> showHelpPage, QWidget* owner)
    : ToolWindow(QStringLiteral("Form17"), toQString(RU("Обследуемые среды , ПДК или нормы")), owner), state_(state),
      dialogs_(dialogs), showHelpPage_(std::move(showHelpPage)) {
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setToolTip(toQString(RU("Установлена для текущих анализов")));
    ComboBox1->setEditable(false);
    ComboBox1->setGeometry(80, 8, 260, 23);
    Label1 = new QLabel(toQString(kBlankLabel), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 11, 70, 17);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(static_cast<int>(kMediumMax));
    Edit1->setGeometry(80, 8, 260, 23);
    Edit1->hide();
    SpeedButton1 = button(this, "SpeedButton1", "+", RU("Добавление среды (столбца)"));
    SpeedButton1->setGeometry(348, 8, 25, 23);
    SpeedButton2 = button(this, "SpeedButton2", "-", RU("Удаление среды (столбца)"));
    SpeedButton2->setGeometry(376, 8, 25, 23);
    SpeedButton3 = button(this, "SpeedButton3", "?", RU("Помощь"));
    SpeedButton3->setGeometry(420, 8, 25, 23);

    StringGrid1 = new QTableWidget(2, 1 + kGridMedia, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->hide();
    StringGrid1->verticalHeader()->setDefaultSectionSize(18);
    StringGrid1->setColumnWidth(0, 170);
    for (int c = 1; c <= kGridMedia; ++c) StringGrid1->setColumnWidth(c, 90);
    StringGrid1->setGeometry(8, 40, 620, 260);

    SpeedButton4 = button(this, "SpeedButton4", "+", RU("Добавление вещества (строки)"));
    SpeedButton4->setGeometry(8, 308, 25, 23);
    SpeedButton5 = button(this, "SpeedButton5", "-", RU("Удаление вещества (строки)"));
    SpeedButton5->setGeometry(36, 308, 25, 23);
    Label2 = new QLabel(toQString(kBlankLabel), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(72, 311, 70, 17);
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setMaxLength(64);
    Edit2->setGeometry(144, 308, 220, 23);
    Edit2->hide();

    // The substance buttons act on a double click.
    SpeedButton4->installEventFilter(this);
    SpeedButton5->installEventFilter(this);
    connect(ComboBox1, &QComboBox::activated, this, &TForm17::ComboBox1Change);
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm17::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm17::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm17::SpeedButton3Click);
    connect(Edit1, &QLineEdit::returnPressed, this, &TForm17::Edit1Enter);
    connect(Edit2, &QLineEdit::returnPressed, this, &TForm17::Edit2Enter);
    connect(StringGrid1, &QTableWidget::cellChanged, this, &TForm17::cellEdited);
    resize(636, 340);
}

bool TForm17::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == SpeedButton4) SpeedButton4DblClick();
        if (watched == SpeedButton5) SpeedButton5DblClick();
    }
    return ToolWindow::eventFilter(watched, event);
}

void TForm17::showEvent(QShowEvent* event) {
    ToolWindow::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TForm17::hideEvent(QHideEvent* event) {
    ToolWindow::hideEvent(event);
    if (!event->spontaneous()) FormHide();
}

void TForm17::FormShow() {
    loaded_ = false;
    guarded(dialogs_, [this] {
        table_ = LoadNormsTable(state_.Start);
        changed_ = false;
        Edit1->hide();
        Edit2->hide();
        Label1->setText(toQString(kBlankLabel));
        Label2->setText(toQString(kBlankLabel));
        ComboBox1->show();
        fillMedia();
        fillGrid();
        loaded_ = true;
    });
}

void TForm17::FormHide() {
    if (!loaded_ || !changed_) return;
    if (dialogs_.confirm(RU("Таблица изменена. Сохранить ее?")))
        guarded(dialogs_, [this] { SaveNormsTable(state_.Start, table_); });
    changed_ = false;
}

void TForm17::fillMedia() {
    const QSignalBlocker block(ComboBox1);
    ComboBox1->clear();
    for (const std::string& m : table_.Media) ComboBox1->addItem(toQString(m));
    ComboBox1->setCurrentIndex(ComboBox1->findText(toQString(state_.HtmlProtocol.Medium)));
    SpeedButton1->setEnabled(static_cast<int>(table_.Media.size()) < kGridMedia);
}

// Row 0 the media, rows 1 .. the substances, one empty row after them; the media row and the
// empty row cannot be edited.
void TForm17::fillGrid() {
    filling_ = true;
    const QSignalBlocker block(StringGrid1);
    const int rows = substanceRows() + 2;
    StringGrid1->clearContents();
    StringGrid1->setRowCount(rows);
    const QBrush fixed = palette().button();
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c <= kGridMedia; ++c) {
            std::string text;
            if (r == 0 && c >= 1 && c <= static_cast<int>(table_.Media.size())) text = table_.Media[static_cast<size_t>(c - 1)];
            if (r >= 1 && r <= substanceRows()) {
                const NormsTable::Substance& s = table_.Substances[static_cast<size_t>(r - 1)];
                if (c == 0) text = s.Name;
                else if (c <= static_cast<int>(s.Norms.size())) text = std::string(trimBlanks(normText(s.Norms[static_cast<size_t>(c - 1)])));
            }
            auto* item = new QTableWidgetItem(toQString(text));
            const bool editable = r >= 1 && r <= substanceRows() && c <= static_cast<int>(table_.Media.size());
            item->setFlags(editable ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable
                                    : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            if (r == 0 || c == 0) item->setBackground(fixed);
            StringGrid1->setItem(r, c, item);
        }
    filling_ = false;
}

// A typed cell: a substance name (one longer than 24 characters is written whole, its norms
// after it, up to the length a line holds beside nine media), a norm that is a number of 0
// or more, or nothing (no norm). A refused text is replaced by the value before it.
void TForm17::cellEdited(int row, int column) {
    if (filling_ || row < 1 || row > substanceRows()) return;
    NormsTable::Substance& s = table_.Substances[static_cast<size_t>(row - 1)];
    const std::string text = cellText(StringGrid1, row, column);
    if (column == 0) {
        const std::string name(trimBlanks(text));
        if (name.size() > kNormNameMax || name.empty()) {
            if (!name.empty()) dialogs_.info(nameTooLongText());
            fillGrid();
            return;
        }
        s.Name = name;
    } else {
        const size_t k = static_cast<size_t>(column - 1);
        if (k >= table_.Media.size()) return;
        std::optional<double> norm;
        if (!trimBlanks(text).empty()) {
            norm = parseStrictReal(text);
            if (!norm || *norm < 0) {
                dialogs_.info(RU("Норма должна быть неотрицательным числом"));
                fillGrid();
                return;
            }
        }
        if (s.Norms.size() < table_.Media.size()) s.Norms.resize(table_.Media.size());
        s.Norms[k] = norm && *norm != 0 ? norm : std::nullopt;
    }
    changed_ = true;
}

void TForm17::setMedium(const std::string& medium) {
    guarded(dialogs_, [&] {
        HtmlProtocolSettings s = LoadHtmlProtocolSettings(state_.Start);
        s.Medium = cutText(medium, kMediumMax);
        SaveHtmlProtocolSettings(state_.Start, s);
        state_.HtmlProtocol = s;
    });
    if (mediumChosen_) mediumChosen_();
}

void TForm17::ComboBox1Change(int index) {
    if (index < 0 || index >= static_cast<int>(table_.Media.size())) return;
    setMedium(table_.Media[static_cast<size_t>(index)]);
}

void TForm17::SpeedButton1Click() {
    if (static_cast<int>(table_.Media.size()) >= kGridMedia) return;
    ComboBox1->hide();
    startNaming(Edit1, Label1);
}

// A medium name of 1 to 32 characters whose second character is not '-' (a '-' there ends the
// list of media in komp.dat).
void TForm17::Edit1Enter() {
    const std::string name = fromQString(Edit1->text());
    if (trimBlanks(name).empty()) return;
    if (name.size() > 1 && name[1] == '-') {
        dialogs_.info(RU("Второй символ имени среды не может быть \"-\""));
        return;
    }
    table_.Media.push_back(cutText(name, kMediumMax));
    for (NormsTable::Substance& s : table_.Substances) s.Norms.resize(table_.Media.size());
    Edit1->hide();
    Label1->setText(toQString(kBlankLabel));
    ComboBox1->show();
    fillMedia();
    fillGrid();
    changed_ = true;
}

void TForm17::SpeedButton2Click() {
    const int column = StringGrid1->currentColumn();
    if (column < 1 || column > static_cast<int>(table_.Media.size())) return;
    const size_t k = static_cast<size_t>(column - 1);
    const std::string name = table_.Media[k];
    if (!dialogs_.confirm(RU("Удалить столбец \"") + name + RU("\" из таблицы?"))) return;
    table_.Media.erase(table_.Media.begin() + static_cast<std::ptrdiff_t>(k));
    for (NormsTable::Substance& s : table_.Substances)
        if (k < s.Norms.size()) s.Norms.erase(s.Norms.begin() + static_cast<std::ptrdiff_t>(k));
    changed_ = true;
    if (name == state_.HtmlProtocol.Medium) {
        std::string next;
        if (!table_.Media.empty()) next = table_.Media[k == 0 ? 0 : k - 1];
        setMedium(next);
    }
    fillMedia();
    fillGrid();
}

void TForm17::SpeedButton3Click() {
    if (showHelpPage_) showHelpPage_(help_page::MediaAndNorms);
}

void TForm17::SpeedButton4DblClick() { startNaming(Edit2, Label2); }

// The name field shown empty with the focus and "Назовите:" before it; the table counts as
// changed from here.
void TForm17::startNaming(QLineEdit* edit, QLabel* label) {
    edit->clear();
    edit->show();
    edit->setFocus();
    label->setText(toQString(RU("Назовите:")));
    changed_ = true;
}

// The new substance takes the current row; the rows from there move down. On the media row
// it goes first, on the empty row last.
void TForm17::Edit2Enter() {
    const std::string name(trimBlanks(fromQString(Edit2->text())));
    if (name.empty()) return;
    if (name.size() > kNormNameMax) {
        dialogs_.info(nameTooLongText());
        return;
    }
    const int at = std::clamp(StringGrid1->currentRow(), 1, substanceRows() + 1);
    NormsTable::Substance s;
    s.Name = name;
    s.Norms.resize(table_.Media.size());
    table_.Substances.insert(table_.Substances.begin() + (at - 1), std::move(s));
    Edit2->hide();
    Label2->setText(toQString(kBlankLabel));
    fillGrid();
    StringGrid1->setCurrentCell(at, 0);
    changed_ = true;
}

void TForm17::SpeedButton5DblClick() {
    const int row = StringGrid1->currentRow();
    if (row < 1 || row > substanceRows()) return;
    const std::string& full = table_.Substances[static_cast<size_t>(row - 1)].Name;
    const std::string name = full.substr(0, full.find(' '));
    if (!dialogs_.confirm(RU("Удалить строку \"") + name + RU("\" из таблицы?"))) return;
    table_.Substances.erase(table_.Substances.begin() + (row - 1));
    changed_ = true;
    fillGrid();
}

}  // namespace vk7
