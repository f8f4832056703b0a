// Channel-2 view (TForm3, "Канал 2"): the recording of the pair's second channel, in maroon.
#pragma once

#include "acquisition/forms/channel_view_window.h"

namespace vk7 {

class TForm3 : public ChannelViewWindow {
    Q_OBJECT

public:
    explicit TForm3(AcquisitionEngine& engine, QWidget* parent = nullptr);
};

}  // namespace vk7
