// The demonstration database: counties, dedications, twelve associations, about two hundred
// towers, four hundred ringers, real methods from Minimus to Maximus, compositions, and four
// decades of peals and quarter peals streamed straight to their ledger files.
#include "app/demo_database.h"

#include <algorithm>
#include <array>
#include <set>
#include <vector>

#include "core/archive.h"
#include "core/services.h"
#include "core/text.h"
#include "peals/peal_record.h"
#include "refdb/assoc.h"
#include "refdb/composition.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/saint.h"
#include "refdb/tower.h"

namespace tv {
namespace {

// A small, fast generator with a fixed seed, so the demonstration is the same every time.
class DemoRandom {
 public:
  explicit DemoRandom(uint64_t seed) : m_state(seed) {}
  uint64_t Next() {
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // A number from 0 to n - 1.
  int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n)); }
  bool Chance(int percent) { return Below(100) < percent; }
  template <typename T>
  const T& Pick(const std::vector<T>& items) { return items[Below(static_cast<int>(items.size()))]; }

 private:
  uint64_t m_state;
};

struct CountySeed {
  const char* name;
  const char* abbreviation;
};
constexpr CountySeed kCounties[] = {
    {"Bedfordshire", "Beds"},      {"Berkshire", "Berks"},          {"Buckinghamshire", "Bucks"},
    {"Cambridgeshire", "Cambs"},   {"Cheshire", "Ches"},            {"Cornwall", "Corn"},
    {"Cumbria", "Cumb"},           {"Derbyshire", "Derbys"},        {"Devon", "Devon"},
    {"Dorset", "Dorset"},          {"Durham", "Durham"},            {"Essex", "Essex"},
    {"Gloucestershire", "Glos"},   {"Hampshire", "Hants"},          {"Herefordshire", "Heref"},
    {"Hertfordshire", "Herts"},    {"Kent", "Kent"},                {"Lancashire", "Lancs"},
    {"Leicestershire", "Leics"},   {"Lincolnshire", "Lincs"},       {"Norfolk", "Norf"},
    {"Northamptonshire", "Northants"}, {"Northumberland", "Northumb"}, {"Nottinghamshire", "Notts"},
    {"Oxfordshire", "Oxon"},       {"Rutland", "Rutland"},          {"Shropshire", "Salop"},
    {"Somerset", "Som"},           {"Staffordshire", "Staffs"},     {"Suffolk", "Suff"},
    {"Surrey", "Surrey"},          {"Sussex", "Sussex"},            {"Warwickshire", "Warks"},
    {"Wiltshire", "Wilts"},        {"Worcestershire", "Worcs"},     {"Yorkshire", "Yorks"},
};

struct SaintSeed {
  uint8_t typeCode;  // church type * 4 + prefix
  const char* name;
};
constexpr SaintSeed kSaints[] = {
    {2, "Mary the Virgin"}, {0, "All Saints"},       {2, "Peter"},            {1, "Peter & Paul"},
    {2, "Michael & All Angels"}, {0, "Holy Trinity"}, {2, "Andrew"},         {2, "John the Baptist"},
    {2, "Nicholas"},        {2, "Margaret"},         {2, "Lawrence"},         {2, "Giles"},
    {2, "Botolph"},         {2, "Mary Magdalene"},   {2, "Helen"},            {2, "Leonard"},
    {2, "James the Great"}, {0, "Christ Church"},    {2, "Martin"},           {2, "George"},
    {2, "Edmund"},          {14, "Paul"},            {10, "Mary"},            {22, "Mary"},
    {18, "Nicholas"},       {3, "Holy Cross"},       {2, "Bartholomew"},      {2, "Oswald"},
};

