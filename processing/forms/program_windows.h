// The windows of the processing program, created at start in their fixed order: the main
// window first, then the tool windows, each owned by the main window until the program ends.
#pragma once

#include <memory>

#include "processing/forms/vk7tu1.h"

namespace vk7 {

// Creates TForm1 (whose creation reads the settings of `start`) and then TForm2..TForm19,
// and hands them to TForm1.
std::unique_ptr<TForm1> CreateProgramWindows(StartFolder start, TForm1::Services services);

}  // namespace vk7
