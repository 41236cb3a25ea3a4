// Field readers, NUL strings, record padding and the archive over tricky byte sequences.
#include "core/field_file.h"

#include <gtest/gtest.h>

#include "core/archive.h"
#include "core/memory_file_system.h"
#include "core/real_file_system.h"

namespace tv {
namespace {

class FieldFileTest : public ::testing::Test {
 protected:
  std::unique_ptr<File> FileWith(std::string_view bytes) {
    files.SetContents("/f", bytes);
    return files.Open("/f", OpenMode::ReadWrite);
  }
  MemoryFileSystem files;
};

// A file that claims more bytes than it delivers, as a file cut short while being read.
class ShortFile final : public File {
 public:
  explicit ShortFile(std::string bytes) : m_bytes(std::move(bytes)) {}
  size_t Read(void* buffer, size_t size) override {
    size_t got = 0;
    while (got < size && m_position < m_bytes.size()) {
      static_cast<char*>(buffer)[got++] = m_bytes[m_position++];
    }
    return got;
  }
  void Write(const void*, size_t) override {}
  void Seek(uint64_t position) override { m_position = position; }
  uint64_t Position() const override { return m_position; }
  uint64_t Length() override { return m_bytes.size() + 10; }
  void Flush() override {}
  const std::string& Path() const override { return m_path; }