struct AssocSeed {
  const char* name;
  const char* abbreviation;
  uint8_t standing;  // 0 CC Affiliated, 1 Non-Affiliated, 2 Special
  int weight;        // how often its peals come up
};
constexpr AssocSeed kAssociations[] = {
    {"Ancient Society of College Youths", "ASCY", 0, 10},
    {"Society of Royal Cumberland Youths", "SRCY", 0, 8},
    {"Oxford Diocesan Guild", "ODG", 0, 14},
    {"Yorkshire Association", "YA", 0, 12},
    {"Kent County Association", "KCA", 0, 12},
    {"Guild of Devonshire Ringers", "GDR", 0, 9},
    {"Lincoln Diocesan Guild", "LDG", 0, 9},
    {"Norwich Diocesan Association", "NDA", 0, 8},
    {"Middlesex County Association", "MCA", 0, 6},
    {"St Martin's Guild", "SMG", 1, 5},
    {"Fenland Handbell Society", "FHS", 1, 4},
    {"Universities Ringing Federation", "URF", 2, 3},
};

constexpr const char* kPlaceRoots[] = {
    "Ash", "Brad", "Chip", "Dun", "East", "Ford", "Gran", "Hart", "Kings", "Lang", "Mar", "Nor",
    "Ock", "Pen", "Quen", "Rad", "Sand", "Thorn", "Up", "Wal", "West", "Whit", "Wood", "Yar",
    "Ald", "Bur", "Cal", "Ded", "Elm", "Fen", "Hal", "Ked", "Lut", "Mil", "Nest", "Red", "Stan"};
constexpr const char* kPlaceEnds[] = {"ford", "ton", "ham", "ley", "bury", "field", "well",
                                      "worth", "stead", "by", "combe", "minster", "wick", "borough"};
constexpr const char* kPlaceFronts[] = {"", "", "", "", "", "Great ", "Little ", "Long ", "Kings ",
                                        "Upper ", "Nether ", "Old "};

constexpr const char* kFirstNames[] = {
    "John", "Robert", "David", "Peter", "Michael", "Richard", "Andrew", "Paul", "Stephen", "Mark",
    "Christopher", "Simon", "James", "William", "Thomas", "George", "Edward", "Alan", "Brian",
    "Colin", "Graham", "Ian", "Keith", "Martin", "Philip", "Roger", "Timothy", "Matthew", "Daniel",
    "Benjamin", "Mary", "Susan", "Margaret", "Elizabeth", "Anne", "Sarah", "Catherine", "Helen",
    "Ruth", "Alison", "Judith", "Rachel", "Emma", "Lucy", "Claire", "Fiona", "Gillian", "Janet",
    "Hilary", "Rosemary", "Alice", "Joanna", "Rebecca", "Katharine", "Eleanor", "Harriet"};
constexpr const char* kSurnames[] = {
    "Smith", "Jones", "Taylor", "Brown", "Williams", "Wilson", "Johnson", "Davies", "Robinson",
    "Wright", "Thompson", "Evans", "Walker", "White", "Roberts", "Green", "Hall", "Wood",
    "Jackson", "Clarke", "Patel", "Hughes", "Edwards", "Turner", "Hill", "Moore", "Parker",
    "Harris", "Baker", "Lewis", "Bennett", "Carter", "Marshall", "Pearson", "Mason", "Hunt",
    "Fletcher", "Chapman", "Webb", "Lloyd", "Shepherd", "Dixon", "Bailey", "Knight", "Barker",
    "Holmes", "Mills", "Lamb", "Tucker", "Palmer", "Rowe", "Butler", "Stevens", "Sanderson",
    "Ridley", "Pickering", "Atkinson", "Whitehead", "Gardiner", "Osborne", "Kemp", "Hutchinson",
    "Barnes", "Farrow", "Meadows", "Ashworth", "Threlfall", "Ingram", "Quarmby", "Underwood"};

