#include "fields.h"

namespace kestrane {

std::string default_text(Field field) {
    return format_value(info(field).default_value, info(field).default_format);
}

}  // namespace kestrane
