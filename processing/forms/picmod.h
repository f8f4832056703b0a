// Peak modelling window (TForm8) "Моделирование пиков".
#pragma once

#include "platform/qt/tool_window.h"
#include "processing/processing_state.h"

namespace vk7 {

class TForm8 : public ToolWindow {
    Q_OBJECT

public:
    // Created once at program start with the main window as `owner`; shown and hidden.
    TForm8(ProcessingState& state, QWidget* owner);

private:
    ProcessingState& state_;
};

}  // namespace vk7
