// Compositions: the record, the template and the lines built against it, the index order, the
// find-or-add of imports, the texts other parts print, and the "Composition Details" dialog.
#include "refdb/composition.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "core/memory_file_system.h"
#include "core/services.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "tests/support/scripted_platform.h"

namespace tv {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

class CompositionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OpenIndexSet("/db/");
    CompositionTemplate() = {};
    cambridge = AddMethod("Cambridge", 4, 8, 1);
    bristol = AddMethod("Bristol", 4, 8, 1);
    spliced = AddMethod("", 4, 8, 8);
    smith = AddPerson("JR", "John Richard", "Smith");
    brown = AddPerson("A", "Alan", "Brown");
  }
  void TearDown() override {
    CloseIndexSet();
    CompositionTemplate() = {};
  }

  int32_t AddMethod(const char* name, int32_t cls, uint8_t stage, uint16_t count) {
    auto m = std::make_unique<CMethod>();
    m->name = name;
    m->methodClass = cls;
    m->stage = stage;
    m->methodCount = count;
    m->spliced = count > 1;
    return MethodIndex().InsertNew(std::move(m));
  }
  int32_t AddPerson(const char* initials, const char* first, const char* surname) {
    auto p = std::make_unique<CPerson>();
    p->initials = initials;
    p->firstNames = first;
    p->surname = surname;
    return PersonIndex().InsertNew(std::move(p));
  }
  CComposition Make(int32_t length, int32_t method, int32_t composer, const char* details,
                    const char* name = "") {
    CComposition c;
    c.length = length;
    c.method = method;
    c.composer = composer;
    c.methodDetails = details;
    c.name = name;
    return c;
  }
  std::string Written(const CComposition& c) {
    {
      auto file = files.Open("/db/record", OpenMode::Create);
      Archive out(*file, Archive::Mode::Store);
      c.WriteRecord(out);
    }
    return files.Contents("/db/record");
  }
  CComposition Read(const std::string& bytes) {
    files.SetContents("/db/record", bytes);
    auto file = files.Open("/db/record", OpenMode::Read);
    Archive in(*file, Archive::Mode::Load, 64);
    CComposition c;
    c.ReadRecord(in);
    return c;
  }

  MemoryFileSystem files{"/db/"};
  testing::ScriptedPlatform platform;
  ScopedServices services{&files, nullptr, &platform};
  int32_t cambridge = 0, bristol = 0, spliced = 0, smith = 0, brown = 0;
};

TEST_F(CompositionTest, RecordLayoutAndByteExactRoundTrip) {
  CComposition c = Make(5040, 300, 2, "Bristol, Cambridge", "No 1");
  c.key = 7;
  c.arranger = 70000;
  c.generatedBy = 1;
  c.figures = "W M H";
  const std::string bytes = Written(c);
  EXPECT_EQ(bytes, Bytes({0x1f, 7, 0x2c, 0xb0, 0x13, 0x2d, 0x2c, 0x01, 0x03, 2, 0x41, 0x70, 0x11,
                          0x01, 0x00, 0x07, 1, 0x69, 'B', 'r', 'i', 's', 't', 'o', 'l', ',', ' ',
                          'C', 'a', 'm', 'b', 'r', 'i', 'd', 'g', 'e', 0, 0x6e, 'N', 'o', ' ', '1',
                          0, 0x64, 'W', ' ', 'M', ' ', 'H', 0, 0}));
  const CComposition back = Read(bytes);
  EXPECT_EQ(back.key, 7);
  EXPECT_EQ(back.Numbers(), c.Numbers());
  EXPECT_EQ(back.methodDetails, c.methodDetails);
  EXPECT_EQ(back.name, "No 1");
  EXPECT_EQ(back.figures, "W M H");
  EXPECT_EQ(Written(back), bytes);
}

TEST_F(CompositionTest, AbsentFieldsReadAsZeroWhateverTheTemplateHolds) {
  CompositionTemplate() = {5040, cambridge, smith, brown, smith};
  EXPECT_EQ(CComposition().Numbers(), CompositionTemplate());
  // Key 3, method 2 and an unknown text field only.
  const CComposition c = Read(Bytes({0x1f, 3, 0x0d, 2, 0x7a, 'z', 0, 0}));
  EXPECT_EQ(c.key, 3);
  EXPECT_EQ(c.Numbers(), (CCompTemplate{0, 2, 0, 0, 0}));
  EXPECT_EQ(c.methodDetails, "");
  EXPECT_EQ(Written(c), Bytes({0x1f, 3, 0x0d, 2, 0}));
}

