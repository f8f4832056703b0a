// HTML protocol settings window (TForm16) "Протоколы HTML".
#pragma once

#include "platform/qt/tool_window.h"
#include "processing/processing_state.h"

namespace vk7 {

class TForm16 : public ToolWindow {
    Q_OBJECT

public:
    // Created once at program start with the main window as `owner`; shown and hidden.
    TForm16(ProcessingState& state, QWidget* owner);

private:
    ProcessingState& state_;
};

}  // namespace vk7
