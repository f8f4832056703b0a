// Verification by method Y window (TForm12) "Поверка по методу Y".
#include "results/forms/povery7.h"

#include "common/cp1251.h"

namespace vk7 {

TForm12::TForm12(Services services, QWidget* owner)
    : VerificationWindow(VerificationMethod::Y, QStringLiteral("Form12"), RU("Поверка по методу Y"),
                         std::move(services), owner) {}

}  // namespace vk7