TEST_F(CompositionTest, LineBreaksInTextsSurviveSaveAndReload) {
  // A reader ends a record's text at its first control byte; written raw, the rest of the
  // method details would be read as fields and the name and figures lost. Escaped, the line
  // breaks come back and an older reader still sees one plain text.
  CComposition c = Make(5040, cambridge, smith, "Bristol,\r\nCambridge", "Smith's No 1");
  c.figures = "W M H\r\n\r\n2 - -\r\n3 x\t- &#10; literal";
  const std::string written = Written(c);
  EXPECT_NE(written.find("Bristol,&#13;&#10;Cambridge"), std::string::npos);
  const CComposition back = Read(written);
  EXPECT_EQ(back.methodDetails, c.methodDetails);
  EXPECT_EQ(back.name, "Smith's No 1");
  EXPECT_EQ(back.figures, c.figures);
  EXPECT_EQ(back.Numbers(), c.Numbers());
  EXPECT_EQ(Written(back), written);
}

// The dialog lets 5000 characters be typed; the record keeps all of them, line breaks too.
TEST_F(CompositionTest, TextsAsLongAsTheDialogAllowsAreKept) {
  std::string figures;
  while (figures.size() + 2 <= kMaxCompositionText) figures += figures.size() % 7 ? "x" : "\r\n";
  figures.resize(kMaxCompositionText, 'y');
  CComposition c = Make(5040, cambridge, smith, "");
  c.methodDetails = std::string(kMaxCompositionText, 'd');
  c.figures = figures;
  const CComposition back = Read(Written(c));
  EXPECT_EQ(back.methodDetails.size(), kMaxCompositionText);
  EXPECT_EQ(back.figures, figures);
}

TEST_F(CompositionTest, ChooserLineIsNormalOnlyWhenAllNumbersMatchTheTemplate) {
  CComposition c = Make(5040, cambridge, smith, "Bristol, Cambridge", "No 1");
  CompositionTemplate() = {5040, cambridge, smith, 0, 0};
  EXPECT_EQ(c.GetName(0), "Bristol, Cambridge No 1");
  CompositionTemplate().arranger = brown;
  EXPECT_EQ(c.GetName(1), "\\-5040 Cambridge Surprise Major JRS  ");
  c.arranger = brown;
  c.generatedBy = 99;  // no such person: an empty typed form
  CompositionTemplate() = {};
  EXPECT_EQ(c.GetName(0), "\\-5040 Cambridge Surprise Major JRS AB ");
  // With nothing chosen yet, only an all-zero composition is shown normally.
  EXPECT_EQ(Make(0, 0, 0, "Plain", "x").GetName(0), "Plain x");
  EXPECT_EQ(Make(0, 77, 0, "").GetName(0), "\\-0 #77   ");
}

TEST_F(CompositionTest, DetailsAndCsvLine) {
  CComposition c = Make(5056, spliced, smith, "Bristol, Cambridge", "No 2");
  c.key = 4;
  c.arranger = brown;
  c.figures = "W B M";
  EXPECT_EQ(c.GetDetails(),
            "5056 Spliced Surprise Major (8m)\r\nBristol, Cambridge\r\nNo 2\r\n"
            "Composed by John Richard Smith\r\nArranged by Alan Brown\r\nW B M\r\n");
  EXPECT_EQ(Make(120, 0, 0, "").GetDetails(), "120 #0\r\n");
  std::string line;
  c.WriteCsvLine(line);
  Make(0, 0, 0, "Say \"hi\"").WriteCsvLine(line);
  EXPECT_EQ(line,
            "4,5056,3,1,2,0,\"Bristol, Cambridge\",\"No 2\"\n0,0,0,0,0,0,\"Say \"\"hi\"\"\",\"\"\n");
  EXPECT_EQ(CompIndex().CsvHeader(),
            "\"Composition No\",\"Length\",\"Method\",\"Composer\",\"Arranger\",\"Gen\",\"Methods\","
            "\"Name\"");
}

