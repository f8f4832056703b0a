// Channel-1 view (TForm2, "Канал 1"): the recording of the pair's first channel, in blue.
#pragma once

#include "acquisition/forms/channel_view_window.h"

namespace vk7 {

class TForm2 : public ChannelViewWindow {
    Q_OBJECT

public:
    explicit TForm2(AcquisitionEngine& engine, QWidget* parent = nullptr);
};

}  // namespace vk7
