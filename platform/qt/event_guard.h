// The guard around every event handler: an error ends the action and shows one error box
// naming the file and what failed, instead of escaping into the event loop.
#pragma once

#include <exception>
#include <functional>
#include <string>

#include "platform/dialogs.h"

namespace vk7 {

// The Russian text of the error box for an exception (Windows-1251).
std::string errorText(const std::exception& e);

// Runs `action`; on an exception shows errorText in one error box. Returns false when the
// action failed.
bool guarded(Dialogs& dialogs, const std::function<void()>& action);

}  // namespace vk7
