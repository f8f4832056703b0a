#include "platform/qt/event_guard.h"

#include "common/cp1251.h"
#include "common/errors.h"
#include "common/paths.h"

namespace vk7 {

namespace {

std::string operationText(const std::string& op) {
    if (op == "open") return RU("открыть");
    if (op == "read") return RU("прочитать");
    if (op == "write") return RU("записать");
    if (op == "create") return RU("создать");
    if (op == "rename") return RU("переименовать");
    if (op == "delete") return RU("удалить");
    return toCp1251(op);
}

}  // namespace

std::string errorText(const std::exception& e) {
    if (auto io = dynamic_cast<const IoError*>(&e)) {
        std::string text = RU("Не удалось ") + operationText(io->operation()) + RU(" файл") + "\n" +
                           toCp1251(io->path());
        if (!io->detail().empty()) text += "\n(" + toCp1251(io->detail()) + ")";
        return text;
    }
    if (auto conv = dynamic_cast<const ConversionError*>(&e)) {
        std::string text = "'" + conv->text() + "'" + RU(" не является числом");
        if (!conv->where().empty()) text += " (" + conv->where() + ")";
        return text;
    }
    if (dynamic_cast<const std::bad_alloc*>(&e)) return RU("Недостаточно памяти");
    return RU("Ошибка: ") + toCp1251(e.what());
}

bool guarded(Dialogs& dialogs, const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (const std::exception& e) {
        dialogs.error(errorText(e));
    } catch (...) {
        dialogs.error(RU("Неизвестная ошибка"));
    }
    return false;
}

}  // namespace vk7
