// Help window (TForm4, "Помощь"): the acquisition program's help pages.
#pragma once

#include <QWidget>

#include "common/paths.h"
#include "platform/qt/help_view.h"

namespace vk7 {

class TForm4 : public QWidget {
    Q_OBJECT

public:
    explicit TForm4(StartFolder start, QWidget* parent = nullptr);

    HelpView* WebBrowser1() const { return WebBrowser1_; }

private:
    StartFolder start_;
    HelpView* WebBrowser1_;
};

}  // namespace vk7
