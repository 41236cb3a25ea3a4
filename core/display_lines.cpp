// Colour prefixes of display lines, and copying to the clipboard.
#include "core/display_lines.h"

#include "core/services.h"

namespace tv {

DisplayLine SplitDisplayLine(std::string_view line) {
  if (line.size() < 2 || line[0] != '\\') return {LineColour::Default, line};
  LineColour colour = LineColour::Default;
  switch (line[1]) {
    case '+': colour = LineColour::Red; break;
    case '-': colour = LineColour::Grey; break;
    case '=': colour = LineColour::Blue; break;
    case '^': colour = LineColour::Violet; break;
    default: break;
  }
  return {colour, line.substr(2)};
}

Rgb ColourValue(LineColour colour) {
  switch (colour) {
    case LineColour::Red: return {255, 0, 0};
    case LineColour::Grey: return {128, 128, 128};
    case LineColour::Blue: return {0, 0, 255};
    case LineColour::Violet: return {128, 0, 255};
    default: return {0, 0, 0};
  }
}

std::string JoinDisplayLine(std::string_view first, std::string_view second, std::string_view third) {
  std::string line(first);
  if (!second.empty()) (line += ' ') += second;
  if (!third.empty()) (line += ' ') += third;
  return line;
}

std::string ClipboardTextOfLines(const std::vector<std::string>& lines) {
  constexpr size_t kLimit = 32512;
  size_t total = 1;
  std::string text;
  for (const std::string& line : lines) {
    if (total + line.size() + 2 > kLimit) break;
    total += line.size() + 2;
    text += line.empty() ? std::string_view() : SplitDisplayLine(line).text;
    text += "\r\n";
  }
  return text;
}

void CopyTextToClipboard(std::string_view text) {
  switch (ThePlatform().SetClipboardText(text)) {
    case ClipboardResult::NoMemory: ThePlatform().Message(kClipboardNoMemory); break;
    case ClipboardResult::CannotOpen: ThePlatform().Message(kClipboardCannotOpen); break;
    case ClipboardResult::Ok: break;
  }
}

void CopyLinesToClipboard(const std::vector<std::string>& lines) {
  CopyTextToClipboard(ClipboardTextOfLines(lines));
}

}  // namespace tv
