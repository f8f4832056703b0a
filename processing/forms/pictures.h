// Picture viewer window (TForm5) "Изображения", and the saving of plot pictures.
#pragma once

#include <filesystem>
#include <optional>

#include <QImage>

#include "common/paths.h"
#include "platform/dialogs.h"
#include "platform/qt/tool_window.h"

class QLabel;

namespace vk7 {

namespace fs = std::filesystem;

class TForm5 : public ToolWindow {
    Q_OBJECT

public:
    // Created once at program start with the main window as `owner`; shown and hidden.
    TForm5(StartFolder start, Dialogs& dialogs, QWidget* owner = nullptr);

    // "Изображения" (N12Click): the picture dialog over \results\; on OK the picture is shown
    // with its path as the caption. Errors of the GIF reader end it with the error box.
    void N12Click();
    // Image1 takes the picture and its size, the window the picture's size.
    void LoadPicture(const fs::path& file);

    QLabel* Image1;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    StartFolder start_;
    Dialogs& dialogs_;
};

// The picture dialog's request: the results folder, the filter "gif |*.gif;".
FileDialogRequest OpenPictureDialog1(const StartFolder& start);

// SavePlotPicture: the plot as shown saved as \results\<the next free number>.gif, with the
// busy cursor while it is written. Returns the file, or nullopt when no number is free.
// Throws IoError.
std::optional<fs::path> SavePlotPicture(const QImage& plot, const StartFolder& start);
// SaveFigureGif: the plot saved as \results\fig.gif. Throws IoError.
fs::path SaveFigureGif(const QImage& plot, const StartFolder& start);

}  // namespace vk7
