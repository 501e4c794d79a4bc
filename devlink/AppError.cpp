#include "devlink/AppError.h"

namespace devlink {

AppError::AppError(int number, std::string source)
    : std::runtime_error("An unknown error has occurred!"),
      number_(number),
      source_(std::move(source)) {}

}  // namespace devlink
