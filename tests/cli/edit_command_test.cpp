// tolvane-cli edit on a demonstration database: one entry replaced by another in every peal, the
// ledger saved with its equivalences and both index entries intact, and every refusal leaving the
// files as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "cli/cli.h"
#include "core/services.h"
#include "peals/ledger_file.h"
#include "peals/peal_ledger.h"
#include "refdb/assoc.h"
#include "refdb/index_set.h"

namespace tv::cli {
namespace {

namespace fs = std::filesystem;

struct CliResult {
  int status;
  std::string out;
  std::string err;
};

std::string FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class EditCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = ::testing::TempDir() + "tolvane_edit_" +
          ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir);
    fs::create_directories(dir);
    ASSERT_EQ(Cli({"demo", dir, "--peals", "120"}).status, kExitOk);
    ledger = dir + "/demo.tv3";
  }
  void TearDown() override {
    CloseIndexSet();
    fs::remove_all(dir);
  }
  CliResult Cli(std::vector<std::string> args) {
    std::ostringstream out, err;
    const int status = RunCli(args, out, err);
    CloseIndexSet();
    return {status, out.str(), err.str()};
  }
  CliResult Edit(std::vector<std::string> args) {
    args.insert(args.begin(), {"--db", dir, "edit", ledger});
    return Cli(args);
  }
  // Every index entry, "KEY\tNAME" per line, as `index NAME list` prints them.
  std::string List(const char* name) { return Cli({"--db", dir, "index", name, "list"}).out; }
  std::map<std::string, std::string> Files() {
    std::map<std::string, std::string> bytes;
    for (const auto& entry : fs::directory_iterator(dir)) {
      bytes[entry.path().filename().string()] = FileBytes(entry.path());
    }
    return bytes;
  }
  // The peals of the saved ledger, as read back from the file.
  std::vector<CPeal> Peals() {
    CPealLedger read;
    EXPECT_TRUE(ReadLedgerFile(ledger, read).ok());
    std::vector<CPeal> peals;
    for (uint32_t n = 1; n <= read.lastPealNumber; ++n) {
      if (const CPeal* peal = read.PealAt(n)) peals.push_back(*peal);
    }
    return peals;
  }
  static bool NamesPerson(const CPeal& peal, uint32_t key) {
    return peal.composer == key || peal.arranger == key || peal.generatedBy == key ||
           peal.conductor == key ||
           std::find(peal.ringers.begin(), peal.ringers.end(), key) != peal.ringers.end();
  }
  // The entry of `key` in a list, as the command names it: "KEY NAME".
  static std::string LineOf(const std::string& list, uint32_t key) {
    const std::string start = std::to_string(key) + "\t";
    const size_t at = list.rfind("\n" + start) + 1;
    const size_t end = list.find('\n', at);
    return std::to_string(key) + " " + list.substr(at + start.size(), end - at - start.size());
  }
  // The key of the index entry whose list line has this name.
  int32_t KeyOf(const char* index, const std::string& name) {
    std::istringstream lines(List(index));
    for (std::string line; std::getline(lines, line);) {
      const size_t tab = line.find('\t');
      if (line.substr(tab + 1) == name) return std::stoi(line.substr(0, tab));
    }
    ADD_FAILURE() << name << " is not in " << index;
    return 0;
  }

  std::string dir;
  std::string ledger;
};

TEST_F(EditCommand, PersonEditReplacesEveryPlaceAndKeepsBothEntriesAndTheEquivalences) {
  // The two ringers who stand in the most peals, so that both are well used.
  std::map<uint32_t, int> uses;
  const std::vector<CPeal> before = Peals();
  for (const CPeal& peal : before) {
    for (const uint32_t ringer : peal.ringers) ++uses[ringer];
  }
  uses.erase(0);
  std::vector<std::pair<int, uint32_t>> ranked;
  for (const auto& [key, count] : uses) ranked.emplace_back(count, key);
  std::sort(ranked.rbegin(), ranked.rend());
  ASSERT_GE(ranked.size(), 2u);
  const uint32_t from = ranked[0].second, to = ranked[1].second;
  const size_t naming = static_cast<size_t>(
      std::count_if(before.begin(), before.end(), [&](const CPeal& p) { return NamesPerson(p, from); }));
  const std::string persons = List("persons");
  const std::string equivalences = FileBytes(dir + "/demo.eq3");
  ASSERT_FALSE(equivalences.empty());

  const CliResult run = Edit({"person", "#" + std::to_string(from), "#" + std::to_string(to)});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  const std::string fromLine = LineOf(persons, from);
  EXPECT_EQ(run.out, "Changed " + std::to_string(naming) + " peals: " + fromLine + " became " +
                         LineOf(persons, to) + "\n");
  EXPECT_NE(run.err.find("from: " + fromLine + "\n"), std::string::npos) << run.err;

  // Peal by peal, the From person is the To person wherever he stood, and nothing else moved.
  const std::vector<CPeal> after = Peals();
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < after.size(); ++i) {
    CPeal expected = before[i];
    for (uint32_t* field : {&expected.composer, &expected.arranger, &expected.generatedBy,
                            &expected.conductor}) {
      if (*field == from) *field = to;
    }
    std::replace(expected.ringers.begin(), expected.ringers.end(), from, to);
    EXPECT_EQ(after[i].ringers, expected.ringers) << i;
    EXPECT_EQ(after[i].conductor, expected.conductor) << i;
    EXPECT_EQ(after[i].composer, expected.composer) << i;
    EXPECT_EQ(after[i].date, expected.date) << i;
  }
  // Both entries are still in the index under their own names, and a later run finds the index
  // sound (no rebuild message); the ledger's equivalences were kept, not emptied by the save.
  const CliResult list = Cli({"--db", dir, "index", "persons", "list"});
  EXPECT_EQ(list.out, persons);
  EXPECT_EQ(list.err, "");
  EXPECT_EQ(FileBytes(dir + "/demo.eq3"), equivalences);
}

