// Colour prefixes and the clipboard text of display lines.
#include "core/display_lines.h"

#include <gtest/gtest.h>

#include "core/services.h"
#include "tests/support/scripted_platform.h"

namespace tv {
namespace {

TEST(DisplayLinesTest, PrefixesSelectColoursAndAreRemoved) {
  EXPECT_EQ(SplitDisplayLine("\\+Replaced").colour, LineColour::Red);
  EXPECT_EQ(SplitDisplayLine("\\+Replaced").text, "Replaced");
  EXPECT_EQ(SplitDisplayLine("\\-x").colour, LineColour::Grey);
  EXPECT_EQ(SplitDisplayLine("\\=x").colour, LineColour::Blue);
  EXPECT_EQ(SplitDisplayLine("\\^x").colour, LineColour::Violet);
  EXPECT_EQ(SplitDisplayLine("\\*x").colour, LineColour::Default);
  EXPECT_EQ(SplitDisplayLine("\\*x").text, "x");
  EXPECT_EQ(SplitDisplayLine("\\+").text, "");  // only a prefix: nothing visible
  EXPECT_EQ(SplitDisplayLine("\\").text, "\\");
  EXPECT_EQ(SplitDisplayLine("plain").text, "plain");
  EXPECT_EQ(ColourValue(LineColour::Violet), (Rgb{128, 0, 255}));
  EXPECT_EQ(JoinDisplayLine("a", "", "c"), "a c");
}

TEST(DisplayLinesTest, ClipboardTextEndsLinesWithCrLfAndStopsBefore32512Bytes) {
  EXPECT_EQ(ClipboardTextOfLines({"\\-old", "new", ""}), "old\r\nnew\r\n\r\n");
  // 1 + 7 lines of 4998 + 2 = 35001 > 32512: six lines fit (30001), the seventh does not.
  const std::vector<std::string> lines(7, std::string(4998, 'x'));
  const std::string text = ClipboardTextOfLines(lines);
  EXPECT_EQ(text.size(), 6u * 5000);
  // A short line after the first one left out is left out too.
  std::vector<std::string> more = lines;
  more.push_back("short");
  EXPECT_EQ(ClipboardTextOfLines(more).size(), 6u * 5000);
}

TEST(DisplayLinesTest, ClipboardFailuresAreShown) {
  struct Failing : testing::ScriptedPlatform {
    ClipboardResult result = ClipboardResult::CannotOpen;
    ClipboardResult SetClipboardText(std::string_view) override { return result; }
  } platform;
  ScopedServices services(nullptr, nullptr, &platform);
  CopyTextToClipboard("x");
  platform.result = ClipboardResult::NoMemory;
  CopyLinesToClipboard({"x"});
  EXPECT_EQ(platform.messages, (std::vector<std::string>{"Cannot open the Clipboard",
                                                         "Cannot allocate memory for Clipboard"}));
}

}  // namespace
}  // namespace tv
