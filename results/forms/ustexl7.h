// Excel protocol settings window (TForm19) "Протоколы Excel".
#pragma once

#include "platform/qt/tool_window.h"
#include "processing/processing_state.h"

namespace vk7 {

class TForm19 : public ToolWindow {
    Q_OBJECT

public:
    // Created once at program start with the main window as `owner`; shown and hidden.
    TForm19(ProcessingState& state, QWidget* owner);

private:
    ProcessingState& state_;
};

}  // namespace vk7