TEST_F(CompositionTest, IndexOrderFollowsMethodsPersonsLengthThenDetails) {
  const CComposition byBristol = Make(5040, bristol, smith, "z");
  const CComposition byCambridge = Make(5000, cambridge, brown, "a");
  EXPECT_LT(byBristol.Compare(&byCambridge), 0);  // Bristol's key is higher, but sorts first
  const CComposition brownComp = Make(5040, cambridge, brown, "z");
  const CComposition smithComp = Make(5000, cambridge, smith, "a");
  EXPECT_LT(brownComp.Compare(&smithComp), 0);
  EXPECT_GT(Make(5000, cambridge, smith, "z").Compare(&smithComp), 0);
  EXPECT_LT(Make(4000, cambridge, smith, "z").Compare(&smithComp), 0);
  EXPECT_EQ(Make(5000, cambridge, smith, "A").Compare(&smithComp), 0);
  EXPECT_LT(smithComp.Compare(nullptr), 0);

  CompositionTemplate() = {5000, cambridge, smith, 0, 0};
  EXPECT_EQ(smithComp.CompareText("A"), 0);
  EXPECT_LT(smithComp.CompareText("b"), 0);
  EXPECT_LT(brownComp.CompareText("a"), 0);  // Brown sorts before the template's Smith
}

TEST_F(CompositionTest, DamagedKeysStillCompareOnTheirSide) {
  // Keys far beyond any entry, as fuzzed index files held them: their differences must not
  // wrap round and put the composition on the wrong side of the text sought.
  CompositionTemplate() = {5000, 0, 0, 0, 0};
  for (const int32_t composer : {1157627910, INT32_MAX, -INT32_MAX}) {
    auto comp = std::make_unique<CComposition>(Make(5000, 0, composer, "a"));
    const int32_t key = CompIndex().InsertNew(std::move(comp));
    const int exact = CompIndex().CompareEntry(key, "a", true);
    ASSERT_NE(exact, 0) << composer;
    EXPECT_EQ(CompIndex().CompareEntry(key, "a", false) > 0, exact > 0) << composer;
  }
  EXPECT_GT(CompareMethodKeys(INT32_MAX, -INT32_MAX), 0);
}

TEST_F(CompositionTest, FindOrAddMatchesExactTextsAndHonoursLinks) {
  const int32_t first = FindOrAddComposition(5040, cambridge, smith, 0, 0, "No 1", "Bristol");
  EXPECT_EQ(CompositionTemplate(), (CCompTemplate{5040, cambridge, smith, 0, 0}));
  EXPECT_EQ(FindOrAddComposition(5040, cambridge, smith, 0, 0, "No 1", "Bristol"), first);
  // Case differs only in the method details: a new entry, though the two sort as equal.
  const int32_t upper = FindOrAddComposition(5040, cambridge, smith, 0, 0, "No 1", "BRISTOL");
  EXPECT_NE(upper, first);
  EXPECT_EQ(CompIndex().Composition(upper)->Compare(CompIndex().Composition(first)), 0);
  EXPECT_EQ(FindOrAddComposition(5040, cambridge, smith, 0, 0, "No 1", "BRISTOL"), upper);
  EXPECT_EQ(FindOrAddComposition(5040, cambridge, smith, 0, 0, "No 1", "Bristol"), first);
  // Any other value differs.
  const int32_t others[] = {
      FindOrAddComposition(5040, cambridge, smith, 0, 0, "No 2", "Bristol"),
      FindOrAddComposition(5056, cambridge, smith, 0, 0, "No 1", "Bristol"),
      FindOrAddComposition(5040, bristol, smith, 0, 0, "No 1", "Bristol"),
      FindOrAddComposition(5040, cambridge, brown, 0, 0, "No 1", "Bristol"),
      FindOrAddComposition(5040, cambridge, smith, brown, 0, "No 1", "Bristol"),
      FindOrAddComposition(5040, cambridge, smith, 0, brown, "No 1", "Bristol"),
  };
  for (int32_t key : others) {
    EXPECT_NE(key, first);
    EXPECT_NE(key, upper);
  }
  const CComposition* made = CompIndex().Composition(others[4]);
  EXPECT_EQ(made->arranger, brown);
  EXPECT_EQ(made->name, "No 1");

  CompIndex().Composition(first)->link = others[0];
  EXPECT_EQ(FindOrAddComposition(5040, cambridge, smith, 0, 0, "No 1", "Bristol"), others[0]);
}

