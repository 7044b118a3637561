#include "common/json_text.h"

namespace espa {

std::string JsonText(const Json& value) {
    return value.dump(-1, ' ', true);
}

}  // namespace espa
