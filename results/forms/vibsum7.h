// Selected sums window (TForm18) "Выборочные суммы".
#pragma once

#include "platform/qt/tool_window.h"
#include "processing/processing_state.h"

namespace vk7 {

class TForm18 : public ToolWindow {
    Q_OBJECT

public:
    // Created once at program start with the main window as `owner`; shown and hidden.
    TForm18(ProcessingState& state, QWidget* owner);

private:
    ProcessingState& state_;
};

}  // namespace vk7
