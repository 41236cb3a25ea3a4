// Persons: records, name forms, the order of the person index and its initials-first search,
// the details dialog, and the resolution of imported names.
#include "refdb/person.h"

#include "core/text.h"
#include "tests/refdb/reference_fixture.h"

namespace tv {
namespace {

struct PersonNames {
  const char* prefix;
  const char* first;
  const char* surname;
  const char* suffix;
};

class PersonTest : public ReferenceTest {
 protected:
  int32_t Add(PersonNames names, const char* initials = nullptr) {
    auto person = std::make_unique<CPerson>();
    person->prefix = names.prefix;
    person->firstNames = names.first;
    person->surname = names.surname;
    person->suffix = names.suffix;
    person->initials = initials ? initials : CapitalLetters(names.first);
    return PersonIndex().InsertNew(std::move(person));
  }
  CPerson& Person(int32_t key) { return *dynamic_cast<CPerson*>(PersonIndex().Lookup(key)); }
  std::vector<std::string> NamesInOrder() {
    std::vector<std::string> names;
    for (int32_t k = PersonIndex().First(); k != 0; k = PersonIndex().Entry(k).next) {
      names.push_back(Person(k).FullName());
    }
    return names;
  }
};

TEST_F(PersonTest, RecordsReadBackByteForByte) {
  CPerson full;
  full.key = 300;
  full.prefix = "Revd";
  full.firstNames = "John Robert";
  full.surname = "Smith";
  full.initials = "JR";
  full.suffix = "Jr";
  full.notAlive = 1;
  // Key (16-bit), then initials, surname, first names, prefix, suffix, the not-alive byte.
  EXPECT_EQ(RecordBytes(full), Bytes({0x3f, 44, 1, 0x69, 'J', 'R', 0, 0x73, 'S', 'm', 'i', 't',
                                      'h', 0, 0x66}) +
                                   "John Robert" + Bytes({0, 0x74}) + "Revd" +
                                   Bytes({0, 0x61, 'J', 'r', 0, 0x04, 1, 0}));
  CPerson bare;
  bare.key = 7;
  for (const CPerson* person : {&full, &bare}) {
    const std::string bytes = RecordBytes(*person);
    auto back = ReadRecordBytes<CPerson>(bytes);
    EXPECT_EQ(back->key, person->key);
    EXPECT_EQ(back->FullName(), person->FullName());
    EXPECT_EQ(RecordBytes(*back), bytes);
  }
}

TEST_F(PersonTest, ReadingSkipsUnknownFieldsAndHonoursOldUsedFlag) {
  // An unknown text "z", an empty surname, an unknown word array, the old "u" flag.
  auto person = ReadRecordBytes<CPerson>(Bytes({0x1f, 5, 0x7a, 'x', 'y', 0, 0x73, 0, 0xb1, 2,
                                                1, 0, 2, 0, 0x66, 'A', 'n', 'n', 0, 0x15, 1, 0}));
  EXPECT_EQ(person->key, 5);
  EXPECT_EQ(person->surname, "?");  // an empty stored surname keeps the default
  EXPECT_EQ(person->firstNames, "Ann");
  EXPECT_EQ(person->used, 1);
  EXPECT_EQ(person->GetName(1), "\\^Ann ?");
}

TEST_F(PersonTest, NameForms) {
  struct Case {
    PersonNames names;
    bool notAlive;
    const char* full;
    const char* listed;
    const char* tag;
  } cases[] = {
      {{"", "", "Smith", ""}, false, "Smith", "Smith", "<r> Smith"},
      {{"", "", "Smith", "Jr"}, false, "Smith (Jr)", "Smith (Jr)", "<r> Smith<ra>Jr"},
      {{"Revd", "John", "Smith", "Jr"}, true, "Revd John Smith (Jr)", "+Revd John Smith (Jr)",
       "<r>John Smith<rt>Revd<ra>Jr"},
  };
  for (const Case& c : cases) {
    CPerson person;
    person.prefix = c.names.prefix;
    person.firstNames = c.names.first;
    person.surname = c.names.surname;
    person.suffix = c.names.suffix;
    person.notAlive = c.notAlive;
    EXPECT_EQ(person.FullName(), c.full);
    EXPECT_EQ(person.GetName(0), c.listed);
    EXPECT_EQ(person.TagText(), c.tag);
  }
  const int32_t key = Add({"", "John Robert", "Smith", ""});
  EXPECT_EQ(KeyTextOf(key), "JRS");
  EXPECT_EQ(FullNameOf(key), "John Robert Smith");
  EXPECT_EQ(FullNameOf(99), "");
  std::string csv;
  Person(key).WriteCsvLine(csv);
  EXPECT_EQ(csv, std::to_string(key) + ",\"\",\"John Robert\",\"Smith\",\"\"\n");
}

TEST_F(PersonTest, IndexOrdersBySurnameInitialThenInitials) {
  Add({"", "Zoe", "Adams", ""});
  Add({"", "John Robert", "Stevens", ""});
  Add({"", "John Robert", "Smith", ""});
  Add({"", "Anne", "smythe", ""});
  Add({"Revd", "John Robert", "Smith", ""});
  EXPECT_EQ(NamesInOrder(),
            (std::vector<std::string>{"Zoe Adams", "Anne smythe", "John Robert Smith",
                                      "Revd John Robert Smith", "John Robert Stevens"}));
}

TEST_F(PersonTest, InitialsFindTheFirstAndFindNextStepsThroughSurnames) {
  const int32_t stone = Add({"", "Alan", "Stone", ""});
  const int32_t smith = Add({"", "John Robert", "Smith", ""});
  const int32_t stevens = Add({"", "John Robert", "Stevens", ""});
  const int32_t taylor = Add({"", "Tom", "Taylor", ""});
  CPersonIndex& index = PersonIndex();
  EXPECT_EQ(index.FindEntry("JRS", 0), smith);
  EXPECT_EQ(index.FindEntry("jrs", 0), smith);
  EXPECT_EQ(index.FindEntry("Ste", smith), stevens);
  // From A Stone, "St" passes J R Smith (same initial, no match) to J R Stevens.
  EXPECT_EQ(index.FindEntry("St", stone), stevens);
  EXPECT_TRUE(platform.messages.empty());
  // Past the last matching surname: the search stays where it is.
  EXPECT_EQ(index.FindEntry("Ste", stevens), stevens);
  EXPECT_EQ(platform.messages, std::vector<std::string>{"No Match Found"});
  // A text the current entry does not match is an ordinary search.
  EXPECT_EQ(index.FindEntry("TT", smith), taylor);
}

TEST_F(PersonTest, FindOrAddPersonDropsReverendAndMatchesOnlyPlainEntries) {
  const int32_t revd = Add({"Revd", "John", "Smith", ""});
  EXPECT_EQ(FindOrAddPerson("Revd John Smith", false, nullptr), 0);
  const int32_t plain = Add({"", "John", "Smith", ""});
  EXPECT_EQ(FindOrAddPerson("Revd John Smith", false, nullptr), plain);
  EXPECT_EQ(FindOrAddPerson("Rev John Smith", false, nullptr), plain);
  EXPECT_EQ(FindOrAddPerson("John Smith", true, nullptr), plain);
  EXPECT_NE(plain, revd);

  auto log = files.Open("/db/debug.txt", OpenMode::Create);
  const int32_t mary = FindOrAddPerson("Mary Ann Jones", true, log.get());
  EXPECT_EQ(Person(mary).initials, "MA");
  EXPECT_EQ(Person(mary).prefix, "");
  EXPECT_EQ(files.Contents("/db/debug.txt"), " ->Mary Ann Jones ");
  EXPECT_EQ(FindOrAddPerson("Mary Ann Jones", true, nullptr), mary);

  const int32_t single = FindOrAddPerson("Plato", true, nullptr);
  EXPECT_EQ(Person(single).surname, "Plato");
  EXPECT_EQ(Person(single).firstNames, "");
  EXPECT_EQ(Person(single).initials, "");
  EXPECT_EQ(FindOrAddPerson("Plato", false, nullptr), single);
  // "Revd" alone is a surname, not a title before one.
  const int32_t word = FindOrAddPerson("Revd", true, nullptr);
  EXPECT_EQ(Person(word).surname, "Revd");
  EXPECT_EQ(FindOrAddPerson("Revd", false, nullptr), word);
  EXPECT_EQ(FindOrAddPerson("  ", true, nullptr), 0);
}

// Regression: a full name written with the person's own prefix or suffix (the conductor, the
// composer, the performances XML's ringers) came back as a new person, or as a bare namesake.
TEST_F(PersonTest, FullNameFindsThePersonWhoseOwnPrefixAndSuffixMakeIt) {
  const int32_t dr = Add({"Dr", "David", "Hunt", ""});
  const int32_t bare = Add({"", "David", "Hunt", ""});
  const int32_t jr = Add({"", "John", "Smith", "Jr"});
  const int32_t both = Add({"Canon", "Peter", "Grey", "MBE"});
  const int32_t plain = Add({"", "John", "Smith", ""});
  EXPECT_EQ(FindOrAddPersonByFullName("Dr David Hunt", nullptr), dr);
  EXPECT_EQ(FindOrAddPersonByFullName("David Hunt", nullptr), bare);
  EXPECT_EQ(FindOrAddPersonByFullName("John Smith (Jr)", nullptr), jr);
  EXPECT_EQ(FindOrAddPersonByFullName("John Smith", nullptr), plain);
  EXPECT_EQ(FindOrAddPersonByFullName("Canon Peter Grey (MBE)", nullptr), both);
  EXPECT_EQ(FindOrAddPersonByFullName("Revd John Smith", nullptr), plain);  // as FindOrAddPerson
  EXPECT_EQ(FindPersonWith("David Hunt", "Dr", ""), dr);
  EXPECT_EQ(FindPersonWith("David Hunt", "", "Jr"), 0);

  // Added so that the full name reads as written: a bracketed suffix and a reverend's title
  // are kept, and a common title before first names and a surname; any other first word
  // stays among the first names.
  const int32_t revd = FindOrAddPersonByFullName("Revd Ann Bell (Jnr)", nullptr);
  EXPECT_EQ(Person(revd).prefix, "Revd");
  EXPECT_EQ(Person(revd).suffix, "Jnr");
  EXPECT_EQ(Person(revd).FullName(), "Revd Ann Bell (Jnr)");
  EXPECT_EQ(FindOrAddPersonByFullName("Revd Ann Bell (Jnr)", nullptr), revd);
  const int32_t prof = FindOrAddPersonByFullName("Prof Alan Turing", nullptr);
  EXPECT_EQ(Person(prof).prefix, "Prof");
  EXPECT_EQ(FindOrAddPersonByFullName("Prof Alan Turing", nullptr), prof);
  const int32_t named = FindOrAddPersonByFullName("Bramwell Alan Turing", nullptr);
  EXPECT_EQ(Person(named).firstNames, "Bramwell Alan");
  EXPECT_EQ(Person(named).FullName(), "Bramwell Alan Turing");
  EXPECT_EQ(FindOrAddPersonByFullName("", nullptr), 0);
}

TEST_F(PersonTest, DetailsNameOtherEntriesOfTheSameRinger) {
  const int32_t maiden = Add({"", "Mary", "Smith", ""});
  const int32_t married = Add({"", "Mary", "Jones", ""});
  const int32_t other = Add({"", "M", "Jones", ""});
  Person(maiden).notAlive = 1;
  PersonIndex().equivalences.AddEquivalence(maiden, married);
  PersonIndex().equivalences.AddEquivalence(other, married);
  EXPECT_EQ(Person(maiden).GetDetails(),
            "Surname:\t\tSmith\r\nFirst Name:\tMary\r\nInitials:\t\tM\r\n(not alive)\r\n"
            "\r\nNow known as:\tMary Jones\r\n\r\nAlso known as:\tM Jones\r\n");
  EXPECT_EQ(Person(married).GetDetails(),
            "Surname:\t\tJones\r\nFirst Name:\tMary\r\nInitials:\t\tM\r\n"
            "\r\nAlso known as:\tM Jones\r\n\t\tMary Smith\r\n");
}

TEST_F(PersonTest, PersonalDetailsDialog) {
  const int32_t key = Add({"", "John", "Smith", ""});
  platform.QueueDialog([](DialogModel& d) {
    EXPECT_EQ(d.Title(), "Personal Details");
    EXPECT_EQ(d.Control("surname").maxLength, 25u);
    EXPECT_TRUE(d.Checked("alive"));
    d.SetText("firstNames", "Mary Ann");
    d.OnFocusLost("firstNames");
    EXPECT_EQ(d.Text("initials"), "MA");
    d.SetText("surname", std::string(26, 'x'));
    return testing::DialogAction::Ok;  // refused: too long
  });
  platform.QueueDialog([](DialogModel& d) {
    d.SetText("surname", "Jones");
    d.SetChecked("alive", false);
    return testing::DialogAction::Ok;
  });
  EXPECT_EQ(PersonIndex().EditEntry(key, true), key);
  EXPECT_EQ(Person(key).FullName(), "Mary Ann Jones");
  EXPECT_EQ(Person(key).initials, "MA");
  EXPECT_EQ(Person(key).notAlive, 1);
  EXPECT_EQ(platform.messages,
            std::vector<std::string>{"Please enter no more than 25 characters."});

  platform.QueueDialog([](DialogModel& d) {
    d.SetText("surname", "Brown");
    return testing::DialogAction::Cancel;
  });
  EXPECT_EQ(Person(key).Edit(), 0);
  EXPECT_EQ(Person(key).surname, "Jones");
}

// Regression: initials were made only when the first names' box lost the focus, so first names
// typed and then Enter pressed (or OK clicked before the box let go) left the person with the
// old initials or none, and the chooser could not find them by the initials typed.
TEST_F(PersonTest, FirstNamesChangedAndOkPressedInTheirBoxStillGiveTheInitials) {
  const int32_t key = Add({"", "John", "Smith", ""});
  platform.QueueDialog([](DialogModel& d) {
    d.SetText("firstNames", "Norman James");
    return testing::DialogAction::Ok;
  });
  EXPECT_EQ(PersonIndex().EditEntry(key, true), key);
  EXPECT_EQ(Person(key).initials, "NJ");
  // Initials typed by hand after the first names were left are kept.
  platform.QueueDialog([](DialogModel& d) {
    d.SetText("firstNames", "Mary Ann");
    d.OnFocusLost("firstNames");
    d.SetText("initials", "Polly");
    return testing::DialogAction::Ok;
  });
  EXPECT_EQ(PersonIndex().EditEntry(key, true), key);
  EXPECT_EQ(Person(key).initials, "Polly");
  // A dialog whose first names are left as they were keeps the initials too.
  platform.QueueDialog([](DialogModel& d) {
    d.SetText("surname", "Jones");
    return testing::DialogAction::Ok;
  });
  EXPECT_EQ(PersonIndex().EditEntry(key, true), key);
  EXPECT_EQ(Person(key).initials, "Polly");
}

}  // namespace
}  // namespace tv
