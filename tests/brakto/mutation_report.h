// Reading back the report lines of the editor's mutations.
#pragma once

#include <charconv>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace mutation_report {

struct Mutation {
  int position;
  char new_letter;
  char old_letter;
};

// «Mutation a la position 17 par 'G' a la place de 'A'», exactly.
inline std::optional<Mutation> parse_line(std::string_view line) {
  constexpr std::string_view head = "Mutation a la position ";
  constexpr std::string_view middle = " par '";
  constexpr std::string_view tail = "' a la place de '";
  if (line.substr(0, head.size()) != head) return std::nullopt;
  line.remove_prefix(head.size());
  Mutation m{};
  const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), m.position);
  if (error != std::errc() || end == line.data()) return std::nullopt;
  line.remove_prefix(std::size_t(end - line.data()));
  if (line.size() != middle.size() + 1 + tail.size() + 2) return std::nullopt;
  if (line.substr(0, middle.size()) != middle) return std::nullopt;
  m.new_letter = line[middle.size()];
  if (line.substr(middle.size() + 1, tail.size()) != tail) return std::nullopt;
  m.old_letter = line[middle.size() + 1 + tail.size()];
  if (line.back() != '\'') return std::nullopt;
  return m;
}

// Every line of Text that is a mutation line; the others are left out.
inline std::vector<Mutation> parse(const std::string& text, int* other_lines = nullptr) {
  std::vector<Mutation> result;
  std::istringstream lines(text);
  std::string line;
  int others = 0;
  while (std::getline(lines, line)) {
    if (auto m = parse_line(line)) {
      result.push_back(*m);
    } else {
      ++others;
    }
  }
  if (other_lines) *other_lines = others;
  return result;
}

}  // namespace mutation_report
