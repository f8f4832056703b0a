#include "common/errors.h"

namespace vk7 {

IoError::IoError(std::string operation, std::string path, std::string detail)
    : std::runtime_error(operation + " " + path + (detail.empty() ? std::string() : ": " + detail)),
      operation_(std::move(operation)),
      path_(std::move(path)),
      detail_(std::move(detail)) {}

ConversionError::ConversionError(std::string text, std::string where)
    : std::runtime_error("'" + text + "' is not a number" + (where.empty() ? std::string() : " (" + where + ")")),
      text_(std::move(text)),
      where_(std::move(where)) {}

}  // namespace vk7
