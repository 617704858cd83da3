#pragma once

#include <string>
#include <variant>

namespace quervelle {

// A window variable holds nothing, an answer code or a text.
using WindowValue = std::variant<std::monostate, int, std::string>;

// The two variables the window keeps for its handlers. Reply receives the answer to every
// error box; Entry the answer to the two confirmations and the folder name typed into the
// input box. Both start empty and live as long as the window.
struct WindowVariables {
    WindowValue Reply;
    WindowValue Entry;
};

} // namespace quervelle
