#include "processing/chosen_file.h"

#include "common/cp1251.h"
#include "common/paths.h"

namespace vk7 {

ChosenFile splitChosenFile(const std::filesystem::path& chosen) {
    ChosenFile out;
    const std::string text = textFromPath(chosen);
    if (pathFromText(text) != chosen) {
        out.Refusal = RU("Путь к файлу содержит знаки, которые программа не может сохранить:") + "\n" + text;
        return out;
    }
    SplitPath split = splitChosenPath(text);
    if (split.name.empty()) {
        out.Refusal = RU("Не выбран файл:") + "\n" + text;
        return out;
    }
    if (split.name.size() > kMaxFileNameChars) {
        out.Refusal = RU("Имя файла длиннее 32 знаков:") + "\n" + split.name + "\n" +
                      RU("Переименуйте файл и откройте его снова.");
        return out;
    }
    if (split.dir.size() > kMaxDataDirChars) {
        out.Refusal = RU("Путь к папке длиннее 128 знаков:") + "\n" + split.dir + "\n" +
                      RU("Перенесите файл в папку с более коротким путем.");
        return out;
    }
    out.DataDir = std::move(split.dir);
    out.FileName = std::move(split.name);
    return out;
}

ChosenFiles splitChosenFiles(const std::vector<std::filesystem::path>& chosen) {
    ChosenFiles out;
    if (chosen.size() > kMaxListFiles) {
        out.Refusal = RU("Выбрано файлов: ") + std::to_string(chosen.size()) + "\n" +
                      RU("За один раз можно обработать не больше 255 файлов.");
        return out;
    }
    for (const auto& file : chosen) {
        ChosenFile one = splitChosenFile(file);
        if (!one.ok()) {
            out.Files.clear();
            out.Refusal = std::move(one.Refusal);
            return out;
        }
        out.Files.push_back(std::move(one));
    }
    return out;
}

}  // namespace vk7
