// Method parsing for imports: the three parsers' readings of method texts, the shared
// find-or-add rule (matching, links, additions) and the notes written to the import log.
#include "refdb/method_parsing.h"

#include <gtest/gtest.h>

#include "core/memory_file_system.h"
#include "core/services.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "tests/support/scripted_platform.h"

namespace tv {
namespace {

struct Parts {
  std::string name;
  int32_t methodClass = 0;
  uint8_t stage = 0;
  uint16_t count = 1;
  bool spliced = false;
  bool little = false;
};

class MethodParsingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OpenIndexSet("/db/");
    m_log = files.Open("/db/debug.txt", OpenMode::Create);
  }
  void TearDown() override { CloseIndexSet(); }

  int32_t Add(const Parts& p, int32_t link = 0, Date firstRung = 0) {
    auto m = std::make_unique<CMethod>();
    m->name = p.name;
    m->methodClass = p.methodClass;
    m->stage = p.stage;
    m->methodCount = p.count;
    m->spliced = p.spliced;
    m->little = p.little;
    m->link = link;
    m->firstRung = firstRung;
    return MethodIndex().InsertNew(std::move(m));
  }
  const CMethod& Method(int32_t key) {
    const CMethod* m = MethodIndex().Method(key);
    EXPECT_NE(m, nullptr);
    static const CMethod none;
    return m ? *m : none;
  }
  void ExpectParts(int32_t key, const Parts& p) {
    const CMethod& m = Method(key);
    EXPECT_EQ(m.name, p.name);
    EXPECT_EQ(m.methodClass, p.methodClass);
    EXPECT_EQ(m.stage, p.stage);
    EXPECT_EQ(m.methodCount, p.count);
    EXPECT_EQ(m.spliced, p.spliced);
    EXPECT_EQ(m.little, p.little);
  }
  int Entries() {
    int n = 0;
    for (int32_t k = MethodIndex().First(); k != 0; k = MethodIndex().StepForward(k, 1)) ++n;
    return n;
  }
  File* Log() { return m_log.get(); }
  std::string LogText() { return files.Contents("/db/debug.txt"); }

  MemoryFileSystem files{"/db/"};
  testing::ScriptedPlatform platform;
  ScopedServices services{&files, nullptr, &platform};

 private:
  std::unique_ptr<File> m_log;
};

TEST_F(MethodParsingTest, TitleWithoutClassFindsTheSurpriseEntryButPartsDoNot) {
  const int32_t cambridge = Add({"Cambridge", 4, 8});
  Add({"Cambridge", 4, 6});
  Add({"Bristol", 4, 8});
  EXPECT_EQ(FindOrAddByTitle("Cambridge Major", nullptr), cambridge);
  EXPECT_EQ(Entries(), 3);
  const int32_t added = FindOrAddByParts(1, "Cambridge", "", "Major");
  EXPECT_NE(added, cambridge);
  ExpectParts(added, {"Cambridge", 0, 8});
  EXPECT_EQ(FindOrAddByParts(1, "Cambridge", "Surprise", "Major"), cambridge);
}

