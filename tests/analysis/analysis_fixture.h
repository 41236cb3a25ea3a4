// A small reference database on memory files and a ledger built peal by peal, for analysing
// whole reports in the analysis tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "analysis/anal_doc.h"
#include "core/clock.h"
#include "core/memory_file_system.h"
#include "core/services.h"
#include "core/text.h"
#include "peals/peal_ledger.h"
#include "refdb/assoc.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/steeplex.h"
#include "refdb/tower.h"
#include "tests/support/reference_entries.h"
#include "tests/support/scripted_platform.h"

namespace tv::testing {

// Keys of the entries the fixture makes.
enum : uint32_t {
  kYorkshire = 1,  // "Yorkshire Association" (YACR), affiliated
  kOxford = 2,     // "Oxford Diocesan Guild" (ODG), affiliated
  kCollege = 3,    // "Ancient Society of College Youths" (ASCY), non-affiliated
  kLocal = 4,      // "Local Society" (LS), standing 2 (neither)
  kWestYorks = 1,  // county "West Yorkshire" (W Yorks)
  kOxon = 2,       // county "Oxfordshire" (Oxon)
  kLeeds = 1,      // tower LEEDS, W Yorks, 12 bells
  kHeadington = 2, // tower HEADINGTON, Oxon, 6 bells
  kIlkley = 3,     // tower ILKLEY, W Yorks, 8 bells
  kWitney = 4,     // tower WITNEY, Oxon, 8 bells
  kYorkshireMajor = 1,
  kCambridgeMajor = 2,
  kBristolMajor = 3,
  kPlainBobMinor = 4,
  kStedmanTriples = 5,
  kSpliced23 = 6,    // Spliced Surprise Major, 23 methods
  kPlainBobMajor = 8,
  kNoStage = 9,      // a method without a stage
  kAnn = 1,          // Ann Bell
  kJohn = 2,         // John Smith
  kMary = 3,         // Mary Jones
  kPeter = 4,        // Peter Brown
  kEve = 5,          // Eve Fox
  kTom = 6,          // Tom Hart
  kSue = 7,          // Sue Long
  kBob = 8,          // Bob King
  kJane = 9,         // Jane Hill
};

// A peal as the tests describe it.
struct TestPeal {
  Date date = 0;
  uint32_t tower = 0;
  uint8_t association = 0;
  uint32_t method = 0;
  int32_t changes = 0;
  uint16_t time = 0;
  uint16_t tenor = 0;
  bool handbell = false;
  std::vector<uint32_t> ringers;
  uint32_t conductor = 0;
  uint32_t composer = 0;
  uint32_t arranger = 0;
  bool invalid = false;  // carries a Validity entry
};

class AnalysisTest : public ::testing::Test {
 protected:
  AnalysisTest() {
    CloseIndexSet();
    SteeplexXref().Clear();
    OpenIndexSet("/db/");
    MakeReferences();
  }
  ~AnalysisTest() override {
    CloseIndexSet();
    SteeplexXref().Clear();
  }

  template <typename T>
  static void AddNamed(CIndex& index, uint32_t key, const std::string& name,
                       const std::string& abbreviation, uint8_t kind = 0) {
    auto object = std::make_unique<T>();
    object->name = name;
    object->abbreviation = abbreviation;
    object->kind = kind;
    index.AddWithKey(std::move(object), static_cast<int32_t>(key));
  }

  static void AddTower(uint32_t key, const std::string& place, uint8_t county, uint8_t bells) {
    auto tower = std::make_unique<CTower>();
    tower->place = place;
    tower->county = county;
    tower->bellCount = bells;
    TowerIndex().AddWithKey(std::move(tower), static_cast<int32_t>(key));
  }

  static void AddMethod(uint32_t key, const std::string& name, int methodClass, uint8_t stage,
                        uint16_t count = 1, bool spliced = false) {
    testing::AddMethodWithKey(key, name, methodClass, stage, count, spliced);
  }

  static void AddPerson(uint32_t key, const std::string& first, const std::string& surname) {
    auto person = std::make_unique<CPerson>();
    person->firstNames = first;
    person->surname = surname;
    person->initials = CapitalLetters(first);
    PersonIndex().AddWithKey(std::move(person), static_cast<int32_t>(key));
  }