 private:
  std::string m_bytes;
  std::string m_path = "/short";
  uint64_t m_position = 0;
};

TEST_F(FieldFileTest, ReadFieldSkipsALeadingControlByteButNotANul) {
  auto file = FileWith("ab\t\txy\r\n");
  std::string out = "unchanged";
  ASSERT_TRUE(ReadField(*file, out));
  EXPECT_EQ(out, "ab");
  ASSERT_TRUE(ReadField(*file, out));
  EXPECT_EQ(out, "xy");  // the second TAB was skipped
  ASSERT_TRUE(ReadField(*file, out));
  EXPECT_EQ(out, "");  // the lone line feed
  out = "kept";
  EXPECT_FALSE(ReadField(*file, out));
  EXPECT_EQ(out, "kept");
}

TEST_F(FieldFileTest, ReadFieldKeepsHighBytesAndStopsAtNul) {
  auto file = FileWith(std::string("Zo\xeb\0", 4) + std::string("\0next", 5));
  std::string out;
  ASSERT_TRUE(ReadField(*file, out));
  EXPECT_EQ(out, "Zo\xeb");
  ASSERT_TRUE(ReadField(*file, out));
  EXPECT_EQ(out, "");  // a NUL read first ends an empty field at once
  ASSERT_TRUE(ReadField(*file, out));
  EXPECT_EQ(out, "next");
}

TEST_F(FieldFileTest, ReadFieldReportsAFileCutShortButReadFieldTextAbsorbsIt) {
  ShortFile cut("abc");
  std::string out;
  EXPECT_THROW(ReadField(cut, out), FileError);
  ShortFile again("abc");
  EXPECT_EQ(ReadFieldText(again), "abc");
}

TEST_F(FieldFileTest, ReadFieldIntoKeepsAtMostSizeMinusTwoCharacters) {
  char buffer[5];
  auto file = FileWith("abcdefgh\nxyz\nab\nabc\n");
  ASSERT_TRUE(ReadFieldInto(*file, buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "abc");
  ASSERT_TRUE(ReadFieldInto(*file, buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "xyz");
  ASSERT_TRUE(ReadFieldInto(*file, buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "ab");
  ASSERT_TRUE(ReadFieldInto(*file, buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "abc");
  buffer[0] = 'q';
  EXPECT_FALSE(ReadFieldInto(*file, buffer, sizeof buffer));
  EXPECT_EQ(buffer[0], 'q');  // untouched at the end of the file
}

TEST_F(FieldFileTest, WrittenStringsReadBack) {
  auto file = FileWith("");
  for (const char* text : {"Cambridge", "St Mary's", "a b\xe9"}) FileWriteString(*file, text);
  file->Seek(0);
  for (const char* text : {"Cambridge", "St Mary's", "a b\xe9"}) {
    std::string out;
    ASSERT_TRUE(ReadField(*file, out));
    EXPECT_EQ(out, text);
  }
}

TEST_F(FieldFileTest, PadFileToRecordsCompletesThePartialRecord) {
  auto file = FileWith(std::string(50, 'x'));
  EXPECT_EQ(PadFileToRecords(*file, 24), 3u);
  EXPECT_EQ(files.Contents("/f").size(), 72u);
  EXPECT_EQ(PadFileToRecords(*file, 24), 3u);
  EXPECT_EQ(files.Contents("/f").size(), 72u);
}

TEST_F(FieldFileTest, ArchiveNumbersAreLittleEndianAndStringsEndAtNul) {
  auto file = FileWith("");
  {
    Archive out(*file, Archive::Mode::Store, 16);
    out.WriteByte(0x12);
    out.WriteWord(0x3456);
    out.WriteDword(0x789abcde);
    ArchiveWriteString(out, "St Paul");
    ArchiveWriteString(out, std::string(40, 'y'));  // longer than the buffer
    out.Flush();
  }
  const std::string bytes = files.Contents("/f");
  EXPECT_EQ(bytes.substr(0, 7), std::string("\x12\x56\x34\xde\xbc\x9a\x78", 7));
  file->Seek(0);
  Archive in(*file, Archive::Mode::Load, 16);
  EXPECT_EQ(in.ReadByte(), 0x12);
  EXPECT_EQ(in.ReadWord(), 0x3456);
  EXPECT_EQ(in.ReadDword(), 0x789abcdeu);
  EXPECT_EQ(ArchiveReadString(in), "St Paul");
  EXPECT_EQ(ArchiveReadString(in), std::string(40, 'y'));
  EXPECT_TRUE(in.AtEnd());
  EXPECT_THROW(in.ReadByte(), FileError);
}

TEST_F(FieldFileTest, ArchiveReadCharsNeverOverrunsItsBuffer) {
  // A damaged file whose text runs far past any buffer.
  auto file = FileWith(std::string(10000, 'z') + std::string("\0ok\0", 4));
  Archive in(*file, Archive::Mode::Load);
  char guard[4] = {'G', 'G', 'G', 'G'};
  char buffer[8];
  char after[4] = {'G', 'G', 'G', 'G'};
  ArchiveReadChars(in, buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "zzzzzzz");
  EXPECT_EQ(std::string(guard, 4), "GGGG");
  EXPECT_EQ(std::string(after, 4), "GGGG");
  ArchiveReadChars(in, buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "ok");
}

TEST_F(FieldFileTest, ArchiveReadStringKeepsItsLimitAndReportsAMissingNul) {
  auto file = FileWith(std::string(100, 'a') + std::string("\0", 1) + "bbb");
  Archive in(*file, Archive::Mode::Load);
  EXPECT_EQ(ArchiveReadString(in, 10), std::string(10, 'a'));
  EXPECT_THROW(ArchiveReadString(in), FileError);  // the file ends inside the text
}

TEST(RealFileSystemTest, SafeWriteReplacesContentsAndLeavesNoTemporary) {
  RealFileSystem files;
  const std::string path = ::testing::TempDir() + "tolvane_safe_write.txt";
  ASSERT_TRUE(files.WriteAllSafely(path, "first"));
  ASSERT_TRUE(files.WriteAllSafely(path, "second"));
  std::string contents;
  ASSERT_TRUE(files.ReadAll(path, contents));
  EXPECT_EQ(contents, "second");
  EXPECT_FALSE(files.Exists(TemporaryNameFor(path)));
  EXPECT_TRUE(files.Remove(path));
  EXPECT_FALSE(files.ReadAll(path, contents));
}

}  // namespace
}  // namespace tv