TEST_F(MethodParsingTest, PartsReadTheClassText) {
  struct Case {
    const char* name;
    const char* classText;
    const char* stageText;
    Parts expected;
  } cases[] = {
      {"Kent Treble Bob", "", "Major", {"Kent Treble", 2, 8}},
      {"Kent", "Treble Bob", "Major", {"Kent", 3, 8}},
      {"Cambridge", "Spliced Surprise", "Major", {"Cambridge", 4, 8, 1, true}},
      {"Plain", "Single-hunt Little Bob", "Minor", {"Plain", 2, 6, 1, false, true}},
      {"Plain", "twin-hunt bob", "Minor", {"Plain", 2, 6}},
      {"Little Bob", "", "Minor", {"Little", 2, 6}},
      {"", "Little Bob", "Minor", {"Little", 2, 6}},
      // Regression: these three class words read as "no class", so a method written with its
      // class came back as a second method without it.
      {"Double Norwich Court", "Slow Course", "Major", {"Double Norwich Court", 9, 8}},
      {"Reverse Canterbury", "Place", "Doubles", {"Reverse Canterbury", 1, 5}},
      {"Oxford", "Treble Dodging", "Minor", {"Oxford", 11, 6}},
      {"Stedman", "", "Doubles & Minor", {"Stedman", 0, 0x86}},
      // Regression: the SGML output writes the two stages joined by "and", read as no stage.
      {"Grandsire", "", "Doubles and Minor", {"Grandsire", 0, 0x86}},
      {"Erin", "Unknown Words", "Sixes", {"Erin", 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + "|" + c.classText);
    const int32_t key = FindOrAddByParts(1, c.name, c.classText, c.stageText);
    ExpectParts(key, c.expected);
    EXPECT_EQ(FindOrAddByParts(1, c.name, c.classText, c.stageText), key);
  }
}

// Every class the SGML output writes reads back to the entry it was written from.
TEST_F(MethodParsingTest, EveryClassWrittenReadsBackToItsEntry) {
  for (int32_t c = 0; c < kClassCount; ++c) {
    SCOPED_TRACE(c);
    const int32_t key = Add({"Westminster", c, 8});
    EXPECT_EQ(FindOrAddByParts(1, "Westminster", ClassWord(c), "Major"), key);
  }
  EXPECT_EQ(Entries(), kClassCount);
}

TEST_F(MethodParsingTest, OfEntriesDifferingOnlyInCaseTheExactOneIsTaken) {
  const int32_t lower = Add({"double cambridge", 4, 10});
  const int32_t upper = Add({"Double Cambridge", 4, 10});
  EXPECT_EQ(FindOrAddByParts(1, "Double Cambridge", "Surprise", "Royal"), upper);
  EXPECT_EQ(FindOrAddByParts(1, "double cambridge", "Surprise", "Royal"), lower);
  EXPECT_EQ(FindOrAddByTitle("Double Cambridge Surprise Royal", nullptr), upper);
  EXPECT_EQ(FindOrAddByTitle("double cambridge Surprise Royal", nullptr), lower);
  // No exact one: the first in order, as before.
  const int32_t any = FindOrAddByParts(1, "DOUBLE CAMBRIDGE", "Surprise", "Royal");
  EXPECT_TRUE(any == lower || any == upper);
  EXPECT_EQ(Entries(), 2);
}

TEST_F(MethodParsingTest, TitlesAreTakenApart) {
  struct Case {
    const char* title;
    Parts expected;
  } cases[] = {
      {"Cambridge Surprise Major", {"Cambridge", 4, 8}},
      {"  Spliced Surprise Major (8 methods)  ", {"", 4, 8, 8, true}},
      {"Plain Bob Doubles and Minor", {"Plain", 2, 0x86}},
      {"Plain Bob Doubles & Minor", {"Plain", 2, 0x86}},
      {"Kent Treble Bob Doubles and Minor", {"Kent", 3, 0x86}},
      {"Kent Treble Bob Royal", {"Kent", 3, 10}},
      {"Double Norwich Court Slow Course Major", {"Double Norwich Court", 9, 8}},
      {"Grandsire Triples", {"Grandsire", 0, 7}},
      {"St. Clements College Minor", {"St Clement's College", 2, 6}},
      {"Little Bob Minor", {"Little", 2, 6}},
      {"Plain Little Bob Minor", {"Plain", 2, 6, 1, false, true}},
      {"Surprise Major (Mixed)", {"(Mixed)", 4, 8}},
      {"Bob and Grandsire Triples", {"Bob and Grandsire", 0, 7}},
      {"Doubles and Minor", {"", 0, 0x86}},
      {"Erin Caters and", {"Erin Caters and", 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    const int32_t key = FindOrAddByTitle(c.title, nullptr);
    ExpectParts(key, c.expected);
    EXPECT_EQ(FindOrAddByTitle(c.title, nullptr), key);
  }
}

// Regression: before a stage joined by "and" no class word was looked for, so the title the
// performances XML writes for a two-stage method of a class (‘Plain Bob Doubles and Minor’)
// read back as a new method with the class left in its name.
TEST_F(MethodParsingTest, TwoStageTitlesOfEveryClassReadBackToTheirEntry) {
  for (int32_t c = 0; c < kClassCount; ++c) {
    SCOPED_TRACE(c);
    const int32_t key = Add({"Westminster", c, 0x86});
    EXPECT_EQ(FindOrAddByTitle(Method(key).Title(true, false), nullptr), key)
        << Method(key).Title(true, false);
  }
  EXPECT_EQ(Entries(), kClassCount);
}

TEST_F(MethodParsingTest, TwoStageTitleStillFindsAnEntryMadeWithTheClassInItsName) {
  const int32_t earlier = Add({"Plain Bob", 0, 0x86});
  EXPECT_EQ(FindOrAddByTitle("Plain Bob Doubles and Minor", nullptr), earlier);
  // Once the entry with the class exists it is the one taken.
  const int32_t bob = Add({"Plain", 2, 0x86});
  EXPECT_EQ(FindOrAddByTitle("Plain Bob Doubles & Minor", nullptr), bob);
  EXPECT_EQ(Entries(), 2);
}

TEST_F(MethodParsingTest, AbbreviatedClassesDottedAndUndotted) {
  struct Case {
    const char* name;
    const char* stageText;
    const char* extra;
    Parts expected;
  } cases[] = {
      {"St. Mary S.", "Major", "", {"St. Mary", 4, 8}},
      {"Kent T.B.", "Royal", "", {"Kent", 3, 10}},
      {"Oxford T. B.", "Major", "", {"Oxford", 3, 8}},
      {"Norwich T.D.", "Major", "", {"Norwich", 11, 8}},
      {"Grandsire T.P.", "Caters", "", {"Grandsire", 6, 9}},
      {"Plain Little B.", "Minor", "", {"Plain", 2, 6, 1, false, true}},
      {"Spliced S.", "Major", "(8m) Cambridge, Yorkshire...", {"", 4, 8, 8, true}},
      {"Spliced S.", "Major", "(8 m)", {"", 4, 8, 8, true}},
      {"Spliced S.", "Minor", "(41m); all the work", {"", 4, 6, 41, true}},
      {"Kent TB", "Major", "", {"Kent", 3, 8}},
      {"Kent T B", "Major", "", {"Kent", 3, 8}},
      {"Cambridge S", "Minor", "", {"Cambridge", 4, 6}},
      {"Double Norwich Court Bob", "Major", "", {"Double Norwich Court", 2, 8}},
      {"Erin", "Sixes", "", {"Erin Sixes", 0, 0}},
      {"Bristol Surprise", "Maximus", "", {"Bristol", 4, 12}},
      {"D.N.C. B.", "Major", "", {"D.N.C.", 2, 8}},
      {"", "Major", "Cambridge: Yorkshire", {"cambridge)", 0, 8}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + "|" + c.extra);
    const int32_t key = FindOrAddAbbreviated(c.name, c.stageText, c.extra, nullptr);
    ExpectParts(key, c.expected);
    EXPECT_EQ(FindOrAddAbbreviated(c.name, c.stageText, c.extra, nullptr), key);
  }
}

TEST_F(MethodParsingTest, EveryParserFindsTheSameSplicedEntry) {
  const int32_t spliced = Add({"", 4, 8, 8, true});
  Add({"", 4, 8, 4, true});
  Add({"", 4, 6, 8, true});
  EXPECT_EQ(FindOrAddByTitle("Spliced Surprise Major (8 methods)", nullptr), spliced);
  EXPECT_EQ(FindOrAddAbbreviated("Spliced S.", "Major", "(8m) Cambridge...", nullptr), spliced);
  EXPECT_EQ(FindOrAddByParts(8, "", "Spliced Surprise", "Major"), spliced);
  EXPECT_EQ(Entries(), 3);
}

TEST_F(MethodParsingTest, ALinkedEntryGivesItsLink) {
  const int32_t replacement = Add({"Yorkshire", 4, 8});
  const int32_t old = Add({"Yorks", 4, 8}, replacement);
  EXPECT_NE(old, replacement);
  EXPECT_EQ(FindOrAddByParts(1, "Yorks", "Surprise", "Major"), replacement);
  EXPECT_EQ(FindOrAddByTitle("Yorks Surprise Major", Log()), replacement);
  EXPECT_EQ(FindOrAddAbbreviated("Yorks S.", "Major", "", Log()), replacement);
  EXPECT_EQ(LogText(), "");
}

TEST_F(MethodParsingTest, LogNotesForAddedAndUndatedEntries) {
  const int32_t undated = Add({"Cambridge", 4, 8});
  Add({"Bristol", 4, 8}, 0, 140000);
  Add({"Plain", 2, 6});
  FindOrAddByTitle("Cambridge Surprise Major", Log());    // found, no first rung: noted
  FindOrAddByTitle("Bristol Surprise Major", Log());      // found, dated: no note
  FindOrAddAbbreviated("Plain B.", "Minor", "", Log());    // six bells: no note
  FindOrAddAbbreviated("London S.", "Royal", "", Log());  // added
  FindOrAddByParts(1, "Lincoln", "Surprise", "Major");     // never writes a note
  FindOrAddByTitle("Erin Sixes", Log());                   // added, stage 0: key shown as 0
  EXPECT_EQ(LogText(),
            " -->Cambridge Surprise Major  ->London Surprise Royal  ->Erin Sixes 0 (#0) ");
  EXPECT_EQ(FindOrAddByTitle("Cambridge Surprise Major", nullptr), undated);
}

TEST_F(MethodParsingTest, OnlyTitlesStepOverOtherNamesInTheCountRun) {
  // A search for several methods starts among the unnamed entries with that count; a named
  // entry with the same count follows them.
  Add({"", 4, 8, 3, true});
  const int32_t named = Add({"Aardvark", 4, 8, 3});
  Add({"Bristol", 4, 8});
  EXPECT_EQ(FindOrAddByTitle("Aardvark Surprise Major (3 methods)", nullptr), named);
  const int before = Entries();
  EXPECT_NE(FindOrAddByParts(3, "Aardvark", "Surprise", "Major"), named);
  EXPECT_EQ(Entries(), before + 1);
}

TEST_F(MethodParsingTest, OddTextsAreNeverRefused) {
  const char* titles[] = {"", ")", "(", "()", "Spliced", "Spliced Surprise Major", "and Minor",
                          "& Major", "(8 methods)", "Little", "Major", "Minor and", "  "};
  for (const char* t : titles) {
    SCOPED_TRACE(t);
    EXPECT_GT(FindOrAddByTitle(t, Log()), 0);
  }
  const char* names[] = {"", ".", "..", ". S.", "S.", "Spliced", " Little", "%.", "T"};
  const char* extras[] = {"", " ", "(", "(m)", "x ", "\xe9 (8m)"};
  for (const char* n : names) {
    for (const char* e : extras) {
      SCOPED_TRACE(std::string(n) + "|" + e);
      EXPECT_GT(FindOrAddAbbreviated(n, "", e, Log()), 0);
    }
  }
  EXPECT_GT(FindOrAddByParts(0, "", "", ""), 0);
  EXPECT_GT(FindOrAddByParts(1, "Spliced", "Spliced", "&"), 0);
}

}  // namespace
}  // namespace tv
