#pragma once
// The dialog framework's checks of typed values and its messages, without
// the widgets, so that the rules are tested on their own.

#include <optional>
#include <string>
#include <string_view>

namespace talvir {

// The refusal message, or none when text has at most maxChars characters.
std::optional<std::string> CheckMaxChars(std::string_view text, int maxChars);

struct IntegerCheck {
  int value = 0;
  std::optional<std::string> refusal;
};
// Blanks around the number are allowed; anything else that is not a
// whole number in [min, max] is refused with the framework's message.
IntegerCheck CheckInteger(std::string_view text, int min, int max);

}  // namespace talvir
