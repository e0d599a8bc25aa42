#pragma once

#include <array>

namespace parlevo {

struct TexteDefault {
    int index;
    const char *utf8Text;
};

extern const std::array<TexteDefault, 424> kTextesDefaults;

} // namespace parlevo