struct MethodSeed {
  const char* name;
  int methodClass;
  uint8_t stage;
  uint16_t count;
  bool spliced;
  bool little;
  int weight;
};
constexpr MethodSeed kMethods[] = {
    {"Plain", 2, 4, 1, false, false, 3},         {"Cambridge", 4, 4, 1, false, false, 1},
    {"Plain", 2, 5, 1, false, false, 8},         {"Grandsire", 0, 5, 1, false, false, 8},
    {"Stedman", 0, 5, 1, false, false, 4},       {"St Simon's", 2, 5, 1, false, false, 2},
    {"Reverse Canterbury", 1, 5, 1, false, false, 1}, {"", 0, 5, 3, false, false, 4},
    {"Plain", 2, 6, 1, false, false, 10},        {"Cambridge", 4, 6, 1, false, false, 6},
    {"Kent", 3, 6, 1, false, false, 4},          {"Oxford", 3, 6, 1, false, false, 3},
    {"Single Oxford", 2, 6, 1, false, false, 2}, {"St Clement's College", 2, 6, 1, false, false, 2},
    {"Double Court", 2, 6, 1, false, false, 2},  {"", 0, 6, 7, false, false, 6},
    {"Plain", 2, 0x86, 1, false, false, 2},      {"Grandsire", 0, 7, 1, false, false, 8},
    {"Stedman", 0, 7, 1, false, false, 8},       {"Plain", 2, 7, 1, false, false, 2},
    {"Plain", 2, 8, 1, false, false, 8},         {"Cambridge", 4, 8, 1, false, false, 8},
    {"Yorkshire", 4, 8, 1, false, false, 9},     {"Bristol", 4, 8, 1, false, false, 6},
    {"London", 4, 8, 1, false, false, 4},        {"Lincolnshire", 4, 8, 1, false, false, 4},
    {"Superlative", 4, 8, 1, false, false, 4},   {"Rutland", 4, 8, 1, false, false, 3},
    {"Pudsey", 4, 8, 1, false, false, 3},        {"Double Norwich Court", 2, 8, 1, false, false, 3},
    {"Kent", 3, 8, 1, false, false, 2},          {"Little", 2, 8, 1, false, false, 1},
    {"", 4, 8, 8, true, false, 5},               {"", 4, 8, 4, true, false, 3},
    {"Grandsire", 0, 9, 1, false, false, 5},     {"Stedman", 0, 9, 1, false, false, 6},
    {"Plain", 2, 10, 1, false, false, 3},        {"Cambridge", 4, 10, 1, false, false, 5},
    {"Yorkshire", 4, 10, 1, false, false, 5},    {"Bristol", 4, 10, 1, false, false, 4},
    {"Lincolnshire", 4, 10, 1, false, false, 3}, {"Grandsire", 0, 11, 1, false, false, 3},
    {"Stedman", 0, 11, 1, false, false, 5},      {"Plain", 2, 12, 1, false, false, 2},
    {"Cambridge", 4, 12, 1, false, false, 5},    {"Yorkshire", 4, 12, 1, false, false, 4},
    {"Bristol", 4, 12, 1, false, false, 4},      {"", 4, 12, 4, true, false, 2},
};

constexpr const char* kFootnotes[] = {
    "First peal on the bells.",
    "First peal in the method by all the band.",
    "Rung to mark the ninetieth birthday of the tower captain.",
    "Rung half-muffled in memory of a much-loved local ringer.",
    "First peal as conductor.",
    "Rung to celebrate the restoration of the bells.",
    "Rung for the patronal festival.",
    "Birthday compliments to the ringer of the treble.",
};

struct TowerPlan {
  int32_t key = 0;
  int bells = 0;
  std::vector<int32_t> band;  // local ringers
};

struct Database {
  std::vector<int32_t> counties;
  std::vector<int32_t> saints;
  std::vector<int32_t> associations;
  std::vector<int> associationWeights;
  std::vector<TowerPlan> towers;
  std::vector<int32_t> persons;
  std::vector<int32_t> composers;
  int32_t recorder = 0;
  int32_t maiden = 0;
  int32_t married = 0;
  // Method keys by stage (0x86 counted under 6), with their weights.
  std::array<std::vector<std::pair<int32_t, int>>, 13> methodsByStage;
  std::vector<int32_t> methodStage;  // by method key
  std::vector<std::vector<int32_t>> compositionsOfMethod;  // by method key
};

