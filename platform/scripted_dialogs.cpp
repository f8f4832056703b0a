#include "platform/scripted_dialogs.h"

namespace vk7 {

Answer ScriptedDialogs::message(const MessageRequest& request) {
    shown_.push_back({Shown::Message, request, {}});
    if (whileMessageOpen_) {
        // Once per box: the hook may show further boxes.
        auto hook = std::move(whileMessageOpen_);
        whileMessageOpen_ = nullptr;
        hook(request);
    }
    if (const Item* item = front(Shown::Message)) {
        Answer a = item->answer;
        queue_.pop_front();
        return a;
    }
    if (autoInfo_ && request.buttons == MessageButtons::Ok) return Answer::Ok;
    unexpected_.push_back("message: " + request.text);
    return request.buttons == MessageButtons::YesNo ? Answer::No : Answer::Cancel;
}

std::optional<fs::path> ScriptedDialogs::openOne(const FileDialogRequest& request) {
    shown_.push_back({Shown::OpenOne, {}, request});
    if (whileOpen_) whileOpen_(request);
    std::optional<fs::path> result;
    if (const Item* item = front(Shown::OpenOne)) {
        result = item->one;
        queue_.pop_front();
    } else {
        unexpected_.push_back("open one: " + request.title);
    }
    if (request.onClosed) request.onClosed();
    return result;
}

std::vector<fs::path> ScriptedDialogs::openSeveral(const FileDialogRequest& request) {
    shown_.push_back({Shown::OpenSeveral, {}, request});
    if (whileOpen_) whileOpen_(request);
    std::vector<fs::path> result;
    if (const Item* item = front(Shown::OpenSeveral)) {
        result = item->several;
        queue_.pop_front();
    } else {
        unexpected_.push_back("open several: " + request.title);
    }
    if (request.onClosed) request.onClosed();
    return result;
}

std::optional<fs::path> ScriptedDialogs::saveAs(const FileDialogRequest& request) {
    shown_.push_back({Shown::SaveAs, {}, request});
    if (whileOpen_) whileOpen_(request);
    std::optional<fs::path> result;
    if (const Item* item = front(Shown::SaveAs)) {
        result = item->one;
        queue_.pop_front();
    } else {
        unexpected_.push_back("save as: " + request.title);
    }
    if (request.onClosed) request.onClosed();
    return result;
}

bool ScriptedDialogs::printSetup(Printer&) {
    shown_.push_back({Shown::PrintSetup, {}, {}});
    if (const Item* item = front(Shown::PrintSetup)) {
        const bool accepted = item->answer == Answer::Ok;
        queue_.pop_front();
        return accepted;
    }
    unexpected_.push_back("print setup");
    return false;
}

std::vector<std::string> ScriptedDialogs::messageTexts() const {
    std::vector<std::string> out;
    for (const auto& s : shown_)
        if (s.type == Shown::Message) out.push_back(s.message.text);
    return out;
}

void ScriptedDialogs::clear() {
    queue_.clear();
    shown_.clear();
    unexpected_.clear();
}

}  // namespace vk7
