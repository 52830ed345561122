#include "ui/framework_checks.h"

#include <charconv>
#include <cstdio>

namespace talvir {
namespace {

std::string_view TrimBlanks(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

std::optional<std::string> CheckMaxChars(std::string_view text, int maxChars) {
  if (text.size() <= static_cast<std::size_t>(maxChars)) return std::nullopt;
  char message[64];
  std::snprintf(message, sizeof message, "Please enter no more than %d characters.", maxChars);
  return message;
}

IntegerCheck CheckInteger(std::string_view text, int min, int max) {
  const std::string_view number = TrimBlanks(text);
  long long value = 0;
  const char* end = number.data() + number.size();
  const auto [stop, error] = std::from_chars(number.data(), end, value);
  if (number.empty() || error == std::errc::invalid_argument || stop != end) {
    return {0, "Please enter an integer."};
  }
  if (error == std::errc::result_out_of_range || value < min || value > max) {
    char message[80];
    std::snprintf(message, sizeof message, "Please enter an integer between %d and %d.", min, max);
    return {0, message};
  }
  return {static_cast<int>(value), std::nullopt};
}

}  // namespace talvir
