// A small reference database on memory files, made for each output test, and a rich peal that
// names every kind of entry in it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/memory_file_system.h"
#include "core/services.h"
#include "core/text.h"
#include "peals/peal_record.h"
#include "refdb/assoc.h"
#include "refdb/composition.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/saint.h"
#include "refdb/steeplex.h"
#include "refdb/tower.h"
#include "tests/support/reference_entries.h"
#include "tests/support/scripted_platform.h"

namespace tv::testing {

// Keys of the entries the fixture makes.
enum : uint32_t {
  kYorkshire = 3,        // association "Yorkshire Association" (YACR)
  kWestYorks = 2,        // county "West Yorkshire" (W Yorks)
  kStPeter = 4,          // dedication Cathedral of S Peter
  kLeeds = 7,            // tower Leeds, W Yorks, Cathedral of S Peter; Steeplex key 1234
  kHandVenue = 8,        // tower Ilkley, no county, no dedication; Steeplex key 0
  kYorkshireMajor = 9,   // method Yorkshire Surprise Major
  kSplicedMajor = 10,    // method Spliced Surprise Major (8m)
  kNova = 6,             // composition "Nova" of Yorkshire Surprise Major
  kSplicedComp = 11,     // composition "Eightfold" of the spliced method
  kAnnBell = 21,
  kJohnSmith = 22,
  kMaryJones = 23,       // the rich peal's conductor
  kPeterBrown = 24,
  kEveFox = 25,
  kTomHart = 26,
  kSueLong = 27,
  kBobKing = 28,
  kRevGrey = 29,         // a person whose own prefix is "Revd"
};

class OutputTest : public ::testing::Test {
 protected:
  OutputTest() {
    CloseIndexSet();
    SteeplexXref().Clear();
    OpenIndexSet("/db/");
    MakeReferences();
  }
  ~OutputTest() override {
    CloseIndexSet();
    SteeplexXref().Clear();
  }

 public:
  // The entries are made in the open index set, whatever files it is on.
  static void AddPerson(uint32_t key, const std::string& first, const std::string& surname,
                        const std::string& prefix = {}) {
    auto person = std::make_unique<CPerson>();
    person->firstNames = first;
    person->surname = surname;
    person->initials = CapitalLetters(first);
    person->prefix = prefix;
    PersonIndex().AddWithKey(std::move(person), static_cast<int32_t>(key));
  }

  static void AddMethod(uint32_t key, const std::string& name, int methodClass, uint8_t stage,
                        uint16_t count = 1, bool spliced = false) {
    testing::AddMethodWithKey(key, name, methodClass, stage, count, spliced);
  }

  static void AddTower(uint32_t key, const std::string& place, uint8_t county, int32_t dedication,
                       int32_t steeplexKey) {
    auto tower = std::make_unique<CTower>();
    tower->place = place;
    tower->county = county;
    tower->dedication = dedication;
    tower->steeplexKey = steeplexKey;
    tower->tenorWeight = 2751;
    TowerIndex().AddWithKey(std::move(tower), static_cast<int32_t>(key));
  }

  static void AddComposition(uint32_t key, uint32_t method, const std::string& name,
                             const std::string& details) {
    auto composition = std::make_unique<CComposition>();
    composition->method = static_cast<int32_t>(method);
    composition->name = name;
    composition->methodDetails = details;
    CompIndex().AddWithKey(std::move(composition), static_cast<int32_t>(key));
  }

  static void MakeReferences() {
    auto assoc = std::make_unique<CAssoc>();
    assoc->name = "Yorkshire Association";
    assoc->abbreviation = "YACR";
    AssocIndex().AddWithKey(std::move(assoc), kYorkshire);
    auto county = std::make_unique<CCounty>();
    county->name = "West Yorkshire";
    county->abbreviation = "W Yorks";
    CountyIndex().AddWithKey(std::move(county), kWestYorks);
    auto saint = std::make_unique<CSaint>();
    saint->typeCode = 3 * 4 + 2;  // Cathedral, St
    saint->name = "Peter";
    SaintIndex().AddWithKey(std::move(saint), kStPeter);
    AddTower(kLeeds, "Leeds", kWestYorks, kStPeter, 1234);
    AddTower(kHandVenue, "Ilkley", 0, 0, 0);
    AddMethod(kYorkshireMajor, "Yorkshire", kClassSurprise, 8);
    AddMethod(kSplicedMajor, "", kClassSurprise, 8, 8, true);
    AddComposition(kNova, kYorkshireMajor, "Nova", "");
    AddComposition(kSplicedComp, kSplicedMajor, "Eightfold", "Bristol, Cambridge");
    AddPerson(kAnnBell, "Ann", "Bell");
    AddPerson(kJohnSmith, "John", "Smith");
    AddPerson(kMaryJones, "Mary", "Jones");
    AddPerson(kPeterBrown, "Peter", "Brown");
    AddPerson(kEveFox, "Eve", "Fox");
    AddPerson(kTomHart, "Tom", "Hart");
    AddPerson(kSueLong, "Sue", "Long");
    AddPerson(kBobKing, "Bob", "King");
    AddPerson(kRevGrey, "Alan", "Grey", "Revd");
  }

  // A tower peal at Leeds on Saturday 15 March 2003 (the second of the day): Yorkshire Surprise
  // Major, composed by Ann Bell (composition Nova), eight ringers, conducted by Mary Jones
  // from the 2; the 4 has the prefix Revd and the 6 the suffix jnr; two footnotes, a source,
  // an "x" entry naming a page.
  static CPeal RichPeal() {
    CPeal peal;
    peal.pealNumber = 12;
    peal.date = MakeDate(15, 3, 2003);
    peal.sequence = 2;
    peal.rwPage = 1234;
    peal.association = kYorkshire;
    peal.tower = kLeeds;
    peal.tenor = 2751;
    peal.time = 185;
    peal.changes = 5088;
    peal.method = kYorkshireMajor;
    peal.composition = kNova;
    peal.composer = kAnnBell;
    peal.conductor = kMaryJones;
    peal.ringers = {kJohnSmith, kMaryJones, kPeterBrown, kEveFox,
                    kTomHart,   kSueLong,   kBobKing,    kAnnBell};
    peal.SetPositioned(kPrefix, 3, "Revd");
    peal.SetPositioned(kSuffix, 5, "jnr");
    peal.extras[kFootnote] = {"First peal on the bells.", "For Easter."};
    peal.extras[kSource] = {"RW 2003"};
    peal.extras[kExtra] = {"leeds.htm"};
    return peal;
  }

 protected:
  MemoryFileSystem files{"/out/"};
  FixedClock clock{{1, 6, 2024}};
  ScriptedPlatform platform;
  ScopedServices services{&files, &clock, &platform};
};

}  // namespace tv::testing