int32_t AddCounty(const CountySeed& seed) {
  auto county = std::make_unique<CCounty>();
  county->name = seed.name;
  county->abbreviation = seed.abbreviation;
  return CountyIndex().InsertNew(std::move(county));
}

int32_t AddPerson(const std::string& first, const std::string& surname, const std::string& prefix = {},
                  const std::string& suffix = {}) {
  auto person = std::make_unique<CPerson>();
  person->firstNames = first;
  person->surname = surname;
  person->initials = CapitalLetters(first);
  person->prefix = prefix;
  person->suffix = suffix;
  return PersonIndex().InsertNew(std::move(person));
}

void MakeReferenceData(DemoRandom& random, Database& db) {
  for (const auto& seed : kCounties) db.counties.push_back(AddCounty(seed));
  for (const auto& seed : kSaints) {
    auto saint = std::make_unique<CSaint>();
    saint->typeCode = seed.typeCode;
    saint->name = seed.name;
    db.saints.push_back(SaintIndex().InsertNew(std::move(saint)));
  }
  for (const auto& seed : kAssociations) {
    auto assoc = std::make_unique<CAssoc>();
    assoc->name = seed.name;
    assoc->abbreviation = seed.abbreviation;
    assoc->kind = seed.standing;
    db.associations.push_back(AssocIndex().InsertNew(std::move(assoc)));
    db.associationWeights.push_back(seed.weight);
  }

  // Ringers: the ledger's owner first, then a married couple's two names, then the rest.
  db.recorder = AddPerson("Robert James", "Ashworth");
  db.maiden = AddPerson("Jane", "Cooper");
  db.married = AddPerson("Jane", "Wilkinson");
  db.persons = {db.recorder, db.maiden};
  std::set<std::string> names = {"Robert James Ashworth", "Jane Cooper", "Jane Wilkinson"};
  while (db.persons.size() < 400) {
    // The first thirty names are men's, the rest women's; a second name matches the first.
    const int at = random.Below(std::size(kFirstNames));
    std::string first = kFirstNames[at];
    if (random.Chance(25)) {
      const int from = at < 30 ? 0 : 30;
      const int count = at < 30 ? 30 : static_cast<int>(std::size(kFirstNames)) - 30;
      const char* second = kFirstNames[from + random.Below(count)];
      if (first != second) first += std::string(" ") + second;
    }
    const std::string surname = kSurnames[random.Below(std::size(kSurnames))];
    if (!names.insert(first + " " + surname).second) continue;
    std::string prefix, suffix;
    if (random.Chance(3)) prefix = random.Chance(60) ? "Revd" : "Dr";
    if (random.Chance(2)) suffix = random.Chance(50) ? "Jr" : "Sr";
    db.persons.push_back(AddPerson(first, surname, prefix, suffix));
  }
  for (int i = 0; i < 12; ++i) db.composers.push_back(db.persons[10 + i * 7]);

  // Towers: made-up places, a few with their county hidden, one recast and renamed in 1999.
  std::set<std::string> places;
  while (db.towers.size() < 200) {
    std::string place = std::string(kPlaceFronts[random.Below(std::size(kPlaceFronts))]) +
                        kPlaceRoots[random.Below(std::size(kPlaceRoots))] +
                        kPlaceEnds[random.Below(std::size(kPlaceEnds))];
    if (db.towers.empty()) place = kDemoRecastTowerNow;
    if (!places.insert(place).second) continue;
    auto tower = std::make_unique<CTower>();
    tower->place = place;
    tower->county = static_cast<uint8_t>(random.Pick(db.counties));
    tower->dedication = random.Pick(db.saints);
    static constexpr int kBells[] = {5, 6, 6, 6, 8, 8, 8, 8, 10, 10, 12};
    tower->bellCount = static_cast<uint8_t>(kBells[random.Below(std::size(kBells))]);
    tower->tenorWeight = static_cast<uint16_t>(300 + tower->bellCount * 110 + random.Below(900));
    tower->gridEasting = static_cast<uint16_t>(13000 + random.Below(4500));
    tower->gridNorthing = static_cast<uint16_t>(6000 + random.Below(5000));
    if (random.Chance(3)) tower->hideCounty = 1;
    if (db.towers.empty()) {
      // Recast from six to eight and renamed at the end of 1999.
      tower->bellCount = 8;
      tower->tenorWeight = 1460;
      auto before = std::make_unique<CTower>();
      before->CopyIdentity(*tower);
      before->place = kDemoRecastTowerBefore;
      before->bellCount = 6;
      before->tenorWeight = 1025;
      before->untilDate = MakeDate(31, 12, kDemoRecastYear);
      tower->earlier = std::move(before);
    }
    TowerPlan plan;
    plan.bells = tower->bellCount;
    plan.key = TowerIndex().InsertNew(std::move(tower));
    for (int i = 0; i < 14; ++i) plan.band.push_back(random.Pick(db.persons));
    db.towers.push_back(std::move(plan));
  }

  // Methods, and compositions for the longer ones.
  for (const auto& seed : kMethods) {
    auto method = std::make_unique<CMethod>();
    method->name = seed.name;
    method->methodClass = seed.methodClass;
    method->stage = seed.stage;
    method->methodCount = seed.count;
    method->spliced = seed.spliced;
    method->little = seed.little;
    const int32_t key = MethodIndex().InsertNew(std::move(method));
    const int stage = seed.stage == 0x86 ? 6 : seed.stage;
    db.methodsByStage[stage].emplace_back(key, seed.weight);
    if (db.methodStage.size() <= static_cast<size_t>(key)) {
      db.methodStage.resize(key + 1);
      db.compositionsOfMethod.resize(key + 1);
    }
    db.methodStage[key] = stage;
    if (stage >= 7) {
      for (int c = 0; c < 3; ++c) {
        static constexpr int kLengths[] = {5040, 5056, 5088, 5120, 5152, 5184, 5007, 5039};
        const int32_t composer = random.Pick(db.composers);
        const int32_t arranger = random.Chance(20) ? random.Pick(db.composers) : 0;
        const int32_t length = stage % 2 ? (c == 0 ? 5040 : 5007 + 32 * c) : kLengths[random.Below(6)];
        std::string details = seed.spliced ? "Bristol, Cambridge, London, Yorkshire" : "";
        if (seed.spliced && seed.count == 8) details += ", Lincolnshire, Pudsey, Rutland, Superlative";
        const std::string name = c == 0 ? std::string() : std::string("No ") + std::to_string(c + 1);
        const int32_t composition =
            FindOrAddComposition(length, key, composer, arranger, 0, name, details);
        db.compositionsOfMethod[key].push_back(composition);
      }
    }
  }
  // The married couple: the maiden name counted as the married one.
  PersonIndex().equivalences.AddEquivalence(db.maiden, db.married);
}

