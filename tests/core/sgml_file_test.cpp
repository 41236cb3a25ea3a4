// The SGML tag reader: tags, content joined across lines, and the ends of files.
#include "core/sgml_file.h"

#include "core/escaping.h"

#include <gtest/gtest.h>

#include "core/memory_file_system.h"

namespace tv {
namespace {

std::vector<std::pair<std::string, std::string>> ReadAll(std::string_view bytes) {
  MemoryFileSystem files;
  files.SetContents("/f.sgm", bytes);
  CSGMLFile reader(files.Open("/f.sgm", OpenMode::Read));
  std::vector<std::pair<std::string, std::string>> tags;
  std::string tag, content;
  while (reader.ReadTag(tag, content)) tags.emplace_back(tag, content);
  EXPECT_TRUE(tag.empty());
  return tags;
}

using Tags = std::vector<std::pair<std::string, std::string>>;

TEST(SgmlFileTest, TagsAndContents) {
  EXPECT_EQ(ReadAll("<k>2003-03-15/2<a> Ancient Society <t>LONDON\r\n"),
            (Tags{{"k", "2003-03-15/2"}, {"a", "Ancient Society"}, {"t", "LONDON"}}));
  EXPECT_EQ(ReadAll("<<k>>x"), (Tags{{"k", "x"}}));
  EXPECT_EQ(ReadAll("<>empty<r>"), (Tags{{"", "empty"}, {"r", ""}}));
}

TEST(SgmlFileTest, LineBreaksBecomeOneBlankExceptAfterAHyphen) {
  EXPECT_EQ(ReadAll("<m>Cam-\r\nbridge<ms>Surprise\r\n\tMajor\r\n"),
            (Tags{{"m", "Cam-bridge"}, {"ms", "Surprise Major"}}));
  EXPECT_EQ(ReadAll("<f>Caf\xe9 bells"), (Tags{{"f", "Caf\xe9 bells"}}));
}

TEST(SgmlFileTest, EndsOfFile) {
  EXPECT_EQ(ReadAll(""), Tags{});
  EXPECT_EQ(ReadAll("<"), Tags{});
  EXPECT_EQ(ReadAll("<k"), (Tags{{"k", ""}}));
  EXPECT_EQ(ReadAll("<k>unfinished"), (Tags{{"k", "unfinished"}}));
  EXPECT_EQ(ReadAll("no tags at all"), Tags{});
}

// A file may open with a byte-order mark, blank lines or a title: none of it is a tag, and the
// first record must still be found.
TEST(SgmlFileTest, WhatComesBeforeTheFirstTagIsSkipped) {
  EXPECT_EQ(ReadAll("lead<k>x"), (Tags{{"k", "x"}}));
  EXPECT_EQ(ReadAll("\xEF\xBB\xBF<k>x"), (Tags{{"k", "x"}}));
  EXPECT_EQ(ReadAll("\r\n\r\nMy peals\r\n<k>x<f>y"), (Tags{{"k", "x"}, {"f", "y"}}));
}

// The writer escapes what the reader would otherwise take apart; texts that merely look like
// escapes were written with their "&" escaped, so they come back as they were.
TEST(SgmlFileTest, EscapesReadBackAsTheirBytes) {
  for (const std::string text :
       {"a < b", "<b>x</b> & y", "&lt; typed", "&amp;", "line\r\nbreak\ttab", "& #1;", "&#1",
        "AT&T;", "-&#"}) {
    EXPECT_EQ(ReadAll("<f>" + SgmlText(text)), (Tags{{"f", text}})) << text;
  }
  EXPECT_EQ(SgmlText("a < b & c"), "a &lt; b & c");
  EXPECT_EQ(SgmlText("x\r\ny"), "x&#13;&#10;y");
  // An "&" of a text written by an older version, not part of an escape, stays as it was.
  EXPECT_EQ(ReadAll("<f>Smith & Jones &c"), (Tags{{"f", "Smith & Jones &c"}}));
}

TEST(SgmlFileTest, PushedBackTagIsReadAgain) {
  MemoryFileSystem files;
  files.SetContents("/f.sgm", "<k>1<k>2");
  CSGMLFile reader(files.Open("/f.sgm", OpenMode::Read));
  std::string tag, content;
  ASSERT_TRUE(reader.ReadTag(tag, content));
  ASSERT_TRUE(reader.ReadTag(tag, content));
  reader.pushedBack = true;
  ASSERT_TRUE(reader.ReadTag(tag, content));
  EXPECT_EQ(content, "2");
  EXPECT_FALSE(reader.ReadTag(tag, content));
}

}  // namespace
}  // namespace tv
