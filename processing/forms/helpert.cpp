// Help window (TForm10): one page of the processing program's help, its title as the caption.
#include "processing/forms/helpert.h"

#include <utility>

#include <QVBoxLayout>

#include "common/cp1251.h"

namespace vk7 {

TForm10::TForm10(StartFolder start, QWidget* parent)
    : QWidget(parent, Qt::Tool), start_(std::move(start)), WebBrowser1_(new HelpView(this)) {
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QString::fromStdString(toUtf8(RU("Справка"))));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(WebBrowser1_);
    resize(545, 488);
    connect(WebBrowser1_, &HelpView::pageShown, this, [this](const QString& title) { setWindowTitle(title); });
}

void TForm10::ShowHelpPage(HelpPage page) {
    WebBrowser1_->showPage(helpPagePath(start_, page));
    show();
    raise();
    activateWindow();
    WebBrowser1_->setFocus();
}

}  // namespace vk7
