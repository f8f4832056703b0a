#include "platform/dialogs.h"

namespace vk7 {

void Dialogs::info(const std::string& text, const std::string& caption) {
    message({MessageKind::Information, MessageButtons::Ok, caption, text});
}

void Dialogs::warning(const std::string& text, const std::string& caption) {
    message({MessageKind::Warning, MessageButtons::Ok, caption, text});
}

void Dialogs::error(const std::string& text, const std::string& caption) {
    message({MessageKind::Error, MessageButtons::Ok, caption, text});
}

bool Dialogs::confirm(const std::string& text, const std::string& caption) {
    return message({MessageKind::Question, MessageButtons::OkCancel, caption, text}) == Answer::Ok;
}

bool Dialogs::askYesNo(const std::string& text, const std::string& caption) {
    return message({MessageKind::Question, MessageButtons::YesNo, caption, text}) == Answer::Yes;
}

}  // namespace vk7
