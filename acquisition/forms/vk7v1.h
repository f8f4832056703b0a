// Channel-1 view (TForm2, "Канал 1"): the recording of the pair's first channel as a curve.
#pragma once

#include <QWidget>

#include "acquisition/acquisition_engine.h"

namespace vk7 {

class TForm2 : public QWidget {
    Q_OBJECT

public:
    explicit TForm2(AcquisitionEngine& engine, QWidget* parent = nullptr);

    // Shows the window with the channel's preview.
    void ShowChannelView();
    // The main window's timer: the preview of the growing file and its curve.
    void RefreshView();
    // The end of the shown time range follows the channel's planned record time.
    void setRecordTimeSec(uint16_t seconds) { ChannelViewEndSec_ = seconds; }
    uint16_t ChannelViewEndSec() const { return ChannelViewEndSec_; }

private:
    AcquisitionEngine& engine_;
    uint16_t ChannelViewEndSec_ = 0;
};

}  // namespace vk7
