// Verification by method X window (TForm11) "Поверка по методу Х".
#pragma once

#include "results/forms/verification_window.h"

namespace vk7 {

class TForm11 : public VerificationWindow {
    Q_OBJECT

public:
    // Created once at program start with the main window as `owner`; shown and hidden.
    TForm11(Services services, QWidget* owner);
};

}  // namespace vk7
