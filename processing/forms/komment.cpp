// Comment preview window (TForm15) "Комментарий": the comment of the file selected in an open dialog.
#include "processing/forms/komment.h"

#include <QLabel>
#include <QVBoxLayout>

#include "common/cp1251.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

TForm15::TForm15(QWidget* owner)
    : ToolWindow(QStringLiteral("Form15"), toQString(RU("Комментарий")), owner), Label1(new QLabel(this)) {
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setTextFormat(Qt::PlainText);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(Label1);
    resize(320, 120);
    // The preview only shows; it never takes the focus from the open dialog.
    setAttribute(Qt::WA_ShowWithoutActivating);
}

void TForm15::ShowComment(const std::string& comment) { Label1->setText(toQString(comment)); }

}  // namespace vk7
