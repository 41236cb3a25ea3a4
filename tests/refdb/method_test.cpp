// Methods: titles in every form, stages both ways, name comparison and index order, the record
// with its repairs, the CSV line, the selection tests, finding by method count, and the
// "Method Details" dialog.
#include "refdb/method.h"

#include <gtest/gtest.h>

#include "core/clock.h"
#include "core/memory_file_system.h"
#include "core/services.h"
#include "refdb/index_set.h"
#include "tests/support/scripted_platform.h"

namespace tv {
namespace {

struct MethodParts {
  std::string name;
  int32_t methodClass = 0;
  uint8_t stage = 0;
  uint16_t count = 1;
  bool spliced = false;
  bool little = false;
  int32_t key = 0;
  int32_t link = 0;
  Date firstRung = 0;
};

CMethod MakeMethod(const MethodParts& p) {
  CMethod m;
  m.name = p.name;
  m.methodClass = p.methodClass;
  m.stage = p.stage;
  m.methodCount = p.count;
  m.spliced = p.spliced;
  m.little = p.little;
  m.key = p.key;
  m.link = p.link;
  m.firstRung = p.firstRung;
  return m;
}

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

class MethodTest : public ::testing::Test {
 protected:
  void SetUp() override { OpenIndexSet("/db/"); }
  void TearDown() override { CloseIndexSet(); }

  std::string Written(const CMethod& method) {
    {
      auto file = files.Open("/db/record", OpenMode::Create);
      Archive out(*file, Archive::Mode::Store);
      method.WriteRecord(out);
    }
    return files.Contents("/db/record");
  }
  CMethod Read(const std::string& bytes) {
    files.SetContents("/db/record", bytes);
    auto file = files.Open("/db/record", OpenMode::Read);
    Archive in(*file, Archive::Mode::Load, 64);
    CMethod method;
    method.ReadRecord(in);
    return method;
  }
  int32_t Add(const MethodParts& p) {
    return MethodIndex().InsertNew(std::make_unique<CMethod>(MakeMethod(p)));
  }

