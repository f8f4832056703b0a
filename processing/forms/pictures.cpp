// Picture viewer window (TForm5) "Изображения", and the saving of plot pictures.
#include "processing/forms/pictures.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>

#include "common/cp1251.h"
#include "platform/qt/event_guard.h"
#include "platform/qt/gif_image.h"
#include "platform/qt/qt_text.h"
#include "processing/plot_pictures.h"

namespace vk7 {

namespace {

// The busy cursor for the life of the object, restored whatever happens.
struct BusyCursor {
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

TForm5::TForm5(StartFolder start, Dialogs& dialogs, QWidget* owner)
    : ToolWindow(QStringLiteral("Form5"), toQString(RU("Изображения")), owner),
      start_(std::move(start)),
      dialogs_(dialogs) {
    Image1 = new QLabel(this);
    Image1->move(2, 1);
    resize(480, 320);
}

FileDialogRequest OpenPictureDialog1(const StartFolder& start) {
    FileDialogRequest r;
    r.title = RU("Изображения");
    r.filter = "gif |*.gif;";
    r.initialDir = start.folder("results");
    return r;
}

void TForm5::N12Click() {
    guarded(dialogs_, [this] {
        const std::optional<fs::path> chosen = dialogs_.openOne(OpenPictureDialog1(start_));
        if (!chosen) return;
        LoadPicture(*chosen);
        showInFront();
        setWindowTitle(toQString(textFromPath(*chosen)));
    });
}

void TForm5::LoadPicture(const fs::path& file) {
    const QImage picture = loadGif(file);
    Image1->setPixmap(QPixmap::fromImage(picture));
    Image1->resize(picture.size());
    resize(picture.width() + 4, picture.height() + 2);
}

void TForm5::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        hide();
        event->accept();
        return;
    }
    ToolWindow::keyPressEvent(event);
}

std::optional<fs::path> SavePlotPicture(const QImage& plot, const StartFolder& start) {
    const std::optional<fs::path> file = nextPicturePath(start);
    if (!file) return std::nullopt;
    BusyCursor busy;
    saveGif(plot, *file);
    return file;
}

fs::path SaveFigureGif(const QImage& plot, const StartFolder& start) {
    const fs::path file = figurePicturePath(start);
    BusyCursor busy;
    saveGif(plot, file);
    return file;
}

}  // namespace vk7
