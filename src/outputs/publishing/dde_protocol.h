#pragma once
// The live feed's line protocol on loopback TCP, for the server and for
// talvir-dde. Lines end in LF (a CR before it is ignored). A client sends
//   CONNECT service topic    -> OK | REFUSED
//   ADVISE START item        -> OK | REFUSED
//   ADVISE STOP item         -> OK | REFUSED
//   REQUEST item             -> DATA item n
// and, while an advise loop runs, the server pushes ADVDATA item n. A DATA or
// ADVDATA line is followed by n bytes (the text and its terminating NUL, so
// an empty text is one byte) and an LF. Command words are case-insensitive;
// names are compared exactly and may be written in double quotes when they
// hold blanks. Anything else is answered with ERROR and a reason.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talvir {

inline constexpr int kDefaultDdePort = 8650;
inline constexpr std::size_t kDdeMaxCommandLength = 1024;

struct DdeCommand {
  enum class Kind { kConnect, kAdviseStart, kAdviseStop, kRequest, kInvalid };
  Kind kind = Kind::kInvalid;
  std::string first;   // service, or item
  std::string second;  // topic
  std::string error;   // kInvalid: why
};

DdeCommand ParseDdeCommand(std::string_view line);

// Splits a line into blank-separated words; a word in double quotes keeps its
// blanks. Nothing for an unterminated quote.
std::optional<std::vector<std::string>> SplitDdeWords(std::string_view line);

// A name as a word of a line: quoted when empty or holding a blank.
std::string QuoteDdeName(std::string_view name);

// "DATA" or "ADVDATA": the header line, the text with its NUL, and an LF.
std::string DdeDataFrame(std::string_view kind, std::string_view item, std::string_view text);

// A DATA or ADVDATA header line: its kind, item and byte count.
struct DdeDataHeader {
  std::string kind;
  std::string item;
  std::size_t bytes = 0;
};
std::optional<DdeDataHeader> ParseDdeDataHeader(std::string_view line);

}  // namespace talvir
