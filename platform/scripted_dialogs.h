// Dialogs for tests: every request is recorded, answers come from a queue, and a
// request with no answer queued is recorded as unexpected (tests fail on it).
#pragma once

#include <deque>

#include "platform/dialogs.h"

namespace vk7 {

class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        enum Type { Message, OpenOne, OpenSeveral, SaveAs, PrintSetup } type;
        MessageRequest message;     // for Message
        FileDialogRequest file;     // for the file dialogs
    };

    // Answers, consumed in order.
    void expectMessage(Answer answer) { queue_.push_back({Shown::Message, answer, {}, {}}); }
    void expectOpenOne(std::optional<fs::path> chosen) { queue_.push_back({Shown::OpenOne, {}, std::move(chosen), {}}); }
    void expectOpenSeveral(std::vector<fs::path> chosen) {
        queue_.push_back({Shown::OpenSeveral, {}, {}, std::move(chosen)});
    }
    void expectSaveAs(std::optional<fs::path> chosen) { queue_.push_back({Shown::SaveAs, {}, std::move(chosen), {}}); }
    // The print dialog accepted (Answer::Ok) or cancelled.
    void expectPrintSetup(Answer answer) { queue_.push_back({Shown::PrintSetup, answer, {}, {}}); }
    // Plain information boxes are answered OK without being queued.
    void setAutoAcknowledgeInfo(bool on) { autoInfo_ = on; }
    // Run while a file dialog is "open", before its answer is returned, e.g. to drive the
    // selection hook: called with the request.
    void setWhileFileDialogOpen(std::function<void(const FileDialogRequest&)> f) { whileOpen_ = std::move(f); }
    // Run once, while the next message box is "open" (as a modal box's event loop would
    // run), before its answer is returned.
    void setWhileNextMessageOpen(std::function<void(const MessageRequest&)> f) { whileMessageOpen_ = std::move(f); }

    Answer message(const MessageRequest& request) override;
    std::optional<fs::path> openOne(const FileDialogRequest& request) override;
    std::vector<fs::path> openSeveral(const FileDialogRequest& request) override;
    std::optional<fs::path> saveAs(const FileDialogRequest& request) override;
    bool printSetup(Printer& printer) override;

    const std::vector<Shown>& shown() const { return shown_; }
    // The texts of every message box shown, in order (Windows-1251).
    std::vector<std::string> messageTexts() const;
    const std::vector<std::string>& unexpected() const { return unexpected_; }
    size_t pendingAnswers() const { return queue_.size(); }
    void clear();

private:
    // One queued answer: the kind of dialog it answers and its value.
    struct Item {
        Shown::Type type = Shown::Message;
        Answer answer = Answer::Ok;
        std::optional<fs::path> one;
        std::vector<fs::path> several;
    };
    // The front answer when it answers a dialog of `type`.
    const Item* front(Shown::Type type) const {
        return !queue_.empty() && queue_.front().type == type ? &queue_.front() : nullptr;
    }

    std::deque<Item> queue_;
    std::vector<Shown> shown_;
    std::vector<std::string> unexpected_;
    bool autoInfo_ = true;
    std::function<void(const FileDialogRequest&)> whileOpen_;
    std::function<void(const MessageRequest&)> whileMessageOpen_;
};

}  // namespace vk7
