// Display lines: a line of a list window may begin with a colour prefix (a backslash and a code
// character), which colours it and is removed before it is drawn or copied. And the two ways
// text reaches the clipboard.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

struct Rgb {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  bool operator==(const Rgb&) const = default;
};

enum class LineColour { Default, Red, Grey, Blue, Violet };

struct DisplayLine {
  LineColour colour = LineColour::Default;
  std::string_view text;  // the line without its prefix
};

// Splits off the colour prefix: "\+" red, "\-" grey, "\=" blue, "\^" violet; a backslash and any
// other character is removed and leaves the default colour.
DisplayLine SplitDisplayLine(std::string_view line);
Rgb ColourValue(LineColour colour);
// Joins first, second and third with blanks, leaving out the empty ones after the first.
std::string JoinDisplayLine(std::string_view first, std::string_view second = {},
                            std::string_view third = {});

// The clipboard text of a list of display lines: each line without its prefix and followed by
// CR LF. Lines are counted as their length plus 2, after 1 for the terminating NUL; the first
// line that would take the count above 32512 bytes and every line after it are left out.
std::string ClipboardTextOfLines(const std::vector<std::string>& lines);

inline constexpr std::string_view kClipboardNoMemory = "Cannot allocate memory for Clipboard";
inline constexpr std::string_view kClipboardCannotOpen = "Cannot open the Clipboard";

// Put plain text on the clipboard through the platform; a failure is shown as a message.
void CopyTextToClipboard(std::string_view text);
void CopyLinesToClipboard(const std::vector<std::string>& lines);

}  // namespace tv
