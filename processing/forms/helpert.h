// Help window (TForm10): one page of the processing program's help, its title as the caption.
#pragma once

#include <QWidget>

#include "common/paths.h"
#include "platform/qt/help_view.h"
#include "processing/help_pages.h"

namespace vk7 {

class TForm10 : public QWidget {
    Q_OBJECT

public:
    // A tool window; with the main window as `parent` it stays on top of it.
    explicit TForm10(StartFolder start, QWidget* parent = nullptr);

    // Shows help/t<page>.htm below the start folder, then shows the window and gives it
    // the focus. The caption becomes the page's title.
    void ShowHelpPage(HelpPage page);

    HelpView* WebBrowser1() const { return WebBrowser1_; }

private:
    StartFolder start_;
    HelpView* WebBrowser1_;
};

}  // namespace vk7