TEST_F(EditCommand, AssociationByNameMovesItsPealsAndInfoCountsThemUnderTheOther) {
  const int32_t kent = KeyOf("assocs", "Kent County Association");
  const int32_t yorkshire = KeyOf("assocs", "Yorkshire Association");
  const auto count = [this](int32_t key) {
    const std::vector<CPeal> peals = Peals();
    return std::count_if(peals.begin(), peals.end(),
                         [key](const CPeal& p) { return p.association == key; });
  };
  const auto kentPeals = count(kent), yorkshirePeals = count(yorkshire);
  ASSERT_GT(kentPeals, 0);
  // Letter case is ignored, as for --select.
  const CliResult run = Edit({"association", "kent county association", "YORKSHIRE ASSOCIATION"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.out, "Changed " + std::to_string(kentPeals) + " peals: " + std::to_string(kent) +
                         " Kent County Association became " + std::to_string(yorkshire) +
                         " Yorkshire Association\n");
  EXPECT_EQ(count(kent), 0);
  EXPECT_EQ(count(yorkshire), kentPeals + yorkshirePeals);
  const CliResult info = Cli({"--db", dir, "info", ledger});
  EXPECT_EQ(info.out.find("Kent County Association"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find(std::to_string(kentPeals + yorkshirePeals) + "\tYorkshire Association"),
            std::string::npos)
      << info.out;
  EXPECT_EQ(info.err, "");
}

TEST_F(EditCommand, NearestTakesTheChoosersEntryWhereExactRefuses) {
  const CliResult exact = Edit({"method", "Bristol", "#1"});
  EXPECT_EQ(exact.status, kExitData);
  EXPECT_NE(exact.err.find("--nearest"), std::string::npos) << exact.err;
  // The chooser's entry is the one `index methods find` gives.
  std::string found = Cli({"--db", dir, "index", "methods", "find", "Bristol"}).out;
  ASSERT_FALSE(found.empty());
  found[found.find('\t')] = ' ';
  if (found.rfind("1 ", 0) == 0) GTEST_SKIP() << "the chooser's Bristol is method 1";
  const CliResult nearest = Edit({"method", "Bristol", "#1", "--nearest"});
  EXPECT_EQ(nearest.status, kExitOk) << nearest.err;
  EXPECT_EQ(nearest.err.substr(0, nearest.err.find('\n') + 1), "from: " + found);
}

TEST_F(EditCommand, RefusalsSayWhyAndChangeNoFile) {
  // An association key beyond a byte, which a peal cannot hold.
  OpenIndexSet(dir + "/");
  auto big = std::make_unique<CAssoc>();
  big->name = "Big Guild";
  AssocIndex().AddWithKey(std::move(big), 300);
  SaveAllIndexes();
  CloseIndexSet();
  const auto files = Files();
  struct Refusal {
    std::vector<std::string> args;
    int status;
    const char* says;
  } refusals[] = {
      {{"county", "Kent", "Essex"}, kExitUsage, "a county belongs to the tower"},
      {{"ringer", "#1", "#2"}, kExitUsage, "use person"},
      {{"composition", "#1", "#2"}, kExitUsage, "not 'composition'"},
      {{"person", "#1", "#1"}, kExitUsage, "FROM and TO both name 1 "},
      {{"association", "KCA", "Kent County Association"}, kExitUsage, "both name"},
      {{"person", "Nobody At All", "#1"}, kExitData, "from: no entry is 'Nobody At All'"},
      {{"method", "#1", "Bristol"}, kExitData, "to: 'Bristol' names"},
      {{"association", "Yorkshire Association", "Big Guild"}, kExitData, "only up to 255"},
      {{"person", "#1"}, kExitUsage, "TO"},
  };
  for (const Refusal& refusal : refusals) {
    const CliResult run = Edit(refusal.args);
    EXPECT_EQ(run.status, refusal.status) << refusal.says << ": " << run.err;
    EXPECT_NE(run.err.find(refusal.says), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "") << refusal.says;
    EXPECT_TRUE(Files() == files) << refusal.says;
  }
  // A ledger that does not exist, or is not a ledger, is refused before anything is opened.
  std::ofstream(dir + "/junk.tv3", std::ios::binary) << std::string("\x7f\x00\xff\x13 not a ledger", 18);
  const auto withJunk = Files();
  for (const std::string& path : {dir + "/none.tv3", dir + "/junk.tv3"}) {
    const CliResult run = Cli({"--db", dir, "edit", path, "person", "#1", "#2"});
    EXPECT_EQ(run.status, kExitData) << path;
    EXPECT_NE(run.err.find(path), std::string::npos) << run.err;
    EXPECT_TRUE(Files() == withJunk) << path;
  }
}

}  // namespace
}  // namespace tv::cli
