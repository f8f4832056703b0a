// The Qt implementation of the dialog interface: Qt's own message boxes and Qt's own
// (non-native) file dialog, so that the selection-changed hook works.
#pragma once

#include <QFileDialog>
#include <QPointer>
#include <QWidget>

#include "platform/dialogs.h"

namespace vk7 {

class QtDialogs : public Dialogs {
public:
    // `owner` parents every box (may be set later, once the main window exists).
    explicit QtDialogs(QWidget* owner = nullptr) : owner_(owner) {}
    void setOwner(QWidget* owner) { owner_ = owner; }

    Answer message(const MessageRequest& request) override;
    std::optional<fs::path> openOne(const FileDialogRequest& request) override;
    std::vector<fs::path> openSeveral(const FileDialogRequest& request) override;
    std::optional<fs::path> saveAs(const FileDialogRequest& request) override;
    // QPrintDialog on the QtPrinter's QPrinter; any other printer has nothing to set up.
    bool printSetup(Printer& printer) override;

private:
    QPointer<QWidget> owner_;
};

// The name filters of a filter text "hrm |*.hrm;" ("hrm (*.hrm)"); the dialog matches them
// without regard to case.
QStringList nameFilters(const std::string& filterCp1251);

// Sets up Qt's own file dialog for a request: title, filter, folder, proposed name and the
// selection hook.
void configureFileDialog(QFileDialog& dialog, const FileDialogRequest& request, QFileDialog::FileMode mode,
                         QFileDialog::AcceptMode accept);

}  // namespace vk7
