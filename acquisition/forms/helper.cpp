// Help window (TForm4, "Помощь"): the acquisition program's help pages.
#include "acquisition/forms/helper.h"

#include <utility>

#include <QVBoxLayout>

#include "common/cp1251.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

TForm4::TForm4(StartFolder start, QWidget* parent)
    : QWidget(parent, Qt::Window), start_(std::move(start)), WebBrowser1_(new HelpView(this)) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(toQString(RU("Помощь")));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(WebBrowser1_);
    resize(545, 488);
}

void TForm4::showPage(const std::string& name) {
    HelpPageName_ = name;
    WebBrowser1_->showPage(start_.file("help", name));
    show();
    raise();
}

}  // namespace vk7
