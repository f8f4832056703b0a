#include "platform/qt/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>

#include "platform/qt/qt_printer.h"
#include "platform/qt/qt_text.h"

namespace vk7 {

namespace {

QString title(const std::string& caption) {
    return caption.empty() ? QApplication::applicationDisplayName() : toQString(caption);
}

}  // namespace

QStringList nameFilters(const std::string& filterCp1251) {
    QString filter = toQString(filterCp1251);
    QStringList result;
    // "description|patterns|description|patterns..."
    QStringList parts = filter.split('|');
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(';', Qt::SkipEmptyParts)) patterns << p.trimmed();
        result << QString("%1 (%2)").arg(parts[i].trimmed(), patterns.join(' '));
    }
    if (result.isEmpty()) result << QString("* (*)");
    return result;
}

Answer QtDialogs::message(const MessageRequest& r) {
    QMessageBox box(owner_);
    box.setWindowTitle(title(r.caption));
    box.setText(toQString(r.text));
    switch (r.kind) {
        case MessageKind::Information: box.setIcon(QMessageBox::Information); break;
        case MessageKind::Warning: box.setIcon(QMessageBox::Warning); break;
        case MessageKind::Error: box.setIcon(QMessageBox::Critical); break;
        case MessageKind::Question: box.setIcon(QMessageBox::Question); break;
    }
    switch (r.buttons) {
        case MessageButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
        case MessageButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
        case MessageButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
        case MessageButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Ok: return Answer::Ok;
        case QMessageBox::Yes: return Answer::Yes;
        case QMessageBox::No: return Answer::No;
        default: return Answer::Cancel;
    }
}

void configureFileDialog(QFileDialog& dialog, const FileDialogRequest& r, QFileDialog::FileMode mode,
                         QFileDialog::AcceptMode accept) {
    dialog.setWindowTitle(toQString(r.title));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(mode);
    dialog.setAcceptMode(accept);
    // Patterns match without regard to case (modelled files are H<N>A.HRM).
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    dialog.setNameFilters(nameFilters(r.filter));
    if (!r.initialDir.empty()) dialog.setDirectory(QString::fromStdString(r.initialDir.string()));
    if (!r.proposedName.empty()) dialog.selectFile(toQString(r.proposedName));
    if (r.onSelectionChanged) {
        QObject::connect(&dialog, &QFileDialog::currentChanged, [hook = r.onSelectionChanged](const QString& file) {
            hook(fs::path(file.toStdString()));
        });
    }
}

namespace {

std::vector<fs::path> runFileDialog(QWidget* owner, const FileDialogRequest& r, QFileDialog::FileMode mode,
                                    QFileDialog::AcceptMode accept) {
    QFileDialog dialog(owner);
    configureFileDialog(dialog, r, mode, accept);
    std::vector<fs::path> chosen;
    if (dialog.exec() == QDialog::Accepted)
        for (const QString& f : dialog.selectedFiles()) chosen.emplace_back(f.toStdString());
    if (r.onClosed) r.onClosed();
    return chosen;
}

}  // namespace

std::optional<fs::path> QtDialogs::openOne(const FileDialogRequest& r) {
    auto files = runFileDialog(owner_, r, QFileDialog::ExistingFile, QFileDialog::AcceptOpen);
    if (files.empty()) return std::nullopt;
    return files.front();
}

std::vector<fs::path> QtDialogs::openSeveral(const FileDialogRequest& r) {
    return runFileDialog(owner_, r, QFileDialog::ExistingFiles, QFileDialog::AcceptOpen);
}

std::optional<fs::path> QtDialogs::saveAs(const FileDialogRequest& r) {
    auto files = runFileDialog(owner_, r, QFileDialog::AnyFile, QFileDialog::AcceptSave);
    if (files.empty()) return std::nullopt;
    return files.front();
}

bool QtDialogs::printSetup(Printer& printer) {
    auto* qt = dynamic_cast<QtPrinter*>(&printer);
    if (!qt) return false;
    QPrintDialog dialog(&qt->device(), owner_);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace vk7