  static void MakeReferences() {
    AddNamed<CAssoc>(AssocIndex(), kYorkshire, "Yorkshire Association", "YACR", 0);
    AddNamed<CAssoc>(AssocIndex(), kOxford, "Oxford Diocesan Guild", "ODG", 0);
    AddNamed<CAssoc>(AssocIndex(), kCollege, "Ancient Society of College Youths", "ASCY", 1);
    AddNamed<CAssoc>(AssocIndex(), kLocal, "Local Society", "LS", 2);
    AddNamed<CCounty>(CountyIndex(), kWestYorks, "West Yorkshire", "W Yorks");
    AddNamed<CCounty>(CountyIndex(), kOxon, "Oxfordshire", "Oxon");
    AddTower(kLeeds, "Leeds", kWestYorks, 12);
    AddTower(kHeadington, "Headington", kOxon, 6);
    AddTower(kIlkley, "Ilkley", kWestYorks, 8);
    AddTower(kWitney, "Witney", kOxon, 8);
    AddMethod(kYorkshireMajor, "Yorkshire", kClassSurprise, 8);
    AddMethod(kCambridgeMajor, "Cambridge", kClassSurprise, 8);
    AddMethod(kBristolMajor, "Bristol", kClassSurprise, 8);
    AddMethod(kPlainBobMinor, "Plain", kClassBob, 6);
    AddMethod(kStedmanTriples, "Stedman", 0, 7);
    AddMethod(kSpliced23, "", kClassSurprise, 8, 23, true);
    AddMethod(kPlainBobMajor, "Plain", kClassBob, 8);
    AddMethod(kNoStage, "Mystery", 0, 0);
    AddPerson(kAnn, "Ann", "Bell");
    AddPerson(kJohn, "John", "Smith");
    AddPerson(kMary, "Mary", "Jones");
    AddPerson(kPeter, "Peter", "Brown");
    AddPerson(kEve, "Eve", "Fox");
    AddPerson(kTom, "Tom", "Hart");
    AddPerson(kSue, "Sue", "Long");
    AddPerson(kBob, "Bob", "King");
    AddPerson(kJane, "Jane", "Hill");
  }

  // Adds a peal to buffer 1 of the ledger.
  uint32_t Add(const TestPeal& wanted) {
    const uint32_t number = ledger.AddPeal(MakePeal(wanted));
    ledger.InsertIntoBuffer(number, kMainBuffer);
    return number;
  }
  void Add(const TestPeal& wanted, int times) {
    for (int i = 0; i < times; ++i) Add(wanted);
  }
  // Many copies of a peal, built into buffer 1 as a load does.
  void AddMany(const TestPeal& wanted, int times) {
    const uint32_t first = ledger.lastPealNumber + 1;
    for (int i = 0; i < times; ++i) ledger.AddPeal(MakePeal(wanted));
    ledger.BuildBuffer(first, ledger.lastPealNumber, kMainBuffer);
  }

  static std::unique_ptr<CPeal> MakePeal(const TestPeal& wanted) {
    auto peal = std::make_unique<CPeal>();
    peal->date = wanted.date;
    peal->tower = wanted.tower;
    peal->association = wanted.association;
    peal->method = wanted.method;
    peal->changes = wanted.changes;
    peal->time = wanted.time;
    peal->tenor = wanted.tenor;
    peal->handbell = wanted.handbell;
    peal->ringers = wanted.ringers;
    peal->conductor = wanted.conductor;
    peal->composer = wanted.composer;
    peal->arranger = wanted.arranger;
    if (wanted.invalid) peal->extras[kValidity].push_back("withdrawn");
    return peal;
  }

  // The main report of an analysis of buffer 1.
  std::vector<std::string> Report(AnalysisKind kind, const CAnalOptions& options = {},
                                  const CAnalSelection& selection = {}) {
    doc.Run(ledger, kMainBuffer, kind, options, selection);
    return doc.MainLines();
  }
  std::vector<std::string> Alternative(AnalysisKind kind, const CAnalOptions& options = {},
                                       const CAnalSelection& selection = {}) {
    doc.Run(ledger, kMainBuffer, kind, options, selection);
    return doc.AltLines();
  }

  static Date Day(int day, int month, int year) { return MakeDate(day, month, year); }
  static Date Today() { return MakeDate(1, 6, 2024); }

  MemoryFileSystem files{"/work/"};
  FixedClock clock{{1, 6, 2024}};
  ScriptedPlatform platform;
  ScopedServices services{&files, &clock, &platform};
  CPealLedger ledger;
  CAnalDoc doc;
};

using Lines = std::vector<std::string>;

}  // namespace tv::testing