template <typename Pair>
int32_t PickWeighted(DemoRandom& random, const std::vector<Pair>& items) {
  int total = 0;
  for (const auto& [key, weight] : items) total += weight;
  int roll = random.Below(total);
  for (const auto& [key, weight] : items) {
    if (roll < weight) return key;
    roll -= weight;
  }
  return items.front().first;
}

// Fills one performance; `quarter` makes it a quarter peal.
void MakePeal(DemoRandom& random, const Database& db, Date date, bool quarter, CPeal& peal) {
  peal = CPeal();
  peal.date = date;
  std::vector<std::pair<int32_t, int>> associations;
  for (size_t i = 0; i < db.associations.size(); ++i) {
    associations.emplace_back(db.associations[i], db.associationWeights[i]);
  }
  peal.association = static_cast<uint8_t>(PickWeighted(random, associations));
  const TowerPlan& tower = db.towers[random.Below(static_cast<int>(db.towers.size()))];
  const auto* towerObject = static_cast<const CTower*>(TowerIndex().Lookup(tower.key));
  peal.handbell = random.Chance(6);
  int bells = towerObject ? towerObject->BellsAt(date) : tower.bells;
  if (peal.handbell) {
    static constexpr int kHandbells[] = {6, 8, 8, 10, 12};
    bells = kHandbells[random.Below(std::size(kHandbells))];
    peal.tenor = static_cast<uint16_t>(11 + random.Below(8));
    if (random.Chance(50)) peal.tower = static_cast<uint32_t>(tower.key);
  } else {
    peal.tower = static_cast<uint32_t>(tower.key);
    peal.tenor = towerObject ? towerObject->WeightAt(date) : 0;
  }
  // The stage rung: all the bells, or one fewer with a cover on the tenor.
  int stage = bells;
  if (!peal.handbell && bells >= 6 && random.Chance(30)) stage = bells - 1;
  if (stage < 4 || db.methodsByStage[stage].empty()) stage = bells;
  if (db.methodsByStage[stage].empty()) stage = 6;
  peal.method = static_cast<uint32_t>(PickWeighted(random, db.methodsByStage[stage]));
  if (quarter) {
    static constexpr int kChanges[] = {1260, 1280, 1296, 1320, 1344};
    peal.changes = kChanges[random.Below(std::size(kChanges))];
    peal.time = static_cast<uint16_t>(40 + random.Below(12));
  } else {
    static constexpr int kChanges[] = {5040, 5056, 5088, 5120, 5184, 5007, 5039, 5060};
    peal.changes = stage % 2 ? (stage <= 7 ? 5040 : 5007 + 32 * random.Below(3))
                             : kChanges[random.Below(5)];
    peal.time = static_cast<uint16_t>(150 + peal.tenor / 60 + random.Below(30));
    if (peal.handbell) peal.time = static_cast<uint16_t>(130 + random.Below(40));
    const auto& compositions = db.compositionsOfMethod[peal.method];
    if (!compositions.empty() && random.Chance(40)) {
      peal.composition = static_cast<uint32_t>(random.Pick(compositions));
      if (const auto* c = static_cast<const CComposition*>(CompIndex().Lookup(peal.composition))) {
        peal.changes = c->length;
        peal.composer = static_cast<uint32_t>(c->composer);
        peal.arranger = static_cast<uint32_t>(c->arranger);
      }
    } else if (stage >= 7 && random.Chance(60)) {
      peal.composer = static_cast<uint32_t>(random.Pick(db.composers));
    }
  }

  // The band: the recorder in most, the rest from the tower's own ringers and visitors.
  const int ringerCount = peal.handbell ? (stage + 1) / 2 : bells;
  std::vector<uint32_t> ringers;
  std::set<uint32_t> used;
  const int recorderAt = random.Chance(65) ? random.Below(ringerCount) : -1;
  while (static_cast<int>(ringers.size()) < ringerCount) {
    int32_t key;
    if (static_cast<int>(ringers.size()) == recorderAt && !used.count(static_cast<uint32_t>(db.recorder))) {
      key = db.recorder;
    } else {
      key = random.Chance(70) ? random.Pick(tower.band) : random.Pick(db.persons);
      if (key == db.recorder && recorderAt >= 0) continue;  // the recorder has a place of their own
    }
    if (key == db.maiden && date > MakeDate(31, 12, kDemoMarriageYear - 1)) key = db.married;
    if (!used.insert(static_cast<uint32_t>(key)).second) continue;
    ringers.push_back(static_cast<uint32_t>(key));
  }
  peal.ringers = std::move(ringers);
  if (random.Chance(92)) peal.conductor = peal.ringers[random.Below(ringerCount)];

  if (random.Chance(quarter ? 12 : 22)) {
    peal.extras[kFootnote].push_back(kFootnotes[random.Below(std::size(kFootnotes))]);
  }
  if (!quarter && random.Chance(1)) peal.extras[kValidity].push_back("Peal withdrawn");
  if (random.Chance(70)) {
    const DayMonthYear d = SplitDate(date);
    const int page = 1 + random.Below(1300);
    peal.SetRwPage((d.year % 100 + (random.Chance(20) ? 1 : 0)) * 10000 + page);
  }
  if (random.Chance(2)) peal.SetPositioned(kPrefix, static_cast<size_t>(random.Below(ringerCount)), "Revd");
}

