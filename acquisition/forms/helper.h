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
    // The page \help\<name> shown, the window shown (it stays shown when it is already).
    void showPage(const std::string& name);
    // The name of the page last chosen.
    const std::string& HelpPageName() const { return HelpPageName_; }

private:
    StartFolder start_;
    HelpView* WebBrowser1_;
    std::string HelpPageName_;
};

}  // namespace vk7
