// Excel protocol settings window (TForm19) "Протоколы Excel".
#include "results/forms/ustexl7.h"

#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <QToolButton>

#include "common/cp1251.h"
#include "common/number_text.h"
#include "platform/qt/event_guard.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

TForm19::TForm19(ProcessingState& state, Dialogs& dialogs, std::function<void(HelpPage)> showHelpPage, QWidget* owner)
    : ToolWindow(QStringLiteral("Form19"), toQString(RU("Протоколы Excel")), owner), state_(state), dialogs_(dialogs),
      showHelpPage_(std::move(showHelpPage)) {
    auto label = [this](const char* name, const QString& text, int x, int y, int w) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(x, y, w, 20);
        return l;
    };
    auto button = [this](const char* name, const QString& text, const std::string& hint, int x) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(text);
        b->setToolTip(toQString(hint));
        b->setGeometry(x, 8, x == 8 ? 60 : 25, 25);
        return b;
    };
    SpeedButton1 = button("SpeedButton1", toQString(RU("Бланк")), RU("Выбор готового бланка"), 8);
    SpeedButton2 = button("SpeedButton2", QStringLiteral("?"), RU("Подсказка"), 250);
    Label1 = label("Label1", QString(), 76, 10, 170);
    Label2 = label("Label2", toQString(RU("Оператор")), 8, 44, 70);
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setToolTip(toQString(RU("Подпись под протоколом")));
    Edit2->setMaxLength(static_cast<int>(kMaxOperatorChars));
    Edit2->setGeometry(80, 42, 195, 23);
    Label3 = label("Label3", toQString(RU("Номер")), 8, 76, 70);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setValidator(new QIntValidator(0, 65535, Edit1));
    Edit1->setGeometry(80, 74, 80, 23);
    setFixedSize(283, 106);

    connect(SpeedButton1, &QToolButton::clicked, this, &TForm19::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm19::SpeedButton2Click);
    connect(Edit1, &QLineEdit::textEdited, this, [this] { save(); });
    connect(Edit2, &QLineEdit::textEdited, this, [this] { save(); });
}

void TForm19::showEvent(QShowEvent* event) {
    ToolWindow::showEvent(event);
    if (event->spontaneous()) return;
    guarded(dialogs_, [&] {
        settings_ = LoadExcelProtocolSettings(state_.Start, false);
        Label1->setText(toQString(settings_.BlankName));
        Edit2->setText(toQString(settings_.Operator));
        Edit1->setText(toQString(intText(settings_.Number)));
    });
}

void TForm19::save() {
    guarded(dialogs_, [&] {
        // Digits only (the validator); an emptied field keeps 0 until a number is typed.
        settings_.Number = static_cast<int>(parseLenientInt(fromQString(Edit1->text())));
        settings_.Operator = cutText(fromQString(Edit2->text()), kMaxOperatorChars);
        SaveExcelProtocolSettings(state_.Start, settings_);
    });
}

void TForm19::protocolNumberChanged(int number) {
    settings_.Number = number;
    if (isVisible()) Edit1->setText(toQString(intText(number)));
}

void TForm19::SpeedButton1Click() {
    guarded(dialogs_, [&] {
        FileDialogRequest request;
        request.title = RU("Выбор бланка");
        request.filter = "*.xlsx |*.xlsx";
        request.initialDir = state_.Start.folder("doc");
        request.proposedName = settings_.BlankName;
        const std::optional<fs::path> chosen = dialogs_.openOne(request);
        if (!chosen) return;
        const BlankChoice choice = chooseExcelBlank(state_.Start, *chosen);
        if (!choice.Refusal.empty()) {
            dialogs_.info(choice.Refusal);
            return;
        }
        settings_.BlankName = choice.Name;
        Label1->setText(toQString(choice.Name));
        save();
    });
}

void TForm19::SpeedButton2Click() {
    if (showHelpPage_) showHelpPage_(help_page::ExcelProtocolSettings);
}

}  // namespace vk7
