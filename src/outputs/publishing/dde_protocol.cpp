#include "outputs/publishing/dde_protocol.h"

#include <cctype>
#include <charconv>

namespace talvir {
namespace {

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

DdeCommand Invalid(std::string error) {
  DdeCommand command;
  command.error = std::move(error);
  return command;
}

}  // namespace

std::optional<std::vector<std::string>> SplitDdeWords(std::string_view line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ' || line[i] == '\t') {
      ++i;
      continue;
    }
    if (line[i] == '"') {
      const std::size_t end = line.find('"', i + 1);
      if (end == std::string_view::npos) return std::nullopt;
      words.emplace_back(line.substr(i + 1, end - i - 1));
      i = end + 1;
      continue;
    }
    const std::size_t end = line.find_first_of(" \t", i);
    words.emplace_back(line.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i));
    i = end == std::string_view::npos ? line.size() : end;
  }
  return words;
}

DdeCommand ParseDdeCommand(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const auto words = SplitDdeWords(line);
  if (!words) return Invalid("a name's closing quote is missing");
  const std::vector<std::string>& w = *words;
  if (w.empty()) return Invalid("empty line");
  DdeCommand command;
  if (SameWord(w[0], "CONNECT")) {
    if (w.size() != 3) return Invalid("CONNECT takes a service and a topic");
    command.kind = DdeCommand::Kind::kConnect;
    command.second = w[2];
  } else if (SameWord(w[0], "ADVISE")) {
    if (w.size() != 3 || !(SameWord(w[1], "START") || SameWord(w[1], "STOP")))
      return Invalid("ADVISE takes START or STOP and an item");
    command.kind = SameWord(w[1], "START") ? DdeCommand::Kind::kAdviseStart : DdeCommand::Kind::kAdviseStop;
    command.first = w[2];
    return command;
  } else if (SameWord(w[0], "REQUEST")) {
    if (w.size() != 2) return Invalid("REQUEST takes an item");
    command.kind = DdeCommand::Kind::kRequest;
  } else {
    return Invalid("unknown command '" + w[0] + "': CONNECT, ADVISE START, ADVISE STOP or REQUEST");
  }
  command.first = w[1];
  return command;
}

std::string QuoteDdeName(std::string_view name) {
  if (!name.empty() && name.find_first_of(" \t") == std::string_view::npos) return std::string(name);
  return "\"" + std::string(name) + "\"";
}

std::string DdeDataFrame(std::string_view kind, std::string_view item, std::string_view text) {
  std::string frame(kind);
  frame += ' ';
  frame += QuoteDdeName(item);
  frame += ' ';
  frame += std::to_string(text.size() + 1);
  frame += '\n';
  frame += text;
  frame += '\0';
  frame += '\n';
  return frame;
}

std::optional<DdeDataHeader> ParseDdeDataHeader(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const auto words = SplitDdeWords(line);
  if (!words || words->size() != 3) return std::nullopt;
  const std::vector<std::string>& w = *words;
  if (w[0] != "DATA" && w[0] != "ADVDATA") return std::nullopt;
  DdeDataHeader header{w[0], w[1], 0};
  const char* end = w[2].data() + w[2].size();
  const auto parsed = std::from_chars(w[2].data(), end, header.bytes);
  if (parsed.ec != std::errc() || parsed.ptr != end || header.bytes == 0) return std::nullopt;
  return header;
}

}  // namespace talvir