TEST_F(CompositionTest, CompositionsSurviveSaveAndReopen) {
  const int32_t key = FindOrAddComposition(5040, cambridge, smith, 0, 0, "No 1", "Bristol");
  SaveAllIndexes();
  CloseIndexSet();
  CompositionTemplate() = {};
  OpenIndexSet("/db/");
  EXPECT_EQ(FindOrAddComposition(5040, cambridge, smith, 0, 0, "No 1", "Bristol"), key);
}

TEST_F(CompositionTest, TextsForOtherParts) {
  const int32_t plain = FindOrAddComposition(5040, cambridge, smith, 0, 0, "No 1", "Bristol");
  const int32_t splicedComp =
      FindOrAddComposition(5056, spliced, smith, 0, 0, "", "Bristol, Cambridge");
  const int32_t erin = AddMethod("Erin", 0, 0, 1);
  const int32_t stageless = FindOrAddComposition(5000, erin, 0, 0, 0, "", "E");
  const int32_t longOne =
      FindOrAddComposition(1, 0, 0, 0, 0, "", std::string(60, 'x') + "END");

  EXPECT_EQ(CompositionName(plain), "No 1");
  EXPECT_EQ(CompositionName(999), "???");
  EXPECT_EQ(CompositionText(plain, false), "Bristol");
  EXPECT_EQ(CompositionText(plain, true), "Bristol");  // no bracketed ending
  EXPECT_EQ(CompositionText(splicedComp, true), "(8m: Bristol, Cambridge)");
  EXPECT_EQ(CompositionText(splicedComp, false), "Bristol, Cambridge");
  EXPECT_EQ(CompositionText(stageless, true), "(#" + std::to_string(erin) + ": E)");
  EXPECT_EQ(CompositionText(999, true), "???");
  EXPECT_EQ(CompositionDetailsShort(longOne), std::string(50, 'x'));
  EXPECT_EQ(CompositionDetailsShort(plain), "Bristol");
  EXPECT_EQ(CompositionDetailsShort(999), "");
  EXPECT_EQ(CompositionTags(plain), "<cm>Bristol<cn>No 1");
  EXPECT_EQ(CompositionTags(splicedComp), "<cm>Bristol, Cambridge");
  EXPECT_EQ(CompositionTags(999), "");

  CompositionTemplate() = {5040, cambridge, smith, brown, 0};
  EXPECT_EQ(CompositionHeading(), "5040 Cambridge Surprise Major by John Richard Smith arr. Alan Brown");
  CompositionTemplate() = {5040, cambridge, 0, 99, 0};
  EXPECT_EQ(CompositionHeading(), "5040 Cambridge Surprise Major");
  CompositionTemplate() = {};
  EXPECT_EQ(CompositionHeading(), "0 #0");
}

TEST_F(CompositionTest, DialogChangesOnlyTheTexts) {
  CComposition c = Make(5040, cambridge, smith, "Bristol", "No 1");
  c.arranger = brown;
  platform.QueueDialog([](DialogModel& d) {
    EXPECT_EQ(d.Title(), "Composition Details");
    EXPECT_EQ(d.Text("length"), "5040");
    EXPECT_EQ(d.Text("method"), "Cambridge Surprise Major");
    EXPECT_EQ(d.Text("composer"), "John Richard Smith");
    EXPECT_EQ(d.Text("arranger"), "Alan Brown");
    EXPECT_EQ(d.Text("generatedBy"), "");
    EXPECT_EQ(d.Control("length").kind, ControlKind::ReadOnly);
    d.SetText("name", std::string(101, 'n'));
    d.SetText("methodDetails", "Bristol, Cambridge");
    d.SetText("figures", "W M H\r\nx - -");
    return testing::DialogAction::Ok;
  });
  platform.QueueDialog([](DialogModel& d) {
    d.SetText("name", "No 2");
    return testing::DialogAction::Ok;
  });
  EXPECT_EQ(c.Edit(), 1);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"Please enter no more than 100 characters."});
  EXPECT_EQ(c.name, "No 2");
  EXPECT_EQ(c.methodDetails, "Bristol, Cambridge");
  EXPECT_EQ(c.figures, "W M H\r\nx - -");
  EXPECT_EQ(c.Numbers(), (CCompTemplate{5040, cambridge, smith, brown, 0}));

  platform.QueueDialog([](DialogModel& d) {
    d.SetText("name", "Other");
    return testing::DialogAction::Cancel;
  });
  EXPECT_EQ(c.Edit(), 0);
  EXPECT_EQ(c.name, "No 2");
}

}  // namespace
}  // namespace tv
