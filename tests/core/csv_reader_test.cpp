// The CSV reader: quoting, line ends, and damage that spoils one record and no more.
#include "core/csv_reader.h"

#include <gtest/gtest.h>

namespace tv {
namespace {

using Row = std::vector<std::string>;

std::vector<Row> ReadAll(std::string_view text, CsvLimits limits = {}) {
  CCsvReader reader(text, limits);
  std::vector<Row> rows;
  Row row;
  while (reader.Next(row)) rows.push_back(row);
  return rows;
}

TEST(CsvReader, QuotedFieldsKeepCommasDoubledQuotesAndLineBreaks) {
  const auto rows = ReadAll(
      "a,\"Aberdeen, S Nicholas Kirk\",\"say \"\"hi\"\"\",\"two\r\nlines\",\n\"\",x\n");
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (Row{"a", "Aberdeen, S Nicholas Kirk", "say \"hi\"", "two\r\nlines", ""}));
  EXPECT_EQ(rows[1], (Row{"", "x"}));
}

TEST(CsvReader, AnyLineEndAByteOrderMarkAndEmptyLines) {
  const auto rows = ReadAll("\xEF\xBB\xBFh1,h2\r\n1,2\n\n3,4\r5,6");
  EXPECT_EQ(rows, (std::vector<Row>{{"h1", "h2"}, {"1", "2"}, {"3", "4"}, {"5", "6"}}));
}

TEST(CsvReader, LineNumbersCountLineBreaksInsideQuotes) {
  CCsvReader reader("a\n\"b\nc\",d\ne\n");
  Row row;
  ASSERT_TRUE(reader.Next(row));
  EXPECT_EQ(reader.Line(), 1u);
  ASSERT_TRUE(reader.Next(row));
  EXPECT_EQ(reader.Line(), 2u);
  ASSERT_TRUE(reader.Next(row));
  EXPECT_EQ(reader.Line(), 4u);
  EXPECT_EQ(row, (Row{"e"}));
  EXPECT_FALSE(reader.Next(row));
}

TEST(CsvReader, UnclosedQuoteSpoilsOnlyItsOwnRecord) {
  CCsvReader reader("1,\"open,x\n2,b\n3,c\n");
  Row row;
  ASSERT_TRUE(reader.Next(row));
  EXPECT_EQ(row, (Row{"1", "open,x"}));
  EXPECT_EQ(reader.Problem(), "a quoted field is not closed");
  // The lines after it are read as the records they are, not swallowed into the open field.
  ASSERT_TRUE(reader.Next(row));
  EXPECT_EQ(row, (Row{"2", "b"}));
  EXPECT_EQ(reader.Problem(), "");
  EXPECT_EQ(reader.Line(), 2u);
  ASSERT_TRUE(reader.Next(row));
  EXPECT_EQ(row, (Row{"3", "c"}));
}

TEST(CsvReader, TextAfterAClosingQuoteIsKeptAndReported) {
  CCsvReader reader("\"a\"b,c\n");
  Row row;
  ASSERT_TRUE(reader.Next(row));
  EXPECT_EQ(row, (Row{"ab", "c"}));
  EXPECT_EQ(reader.Problem(), "text follows a closing quote");
}

TEST(CsvReader, HugeFieldsAndTooManyFieldsAreCutAndReported) {
  const std::string text = std::string(100, 'x') + ",y\n1,2,3,4\nok\n";
  CCsvReader reader(text, {.maxField = 10, .maxFields = 3});
  Row row;
  ASSERT_TRUE(reader.Next(row));
  EXPECT_EQ(row, (Row{std::string(10, 'x'), "y"}));
  EXPECT_EQ(reader.Problem(), "a field longer than 10 bytes was cut");
  ASSERT_TRUE(reader.Next(row));
  EXPECT_EQ(row, (Row{"1", "2", "3"}));
  EXPECT_EQ(reader.Problem(), "more than 3 fields");
  ASSERT_TRUE(reader.Next(row));
  EXPECT_EQ(reader.Problem(), "");
}

}  // namespace
}  // namespace tv
