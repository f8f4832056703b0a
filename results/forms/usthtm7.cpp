// HTML protocol settings window (TForm16) "Протоколы HTML".
#include "results/forms/usthtm7.h"

#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <QToolButton>

#include "common/cp1251.h"
#include "common/number_text.h"
#include "common/paths.h"
#include "platform/qt/event_guard.h"
#include "platform/qt/qt_text.h"
#include "results/forms/sredy7.h"
#include "results/forms/vibsum7.h"
#include "results/protocol_files.h"

namespace vk7 {

namespace {

QToolButton* button(QWidget* parent, const char* name, const std::string& caption, const std::string& hint) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(toQString(caption));
    b->setToolTip(toQString(hint));
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QLabel* label(QWidget* parent, const char* name, const std::string& caption, const std::string& hint = {}) {
    auto* l = new QLabel(toQString(caption), parent);
    l->setObjectName(QString::fromLatin1(name));
    if (!hint.empty()) l->setToolTip(toQString(hint));
    return l;
}

}  // namespace

TForm16::TForm16(ProcessingState& state, Dialogs& dialogs, std::function<void(HelpPage)> showHelpPage,
                 TForm17* form17, TForm18* form18, QWidget* owner)
    : ToolWindow(QStringLiteral("Form16"), toQString(RU("Протоколы HTML")), owner), state_(state), dialogs_(dialogs),
      showHelpPage_(std::move(showHelpPage)), form17_(form17), form18_(form18) {
    SpeedButton1 = button(this, "SpeedButton1", RU("Бланк"), RU("Выбор готового бланка"));
    SpeedButton1->setGeometry(8, 8, 64, 25);
    Label1 = label(this, "Label1", "");
    Label1->setGeometry(80, 12, 250, 17);
    SpeedButton3 = button(this, "SpeedButton3", RU("Среда"), RU("Обследуемые среды, таблица ПДК (норм)"));
    SpeedButton3->setGeometry(8, 40, 64, 25);
    Label5 = label(this, "Label5", "", RU("Среда, для которой рассматриваются ПДК"));
    Label5->setGeometry(80, 44, 250, 17);
    SpeedButton5 = button(this, "SpeedButton5", RU("Суммы"), RU("Таблица выборочных сумм"));
    SpeedButton5->setGeometry(8, 72, 64, 25);
    SpeedButton2 = button(this, "SpeedButton2", "?", RU("Подсказка"));
    SpeedButton2->setGeometry(305, 72, 25, 25);
    Label2 = label(this, "Label2", RU("Оператор"), RU("Подпись под протоколом"));
    Label2->setGeometry(8, 110, 64, 17);
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setMaxLength(static_cast<int>(kOperatorMax));
    Edit2->setGeometry(80, 106, 250, 23);
    Label3 = label(this, "Label3", RU("Номер"));
    Label3->setGeometry(8, 142, 64, 17);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(80, 138, 80, 23);

    connect(SpeedButton1, &QToolButton::clicked, this, &TForm16::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm16::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TForm16::SpeedButton3Click);
    connect(SpeedButton5, &QToolButton::clicked, this, &TForm16::SpeedButton5Click);
    connect(Edit1, &QLineEdit::editingFinished, this, &TForm16::Edit1Exit);
    connect(Edit2, &QLineEdit::returnPressed, this, &TForm16::Edit2Enter);
    resize(340, 172);
}

void TForm16::showEvent(QShowEvent* event) {
    ToolWindow::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TForm16::hideEvent(QHideEvent* event) {
    ToolWindow::hideEvent(event);
    if (!event->spontaneous()) FormHide();
}

void TForm16::FormShow() {
    guarded(dialogs_, [this] {
        state_.HtmlProtocol = LoadHtmlProtocolSettings(state_.Start);
        showSettings();
    });
}

void TForm16::showSettings() {
    const HtmlProtocolSettings& s = state_.HtmlProtocol;
    Label1->setText(toQString(s.Blank));
    Label5->setText(toQString(s.Medium));
    Edit2->setText(toQString(s.Operator));
    Edit1->setText(QString::fromLatin1(intText(s.ProtocolNumber).c_str()));
}

void TForm16::SettingsChanged() {
    if (!isVisible()) return;
    const HtmlProtocolSettings& s = state_.HtmlProtocol;
    Label5->setText(toQString(s.Medium));
    Edit1->setText(QString::fromLatin1(intText(s.ProtocolNumber).c_str()));
}

// The windows this one shows go with it; a number typed and not yet taken is taken silently
// when it is valid. Every other setting was saved when it changed.
void TForm16::FormHide() {
    if (form17_) static_cast<QWidget*>(form17_)->hide();
    if (form18_) static_cast<QWidget*>(form18_)->hide();
    takeNumber(false);
}

void TForm16::save() { SaveHtmlProtocolSettings(state_.Start, state_.HtmlProtocol); }

bool TForm16::takeNumber(bool tell) {
    const std::optional<int64_t> n = parseStrictInt(fromQString(Edit1->text()));
    if (!n || *n < 0 || *n > 65535) {
        Edit1->setText(QString::fromLatin1(intText(state_.HtmlProtocol.ProtocolNumber).c_str()));
        if (tell) dialogs_.info(RU("Номер протокола: целое от 0 до 65535"));
        return false;
    }
    if (*n == state_.HtmlProtocol.ProtocolNumber) return true;
    return guarded(dialogs_, [&] {
        state_.HtmlProtocol.ProtocolNumber = static_cast<uint16_t>(*n);
        save();
    });
}

void TForm16::Edit1Exit() {
    // The refusal box takes the focus and would end the editing once more.
    if (checkingNumber_) return;
    checkingNumber_ = true;
    takeNumber(true);
    checkingNumber_ = false;
}

void TForm16::Edit2Enter() {
    guarded(dialogs_, [this] {
        state_.HtmlProtocol.Operator = cutText(fromQString(Edit2->text()), kOperatorMax);
        save();
    });
}

// The blank is chosen in \doc\ and must lie there: the protocol takes it by name from there.
void TForm16::SpeedButton1Click() {
    guarded(dialogs_, [this] {
        const std::filesystem::path doc = state_.Start.ensureFolder("doc");
        FileDialogRequest request;
        request.title = RU("Выбор бланка");
        request.filter = "*.htm |*.htm";
        request.initialDir = doc;
        request.proposedName = state_.HtmlProtocol.Blank;
        const std::optional<std::filesystem::path> chosen = dialogs_.openOne(request);
        if (!chosen) return;
        if (!isDirectlyInFolder(*chosen, doc)) {
            dialogs_.info(RU("Бланк должен лежать в папке \\doc"));
            return;
        }
        state_.HtmlProtocol.Blank = cutText(textFromPath(chosen->filename()), kBlankNameMax);
        Label1->setText(toQString(state_.HtmlProtocol.Blank));
        save();
    });
}

void TForm16::SpeedButton2Click() {
    if (showHelpPage_) showHelpPage_(help_page::HtmlProtocolSettings);
}

void TForm16::SpeedButton3Click() {
    if (form17_) form17_->showInFront();
}

void TForm16::SpeedButton5Click() {
    if (form18_) form18_->showInFront();
}

}  // namespace vk7
