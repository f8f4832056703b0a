// Peak table window (TForm4) "Таблица пиков".
#pragma once

#include "platform/qt/tool_window.h"
#include "processing/processing_state.h"

namespace vk7 {

class TForm4 : public ToolWindow {
    Q_OBJECT

public:
    // Created once at program start with the main window as `owner`; shown and hidden.
    TForm4(ProcessingState& state, QWidget* owner);

private:
    ProcessingState& state_;
};

}  // namespace vk7
