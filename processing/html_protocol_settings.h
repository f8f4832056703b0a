// The settings of the HTML protocol that the settings window, the norms window and the protocol
// share: the examined medium, the report blank in \doc\, the protocol number and the operator
// (\space\prot.dat).
#pragma once

#include <cstdint>
#include <string>

namespace vk7 {

struct HtmlProtocolSettings {
    std::string Medium;          // at most 32 characters
    std::string Blank;           // file name in \doc\, at most 32 characters
    uint16_t ProtocolNumber = 0;
    std::string Operator;        // at most 64 characters
};

}  // namespace vk7
