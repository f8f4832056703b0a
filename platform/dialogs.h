// The one interface through which both programs show message boxes, questions and file
// dialogs. Texts are Windows-1251, as everywhere in the engine.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vk7 {

namespace fs = std::filesystem;
class Printer;

enum class MessageKind { Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

struct MessageRequest {
    MessageKind kind = MessageKind::Information;
    MessageButtons buttons = MessageButtons::Ok;
    std::string caption;  // window title; empty gives the application title
    std::string text;
};

struct FileDialogRequest {
    std::string title;
    // Filter in the form "hrm |*.hrm;" : a description, '|', ';'-separated patterns.
    // Patterns match without regard to case.
    std::string filter;
    fs::path initialDir;
    std::string proposedName;  // Windows-1251 file name proposed in the name box
    // Called with the selected file each time the selection changes (may be empty).
    std::function<void(const fs::path&)> onSelectionChanged;
    // Called once when the dialog closes, whatever the answer.
    std::function<void()> onClosed;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    virtual Answer message(const MessageRequest& request) = 0;
    // The chosen file, or nullopt on Cancel.
    virtual std::optional<fs::path> openOne(const FileDialogRequest& request) = 0;
    // The chosen files in the order the dialog gives them; empty on Cancel.
    virtual std::vector<fs::path> openSeveral(const FileDialogRequest& request) = 0;
    virtual std::optional<fs::path> saveAs(const FileDialogRequest& request) = 0;
    // The print dialog on the program's printer: the choice of printer and its settings stay
    // for later jobs. True when the user accepted it.
    virtual bool printSetup(Printer& printer) = 0;

    // Conveniences over message().
    void info(const std::string& text, const std::string& caption = {});
    void warning(const std::string& text, const std::string& caption = {});
    void error(const std::string& text, const std::string& caption = {});
    // An OK / Cancel confirmation; true for OK.
    bool confirm(const std::string& text, const std::string& caption = {});
    // A Yes / No question; true for Yes.
    bool askYesNo(const std::string& text, const std::string& caption = {});
};

}  // namespace vk7
