// The shared state of the processing program, owned by its main window and handed by
// reference to the other windows: the open chromatogram, its peaks, the settings, the view
// and the modes. Nothing else carries state between operations.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "chromfile/chromatogram_file.h"
#include "chromfile/peak_markup.h"
#include "chromfile/processing_settings.h"
#include "common/paths.h"
#include "processing/html_protocol_settings.h"
#include "processing/group_modelling.h"
#include "processing/markup_edit_state.h"
#include "processing/plot_view.h"

namespace vk7 {

// 0 no chromatogram, 1 a chromatogram is shown, 2 markup editing, 3 editing groups of
// unresolved peaks, 4 the peak table is shown.
enum ProgramModes : int { ModeNone = 0, ModeShown = 1, ModeMarkupEdit = 2, ModeGroupEdit = 3, ModePeakTable = 4 };

struct ProcessingState {
    explicit ProcessingState(StartFolder start) : Start(std::move(start)) {}

    StartFolder Start;  // StartDir
    ProcessingSettings Settings;
    double Vk7Rate = 0;  // points per second on line 7 of vk7.dat (for files coded 21)
    int PrinterDpiX = 0, PrinterDpiY = 0;
    bool TreatNeedsBackup = false;
    // The processing-parameter window's check box "Дополн. фильтр": flatten one-point peaks
    // and dips when a chromatogram is read.
    bool AdditionalFilter = false;

    OpenChromatogram Chrom;
    PeakMarkup Markup;
    PlotView View;

    int ProgramMode = ModeNone;
    int ClickMode = 0;  // what the next click on the plot does (markup editing, peak modelling)
    MarkupEditClicks MarkupEdit;  // between the clicks of one markup edit
    PeakGroupModel Model;         // the group being modelled, kept between uses

    // Several files chosen at once, processed one after the other.
    bool ListMode = false;
    std::vector<std::filesystem::path> ListFiles;
    int ListIndex = 0;
    int ListCount() const { return static_cast<int>(ListFiles.size()); }
    // Rows of the summary table collected so far in the several-files mode.
    int SummaryRows = 0;

    // The identification message given last, with the file and the identification settings it
    // was given for (empty when the last identification gave none): the same message is not
    // repeated on every zoom and scroll. The opening of a chromatogram clears it, so that each
    // opened chromatogram gets its message once.
    std::string IdentificationNoticeKey;

    // The HTML protocol's settings, as in \space\prot.dat.
    HtmlProtocolSettings HtmlProtocol;

    uint8_t HelpPage = 0;
    bool GroupAreasFromModelling = false;

    // The open file: DataDir + FileName.
    std::filesystem::path openFilePath() const { return pathFromText(Settings.DataDir + Settings.FileName); }
};

}  // namespace vk7
