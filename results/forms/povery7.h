// Verification by method Y window (TForm12) "Поверка по методу Y".
#pragma once

#include "results/forms/verification_window.h"

namespace vk7 {

class TForm12 : public VerificationWindow {
    Q_OBJECT

public:
    // Created once at program start with the main window as `owner`; shown and hidden.
    TForm12(Services services, QWidget* owner);
};

}  // namespace vk7