// Streams `count` performances in ledger order to `path`, through a temporary beside it.
Status WriteDemoLedger(DemoRandom& random, const Database& db, const std::string& path,
                       uint32_t count, bool quarter) {
  const Date first = MakeDate(1, 1, 1986);
  const Date last = MakeDate(31, 12, 2025);
  std::vector<Date> dates(count);
  for (Date& d : dates) d = first + random.Below(last - first + 1);
  std::sort(dates.begin(), dates.end());

  const std::string temporary = TemporaryNameFor(path);
  auto file = Files().Open(temporary, OpenMode::Create);
  if (!file) return {StatusCode::IoError, "cannot create " + temporary};
  try {
    Archive out(*file, Archive::Mode::Store);
    CPeal peal;
    uint8_t sequence = 0;
    for (uint32_t i = 0; i < count; ++i) {
      MakePeal(random, db, dates[i], quarter, peal);
      const bool sameDay = (i > 0 && dates[i] == dates[i - 1]) || (i + 1 < count && dates[i + 1] == dates[i]);
      sequence = sameDay ? static_cast<uint8_t>((i > 0 && dates[i] == dates[i - 1]) ? sequence + 1 : 1) : 0;
      peal.sequence = sequence;
      peal.pealNumber = i + 1;
      peal.SerializeRecord(out, false);
    }
    out.Flush();
    file->Flush();
  } catch (const FileError& error) {
    file.reset();
    Files().Remove(temporary);
    return {StatusCode::IoError, error.what()};
  }
  file.reset();
  if (!Files().Rename(temporary, path)) {
    Files().Remove(temporary);
    return {StatusCode::IoError, "cannot write " + path};
  }
  return {};
}

}  // namespace