  MemoryFileSystem files{"/db/"};
  FixedClock clock{{15, 3, 2003}};
  testing::ScriptedPlatform platform;
  ScopedServices services{&files, &clock, &platform};
};

struct TitleCase {
  MethodParts parts;
  bool withStage;
  bool withColour;
  const char* title;
};

TEST_F(MethodTest, TitleInEveryForm) {
  const TitleCase cases[] = {
      {{.name = "Cambridge", .methodClass = 4, .stage = 8}, true, false, "Cambridge Surprise Major"},
      {{.name = "Plain", .methodClass = 2, .stage = 6, .little = true}, true, false,
       "Plain Little Bob Minor"},
      {{.name = "Little", .methodClass = 2, .stage = 6}, true, false, "Little Bob Minor"},
      {{.methodClass = 4, .stage = 8, .count = 8, .spliced = true}, true, false,
       "Spliced Surprise Major (8m)"},
      {{.name = "Plain", .methodClass = 2, .stage = 0x86}, true, false, "Plain Bob Doubles and Minor"},
      {{.name = "Stedman", .stage = 0, .key = 12}, true, false, "Stedman 0 (#12)"},
      {{.name = "Cambridge", .methodClass = 4, .stage = 8}, false, false, "Cambridge Surprise "},
      {{.name = "(Mixed)", .methodClass = 4, .stage = 8}, true, false, "Surprise Major (Mixed)"},
      {{.name = "Grandsire", .stage = 40}, true, false, "Grandsire ??"},
      // Colour: red for a linked entry (even with a first-rung date), blue for a dated one; the
      // prefix goes before "Spliced" and the count after it.
      {{.name = "Bristol", .methodClass = 4, .stage = 8, .link = 3, .firstRung = 140000}, true, true,
       "\\+Bristol Surprise Major"},
      {{.name = "Bristol", .methodClass = 4, .stage = 8, .firstRung = 140000}, true, true,
       "\\=Bristol Surprise Major"},
      {{.name = "Bristol", .methodClass = 4, .stage = 8}, true, true, "Bristol Surprise Major"},
      {{.methodClass = 4, .stage = 8, .count = 23, .spliced = true, .link = 2}, true, true,
       "\\+Spliced Surprise Major (23m)"},
      // A damaged class code outside the word table prints no class and no stray blank.
      {{.name = "Cambridge", .methodClass = 13, .stage = 8}, true, false, "Cambridge Major"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    const CMethod method = MakeMethod(c.parts);
    EXPECT_EQ(method.Title(c.withStage, c.withColour), c.title);
  }
  const CMethod linked = MakeMethod({.name = "Bristol", .methodClass = 4, .stage = 8, .link = 3});
  EXPECT_EQ(linked.GetName(0), "Bristol Surprise Major");
  EXPECT_EQ(linked.GetName(1), "\\+Bristol Surprise Major");
}

TEST_F(MethodTest, TaggedTextPutsSplicedBeforeLittle) {
  EXPECT_EQ(MakeMethod({.name = "Cambridge", .methodClass = 4, .stage = 8}).TaggedText(),
            "<m>Cambridge<mc>Surprise<ms>Major");
  EXPECT_EQ(MakeMethod({.methodClass = 4, .stage = 8, .count = 8, .spliced = true}).TaggedText(),
            "<m><mn>8<mc>Spliced Surprise<ms>Major");
  EXPECT_EQ(MakeMethod({.methodClass = 2, .stage = 6, .spliced = true, .little = true}).TaggedText(),
            "<m><mc>Spliced Little Bob<ms>Minor");
  EXPECT_EQ(MakeMethod({.name = "Stedman", .stage = 7}).TaggedText(), "<m>Stedman<ms>Triples");
  EXPECT_EQ(MakeMethod({.name = "Plain", .stage = 5, .little = true}).TaggedText(),
            "<m>Plain<mc>Little<ms>Doubles");
}

TEST_F(MethodTest, TitleAndDetailSplitsTheBracketedTail) {
  struct Case {
    MethodParts parts;
    const char* title;
    const char* detail;
  } cases[] = {
      {{.methodClass = 4, .stage = 8, .count = 8, .spliced = true}, "Spliced Surprise Major",
       "8 methods"},
      {{.name = "(8m)", .methodClass = 4, .stage = 8}, "Surprise Major", "8 methods"},
      {{.name = "(Mixed)", .methodClass = 4, .stage = 8}, "Surprise Major", "(Mixed)"},
      {{.name = "Cambridge", .methodClass = 4, .stage = 8}, "Cambridge Surprise Major", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    std::string detail = "left over";
    EXPECT_EQ(MakeMethod(c.parts).TitleAndDetail(detail), c.title);
    EXPECT_EQ(detail, c.detail);
  }
}

TEST_F(MethodTest, StageNamesAndStageParsing) {
  const std::pair<unsigned, const char*> names[] = {
      {0, "0"},          {3, "Singles"},   {8, "Major"},   {22, "Twenty-Two"}, {25, "Dodecuples"},
      {26, "??"},        {128, "??"},      {0x86, "Doubles and Minor"},       {129, "0 and 1"},
      {255, "?? and ??"}};
  for (const auto& [stage, name] : names) EXPECT_EQ(StageName(stage), name) << stage;

  const std::pair<const char*, int> parsed[] = {
      {"minor", 6},
      {"MAJOR", 8},
      {"Minimus", 4},
      {"Twenty-Four", 24},
      {"Doubles & Minor", 0x86},
      {"Minor & Doubles", 0x86},
      {"Triples & Royal", 10},
      {"Twenty-Four & Dodecuples", 0x99},
      {"Dodecuples & Twenty-Four", 0x99},
      {"Singles", 0},
      {"2", 0},
      {" Minor", 0},  // no trimming
      {"Twenty Two", 0},
      {"", 0},
      // Ampersands at the edges of the text give empty parts, not reads outside it.
      {"&", 0},
      {"Minor &", 0},
      {"& Minor", 6},
      {"Minor&", 0},
  };
  for (const auto& [text, stage] : parsed) EXPECT_EQ(ParseStage(text), stage) << text;
  for (unsigned stage = 4; stage <= 25; ++stage) EXPECT_EQ(ParseStage(StageName(stage)), stage);
}

TEST_F(MethodTest, NamesCompareInNormalisedFormIgnoringCase) {
  const std::pair<const char*, const char*> normalised[] = {
      {"St. Clement's", "St Clements"},
      {"  Double--Norwich,, Court  ", "Double Norwich Court"},
      {"Spliced 8 methods", "Spliced 8m"},
      {"Stedman variations", "Stedmanv"},
      {"...", ""},
  };
  for (const auto& [text, form] : normalised) EXPECT_EQ(NormaliseName(text), form) << text;

  const CMethod clements = MakeMethod({.name = "St. Clement's"});
  EXPECT_EQ(clements.CompareText("st clements"), 0);
  EXPECT_EQ(clements.CompareText("ST-CLEMENTS"), 0);
  EXPECT_LT(clements.CompareText("St Clements College"), 0);
  EXPECT_GT(MakeMethod({.name = "Cambridge"}).CompareText("Bristol"), 0);
}

TEST_F(MethodTest, IndexOrderIsNameThenCountStageClassLittleSpliced) {
  // Added in an order unlike the expected one.
  const MethodParts parts[] = {
      {.name = "Cambridge", .methodClass = 4, .stage = 8, .spliced = true},
      {.name = "cambridge", .methodClass = 4, .stage = 8, .little = true},
      {.name = "Cambridge", .methodClass = 4, .stage = 10},
      {.name = "Cambridge", .methodClass = 4, .stage = 8},
      {.name = "Cambridge", .methodClass = 3, .stage = 8},
      {.name = "Bristol", .methodClass = 4, .stage = 12},
      {.methodClass = 4, .stage = 8, .count = 8, .spliced = true},
      {.methodClass = 4, .stage = 8, .count = 3, .spliced = true},
      {.name = "Cambridge", .methodClass = 4, .stage = 6, .count = 2},
  };
  for (const auto& p : parts) Add(p);
  std::vector<std::string> titles;
  CMethodIndex& index = MethodIndex();
  for (int32_t k = index.First(); k != 0; k = index.StepForward(k, 1)) {
    const CMethod* m = index.Method(k);
    titles.push_back(m->Title(true, false) + (m->little ? " L" : "") + (m->spliced ? " S" : ""));
  }
  const std::vector<std::string> expected = {
      "Spliced Surprise Major (3m) S",     "Spliced Surprise Major (8m) S",
      "Bristol Surprise Maximus",          "Cambridge Treble Bob Major",
      "Cambridge Surprise Major",          "Spliced Cambridge Surprise Major S",
      "cambridge Little Surprise Major L", "Cambridge Surprise Royal",
      "Cambridge Surprise Minor (2m)"};
  EXPECT_EQ(titles, expected);
  EXPECT_LT(MakeMethod({.name = "Zebra"}).Compare(nullptr), 0);
}

TEST_F(MethodTest, RecordLayoutAndByteExactRoundTrip) {
  const CMethod full = MakeMethod({.name = "Cambridge", .methodClass = 4, .stage = 8, .count = 8,
                                   .spliced = true, .little = true, .key = 5, .link = 3,
                                   .firstRung = 147000});
  const std::string bytes = Written(full);
  EXPECT_EQ(bytes, Bytes({0x1f, 5, 0x10, 4 + 16 + 32, 0x13, 8, 0x18, 3, 0x6d, 'C', 'a', 'm', 'b',
                          'r', 'i', 'd', 'g', 'e', 0, 0x46, 0x38, 0x3e, 0x02, 0x00, 0x0e, 8, 0}));
  const CMethod back = Read(bytes);
  EXPECT_EQ(back.Title(true, true), full.Title(true, true));
  EXPECT_EQ(back.key, 5);
  EXPECT_EQ(back.link, 3);
  EXPECT_EQ(back.firstRung, 147000);
  EXPECT_TRUE(back.spliced && back.little);
  EXPECT_EQ(Written(back), bytes);

  // A plain method: one method and no flags leave out 'p' bits, 'n' and the rest.
  const CMethod plain = MakeMethod({.name = "Stedman", .stage = 7, .key = 300});
  EXPECT_EQ(Written(plain), Bytes({0x3f, 0x2c, 0x01, 0x13, 7, 0x6d, 'S', 't', 'e', 'd', 'm', 'a',
                                   'n', 0, 0}));
  EXPECT_EQ(Read(Written(plain)).methodCount, 1);

  // A damaged class code (12 to 15 fit the record's four bits) is kept as it was.
  CMethod damaged = Read(Bytes({0x1f, 9, 0x10, 0x0f, 0x13, 8, 0}));
  EXPECT_EQ(damaged.methodClass, 15);
  EXPECT_EQ(damaged.Title(true, false), "Major");
  EXPECT_EQ(Written(damaged), Bytes({0x1f, 9, 0x10, 0x0f, 0x13, 8, 0}));
}

TEST_F(MethodTest, ReadingRepairsOldCountsAndSkipsUnknownFields) {
  struct Case {
    const char* what;
    std::string bytes;
    const char* name;
    uint16_t count;
  } cases[] = {
      {"old count in the name", Bytes({0x1f, 1, 0x6d, '(', '2', '3', 'm', ')', 0, 0}), "", 23},
      {"old count with a blank", Bytes({0x1f, 1, 0x6d, '(', '1', '2', ' ', 'm', ')', 0, 0}), "", 12},
      {"too short to be a count", Bytes({0x1f, 1, 0x6d, 'm', ')', 0, 0}), "m)", 1},
      {"bracketed name", Bytes({0x1f, 1, 0x6d, '(', 'X', ')', 0, 0}), "(X)", 1},
      {"count above 500", Bytes({0x1f, 1, 0x2e, 0x58, 0x02, 0}), "", 0},
      {"count 500", Bytes({0x1f, 1, 0x2e, 0xf4, 0x01, 0}), "", 500},
      // 65537 would read as 1 if narrowed before the limit is checked.
      {"count 65537", Bytes({0x1f, 1, 0x4e, 0x01, 0x00, 0x01, 0x00, 0}), "", 0},
      {"old count above 500", Bytes({0x1f, 1, 0x6d, '(', '6', '0', '0', 'm', ')', 0, 0}), "", 0},
      {"unknown fields skipped",
       Bytes({0x1f, 1, 0x7a, 'z', 0, 0x84, 2, 1, 2, 0xe1, 1, 'x', 0, 0x6d, 'K', 0, 0}), "K", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const CMethod m = Read(c.bytes);
    EXPECT_EQ(m.name, c.name);
    EXPECT_EQ(m.methodCount, c.count);
    EXPECT_EQ(m.key, 1);
  }
  // The link is a 16-bit value whatever width it was stored in.
  EXPECT_EQ(Read(Bytes({0x1f, 1, 0x58, 0x05, 0x00, 0x01, 0x00, 0})).link, 5);
}

TEST_F(MethodTest, MethodsSurviveSaveAndReopen) {
  const int32_t a = Add({.name = "Cambridge", .methodClass = 4, .stage = 8, .firstRung = 140000});
  const int32_t b = Add({.methodClass = 4, .stage = 8, .count = 8, .spliced = true});
  EXPECT_EQ(AddPlaceholder(40), 40);
  SaveAllIndexes();
  CloseIndexSet();
  OpenIndexSet("/db/");
  EXPECT_EQ(MethodIndex().NameOf(a, 1), "\\=Cambridge Surprise Major");
  EXPECT_EQ(MethodIndex().NameOf(b, 0), "Spliced Surprise Major (8m)");
  EXPECT_EQ(MethodIndex().Method(40)->name, "#40");
  EXPECT_EQ(MethodIndex().Method(40)->methodCount, 1);
}

TEST_F(MethodTest, CsvLineAndHeader) {
  std::string line;
  MakeMethod({.name = "Cambridge", .methodClass = 4, .stage = 8, .key = 12, .firstRung = 147000})
      .WriteCsvLine(line);
  MakeMethod({.methodClass = 2, .stage = 0x86, .count = 3, .spliced = true, .little = true, .key = 13})
      .WriteCsvLine(line);
  EXPECT_EQ(line, "12,\"Cambridge\",4,8,1,,147000\n13,\"\",18,134,3,\"S\",0\n");
  EXPECT_EQ(MethodIndex().CsvHeader(),
            "\"Method No\",\"Method Name\",\"Class\",\"Stage\",\"No of Methods\",\"Is Spliced\","
            "\"Ref\"");
}

TEST_F(MethodTest, SelectionTests) {
  const CMethod minor = MakeMethod({.name = "Plain", .methodClass = 2, .stage = 6});
  const CMethod mixed56 = MakeMethod({.name = "Plain", .methodClass = 2, .stage = 0x86});
  const CMethod mixed67 = MakeMethod({.name = "Plain", .methodClass = 2, .stage = 0x87});
  EXPECT_TRUE(minor.StageInRange(6, 6));
  EXPECT_FALSE(minor.StageInRange(7, 8));
  EXPECT_TRUE(mixed56.StageInRange(5, 6));
  EXPECT_FALSE(mixed56.StageInRange(6, 6));  // Doubles lies outside
  EXPECT_FALSE(mixed67.StageInRange(5, 6));

  const CMethod splicedLittle =
      MakeMethod({.methodClass = 4, .stage = 8, .count = 4, .spliced = true, .little = true});
  using K = CMethodCriterion;
  struct Case {
    CMethodCriterion criterion;
    bool plainMinor;
    bool spliced;
  } cases[] = {
      {{.criterion = K::kClass, .classIndex = 2}, true, false},
      {{.criterion = K::kClass, .classIndex = 4}, false, true},
      {{.criterion = K::kClass, .classIndex = 4, .spliced = true, .little = true}, false, true},
      {{.criterion = K::kClass, .classIndex = 2, .spliced = true}, false, false},
      {{.criterion = K::kStage, .low = 6, .high = 8}, true, true},
      {{.criterion = K::kMethodCount, .low = 2, .high = 10}, false, true},
      {{.criterion = K::kMethodCount, .low = 1, .high = 1}, true, false},
      {{.criterion = 3, .low = 0, .high = 100}, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.criterion.criterion);
    EXPECT_EQ(minor.MatchesCriterion(c.criterion), c.plainMinor);
    EXPECT_EQ(splicedLittle.MatchesCriterion(c.criterion), c.spliced);
  }
}

TEST_F(MethodTest, AnalysisCategories) {
  struct Case {
    MethodParts parts;
    const char* plain;
    const char* detailed;
  } cases[] = {
      {{.name = "Cambridge", .methodClass = 4, .stage = 8}, "Single S.", "Single S."},
      {{.name = "Kent", .methodClass = 3, .stage = 10}, "Single T.B.", "Single T.B."},
      {{.name = "Bristol", .methodClass = 5, .stage = 8}, "Single D.", "Single D."},
      {{.name = "Grandsire", .stage = 7}, "Single Method", "Single Method"},
      {{.methodClass = 4, .stage = 8, .count = 7, .spliced = true}, "Spliced S.", "Spliced S.(2-7m)"},
      {{.methodClass = 4, .stage = 8, .count = 8, .spliced = true}, "Spliced S.", "Spliced S.(8m)"},
      {{.methodClass = 4, .stage = 8, .count = 22, .spliced = true}, "Spliced S.", "Spliced S.(9-22m)"},
      {{.methodClass = 4, .stage = 8, .count = 23, .spliced = true}, "Spliced S.", "Spliced S.(23m)"},
      {{.methodClass = 4, .stage = 8, .count = 41, .spliced = true}, "Spliced S.", "Spliced S.(24+m)"},
      {{.methodClass = 4, .stage = 10, .count = 8, .spliced = true}, "Spliced S.", "Spliced S."},
      {{.methodClass = 3, .stage = 8, .count = 3, .spliced = true}, "Spliced T.B.", "Spliced T.B."},
      {{.methodClass = 2, .stage = 6, .count = 3, .spliced = true}, "Spliced", "Spliced"},
      {{.methodClass = 4, .stage = 6, .count = 6}, "Multi S.", "Surprise (2-6m)"},
      {{.methodClass = 4, .stage = 6, .count = 7}, "Multi S.", "Surprise (7m)"},
      {{.name = "(9m)", .methodClass = 4, .stage = 6, .count = 1}, "Multi S.", "Surprise (2-6m)"},
      {{.methodClass = 4, .stage = 6, .count = 9}, "Multi S.", "Surprise (8+m)"},
      {{.methodClass = 2, .stage = 6, .count = 7}, "Multi Method", "(7m)"},
      {{.methodClass = 0, .stage = 6, .count = 12}, "Multi Method", "(8+m)"},
      {{.methodClass = 0, .stage = 0x86, .count = 3}, "Multi Method", "Multi Method"},
      {{.methodClass = 4, .stage = 5, .count = 3}, "Multi S.", "Multi S."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.detailed);
    const CMethod m = MakeMethod(c.parts);
    EXPECT_EQ(PacCategoryName(m.PacCategory(false)), c.plain);
    EXPECT_EQ(PacCategoryName(m.PacCategory(true)), c.detailed);
  }
  EXPECT_EQ(PacCategoryName(20), "");
  EXPECT_EQ(PacCategoryName(-1), "");
}

TEST_F(MethodTest, CompareMethodKeysUsesTheMethodsOrder) {
  const int32_t cambridge = Add({.name = "Cambridge", .methodClass = 4, .stage = 8});
  const int32_t bristol = Add({.name = "Bristol", .methodClass = 4, .stage = 8});
  EXPECT_GT(CompareMethodKeys(cambridge, bristol), 0);
  EXPECT_LT(CompareMethodKeys(bristol, cambridge), 0);
  EXPECT_EQ(CompareMethodKeys(0, bristol), -bristol);
  EXPECT_EQ(CompareMethodKeys(bristol, bristol), 0);
  // A key without a method sorts after every method, from either side.
  EXPECT_GT(CompareMethodKeys(77, bristol), 0);
  EXPECT_LT(CompareMethodKeys(bristol, 77), 0);
  EXPECT_EQ(CompareMethodKeys(77, 78), -1);
}

TEST_F(MethodTest, DigitsFindByMethodCount) {
  const int32_t four = Add({.methodClass = 4, .stage = 8, .count = 4, .spliced = true});
  const int32_t eightMajor = Add({.methodClass = 4, .stage = 8, .count = 8, .spliced = true});
  const int32_t eightMinor = Add({.methodClass = 4, .stage = 6, .count = 8, .spliced = true});
  const int32_t twelve = Add({.methodClass = 4, .stage = 8, .count = 12, .spliced = true});
  const int32_t bristol = Add({.name = "Bristol", .methodClass = 4, .stage = 8});
  CMethodIndex& index = MethodIndex();
  EXPECT_EQ(index.FindEntry("8", 0), eightMinor);  // the first eight-method entry in order
  EXPECT_EQ(index.FindEntry("(8)", 0), eightMinor);
  EXPECT_EQ(index.FindEntry("4", 0), four);
  EXPECT_EQ(index.FindEntry("10", 0), twelve);  // where it would stand
  EXPECT_EQ(index.FindEntry("99", 0), bristol);
  EXPECT_EQ(index.FindEntry("Bri", 0), bristol);
  EXPECT_EQ(index.FindEntry("3", 1), 3);  // key mode takes the digits as the key
  EXPECT_EQ(index.FindByCount(8), eightMinor);
  EXPECT_NE(eightMajor, eightMinor);
}

TEST_F(MethodTest, DialogShowsTheFieldsAndAppliesThemOnOk) {
  CMethod method = MakeMethod({.name = "Cambridge", .methodClass = 4, .stage = 8, .firstRung = 0});
  platform.QueueDialog([](DialogModel& d) {
    EXPECT_EQ(d.Title(), "Method Details");
    EXPECT_EQ(d.Control("class").items.front(), "(None)");
    EXPECT_EQ(d.Control("class").items.size(), 12u);
    EXPECT_EQ(d.Selected("class"), 4);
    const auto& stages = d.Control("stage").items;
    EXPECT_EQ(stages.size(), 22u);
    EXPECT_EQ(stages.front(), "Minimus");
    EXPECT_EQ(stages[22 - 4], "Twenty Two");
    EXPECT_EQ(stages[24 - 4], "Twenty Four");
    EXPECT_EQ(d.Selected("stage"), 8 - 4);
    EXPECT_EQ(d.Text("firstRung"), "");
    EXPECT_EQ(d.Control("name").maxLength, 50u);
    d.SetText("name", "Yorkshire");
    d.Select("stage", 10 - 4);
    d.SetChecked("mixed", true);
    d.SetText("count", "0");
    return testing::DialogAction::Ok;
  });
  // Regression: counts of 501 to 1023 were accepted and read back as none, and an impossible
  // first-rung date was silently cleared.
  platform.QueueDialog([](DialogModel& d) {
    d.SetText("count", "501");
    return testing::DialogAction::Ok;
  });
  platform.QueueDialog([](DialogModel& d) {
    d.SetText("count", "3");
    d.SetText("firstRung", "31/2/1938");
    return testing::DialogAction::Ok;
  });
  platform.QueueDialog([](DialogModel& d) {
    d.SetText("firstRung", "15/3/2003");
    return testing::DialogAction::Ok;
  });
  EXPECT_EQ(method.Edit(), 1);
  EXPECT_EQ(platform.messages, (std::vector<std::string>{
                                   "Please enter an integer between 1 and 500.",
                                   "Please enter an integer between 1 and 500.",
                                   "Please enter a valid date."}));
  EXPECT_EQ(method.name, "Yorkshire");
  EXPECT_EQ(method.methodClass, 4);
  EXPECT_EQ(method.stage, 0x80 | 10);
  EXPECT_EQ(method.methodCount, 3);
  EXPECT_EQ(method.firstRung, MakeDate(15, 3, 2003));
}

TEST_F(MethodTest, DialogCancelAndStagesOutsideTheList) {
  CMethod method = MakeMethod({.name = "Odd", .methodClass = 14, .stage = 0x80 | 40,
                               .firstRung = MakeDate(1, 1, 1900)});
  const CMethod before = method;
  platform.QueueDialog([](DialogModel& d) {
    EXPECT_EQ(d.Text("firstRung"), "1/1/1900");
    d.SetText("name", "Changed");
    return testing::DialogAction::Cancel;
  });
  EXPECT_EQ(method.Edit(), 0);
  EXPECT_EQ(method.name, "Odd");

  // Nothing is selected for a class or stage the lists lack; OK keeps them, and clearing
  // the date gives no date.
  platform.QueueDialog([](DialogModel& d) {
    EXPECT_EQ(d.Selected("class"), -1);
    EXPECT_EQ(d.Selected("stage"), -1);
    EXPECT_TRUE(d.Checked("mixed"));
    d.SetChecked("mixed", false);
    d.SetText("firstRung", "");
    return testing::DialogAction::Ok;
  });
  EXPECT_EQ(method.Edit(), 1);
  EXPECT_EQ(method.methodClass, 14);
  EXPECT_EQ(method.stage, 40);
  EXPECT_EQ(method.firstRung, 0);
  EXPECT_EQ(before.stage, 0x80 | 40);
}

TEST_F(MethodTest, EditEntryResortsTheMethod) {
  const int32_t a = Add({.name = "Bristol", .methodClass = 4, .stage = 8});
  const int32_t b = Add({.name = "Cambridge", .methodClass = 4, .stage = 8});
  platform.QueueDialog([](DialogModel& d) {
    d.SetText("name", "Yorkshire");
    return testing::DialogAction::Ok;
  });
  EXPECT_EQ(MethodIndex().EditEntry(a, true), a);
  EXPECT_EQ(MethodIndex().First(), b);
  EXPECT_EQ(MethodIndex().StepForward(b, 1), a);
}

}  // namespace
}  // namespace tv
