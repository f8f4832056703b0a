// Verification by method X window (TForm11) "Поверка по методу Х".
#include "results/forms/poverx.h"

#include "common/cp1251.h"

namespace vk7 {

TForm11::TForm11(Services services, QWidget* owner)
    : VerificationWindow(VerificationMethod::X, QStringLiteral("Form11"), RU("Поверка по методу Х"),
                         std::move(services), owner) {}

}  // namespace vk7