Status WriteDemoDatabase(const std::string& directory, uint32_t peals, DemoSummary* summary) {
  FileSystem& files = Files();
  if (!files.IsDirectory(directory)) {
    return {StatusCode::Usage, "the folder " + directory + " does not exist"};
  }
  const std::string dir = JoinPath(directory, "");
  for (const char* name : kIndexNames) {
    if (files.Exists(dir + name + ".da3")) {
      return {StatusCode::Usage, dir + " already holds a database (" + name + ".da3)"};
    }
  }
  if (files.Exists(dir + kDemoLedger)) return {StatusCode::Usage, dir + kDemoLedger + " already exists"};

  CloseIndexSet();
  OpenIndexSet(dir);
  DemoRandom random(0x70CA11E5EEDull);
  Database db;
  MakeReferenceData(random, db);

  const uint32_t quarters = std::max<uint32_t>(1, peals / 2);
  if (Status s = WriteDemoLedger(random, db, dir + kDemoLedger, peals, false); !s.ok()) return s;
  if (Status s = WriteDemoLedger(random, db, dir + kDemoQuarterLedger, quarters, true); !s.ok()) return s;
  const CEquivalences& equivalences = PersonIndex().equivalences;
  if (!equivalences.SaveEquivalences(dir + kDemoLedger) ||
      !equivalences.SaveEquivalences(dir + kDemoQuarterLedger)) {
    return {StatusCode::IoError, "cannot write the equivalences in " + dir};
  }
  SaveAllIndexes();
  if (summary) {
    summary->peals = peals;
    summary->quarters = quarters;
    summary->towers = static_cast<int>(db.towers.size());
    summary->persons = static_cast<int>(db.persons.size()) + 1;
    summary->associations = static_cast<int>(db.associations.size());
    summary->methods = static_cast<int>(std::size(kMethods));
    int compositions = 0;
    for (const auto& list : db.compositionsOfMethod) compositions += static_cast<int>(list.size());
    summary->compositions = compositions;
  }
  return {};
}

}  // namespace tv
