// Resolving the towers that imported peals name: by external key, by place, county and
// dedication, and, failing those, by tenor weight among the towers of the same place.
#include <cstdlib>
#include <vector>

#include "core/file_system.h"
#include "core/text.h"
#include "refdb/assoc.h"
#include "refdb/index_set.h"
#include "refdb/saint.h"
#include "refdb/steeplex.h"
#include "refdb/tower.h"

namespace tv {
namespace {

constexpr int kWeightTolerance = 112;  // one hundredweight, in pounds

bool WeightsClose(uint16_t a, uint16_t b) { return std::abs(int{a} - int{b}) <= kWeightTolerance; }

struct TowerQuery {
  std::string_view place;
  Date date = 0;                  // the peal's date: towers are judged by their identity then
  uint8_t county = 0;
  bool countyNamed = false;       // a county text was given: county 0 then takes no other county
  int32_t dedication = 0;
  int32_t sxKey = 0;
  bool steeplexRule = true;       // a tower tied to an external record matches only by its key
  bool hiddenCountyMatches = false;  // weight matching: no county matches a hidden county
  bool noWeightMatch = false;
  uint16_t weight = 0;
};

bool CountyMatches(const TowerQuery& q, uint8_t county) {
  return q.county == county || (q.county == 0 && !q.countyNamed);
}

// A tower whose identity at the query's date had that place, county and dedication although
// its place today is another: a peal rung before the tower was renamed names the old place.
int32_t FindRenamedTower(const TowerQuery& q) {
  CTowerIndex& index = TowerIndex();
  int32_t k = index.First();
  for (int32_t steps = 0; k > 0 && steps < index.Count(); ++steps) {
    const auto* tower = dynamic_cast<const CTower*>(index.Lookup(k));
    if (tower && tower->earlier && (!q.steeplexRule || tower->steeplexKey == 0)) {
      const CTower& identity = tower->IdentityAt(q.date);
      if (&identity != tower && EqualsNoCase(identity.place, q.place) &&
          CountyMatches(q, identity.county) && identity.dedication == q.dedication) {
        return k;
      }
    }
    k = index.Entry(k).next;
  }
  return 0;
}

// The tower of that place that the query names, or 0.
int32_t FindTower(const TowerQuery& q) {
  CTowerIndex& index = TowerIndex();
  std::vector<std::pair<int32_t, const CTower*>> candidates;  // key, identity at the date
  int32_t k = index.FindEntry(q.place, 0);
  for (int32_t steps = 0; k > 0 && steps < index.Count(); ++steps) {
    const auto* tower = dynamic_cast<const CTower*>(index.Lookup(k));
    if (!tower || !EqualsNoCase(tower->place, q.place)) break;
    const CTower& identity = tower->IdentityAt(q.date);
    if (!q.steeplexRule || tower->steeplexKey == 0) {
      if (EqualsNoCase(identity.place, q.place) && CountyMatches(q, identity.county) &&
          identity.dedication == q.dedication) {
        return k;
      }
      candidates.emplace_back(k, &identity);
    } else if (q.sxKey != 0 && q.sxKey == tower->steeplexKey) {
      return k;
    }
    k = index.Entry(k).next;
  }
  if (q.date != 0) {
    if (const int32_t renamed = FindRenamedTower(q); renamed != 0) return renamed;
  }
  if (q.noWeightMatch) return 0;
  // One candidate of the same county and a close tenor is taken, but only when every candidate
  // has a dedication: one without might be the same tower, its dedication not recorded.
  int32_t match = 0;
  int matches = 0;
  bool allDedicated = true;
  for (const auto& [key, tower] : candidates) {
    if (tower->dedication == 0) allDedicated = false;
    const bool sameCounty = tower->county == q.county ||
                            (q.hiddenCountyMatches && q.county == 0 && tower->hideCounty);
    if (sameCounty && WeightsClose(tower->tenorWeight, q.weight)) {
      ++matches;
      match = key;
    }
  }
  return (matches == 1 && allDedicated) ? match : 0;
}

// A found tower gives way to the tower that replaced it, and lends its weight to the caller's
// when close.
int32_t Settle(int32_t found, bool noWeightMatch, uint16_t& weight) {
  const auto* tower = dynamic_cast<const CTower*>(TowerIndex().Lookup(found));
  if (tower && tower->link) {
    found = tower->link;
    tower = dynamic_cast<const CTower*>(TowerIndex().Lookup(found));
  }
  if (!noWeightMatch && tower && WeightsClose(tower->tenorWeight, weight)) {
    weight = tower->tenorWeight;
  }
  return found;
}

int32_t AddTower(std::string_view place, uint8_t county, int32_t dedication, File* log) {
  auto tower = std::make_unique<CTower>();
  tower->place = place;
  tower->county = county;
  tower->dedication = dedication;
  CTower* added = tower.get();
  const int32_t key = TowerIndex().InsertNew(std::move(tower));
  if (log) log->Write(" ->" + added->GetName(1) + " ");
  return key;
}

}  // namespace

int32_t FindOrAddTower(int32_t sxKey, std::string_view place, std::string_view countyText,
                       std::string_view dedicationText, bool noWeightMatch, uint16_t& weight,
                       Date date) {
  if (sxKey != 0) {
    if (const int32_t tied = TowerOf(sxKey); tied != 0) return tied;
  }
  TowerQuery query{.place = place,
                   .date = date,
                   .county = FindOrAddCounty(countyText, nullptr),
                   .countyNamed = !Trimmed(countyText).empty(),
                   .dedication = FindOrAddDedication(dedicationText),
                   .sxKey = sxKey,
                   .noWeightMatch = noWeightMatch,
                   .weight = weight};
  int32_t result = FindTower(query);
  if (result == 0) {
    result = AddTower(place, query.county, query.dedication, nullptr);
  } else {
    result = Settle(result, noWeightMatch, weight);
  }
  if (sxKey != 0) LinkSteeplex(sxKey, result);
  return result;
}

int32_t FindOrAddTowerText(std::string_view text, bool noWeightMatch, uint16_t& weight,
                           int32_t sxKey, File* log, Date date) {
  if (sxKey != 0) {
    if (const int32_t tied = TowerOf(sxKey); tied != 0) return tied;
  }
  std::string place(text);
  std::string countyText;
  std::string dedicationText;
  if (const size_t comma = place.find(','); comma != std::string::npos) {
    std::string rest = place.substr(comma + 1);
    place.erase(comma);
    const size_t second = rest.find(',');
    countyText = rest.substr(0, second);
    if (second != std::string::npos) dedicationText = rest.substr(second + 1);
  }
  TrimSpaces(place);
  TrimSpaces(countyText);
  TrimSpaces(dedicationText);

  const uint8_t county = FindCounty(countyText, true);
  // A second part that names no county is the start of the dedication (Cathedral, St Paul).
  if (county == 0 && !countyText.empty()) {
    dedicationText = dedicationText.empty() ? countyText : countyText + ", " + dedicationText;
  }
  TowerQuery query{.place = place,
                   .date = date,
                   .county = county,
                   .dedication = FindOrAddDedication(dedicationText),
                   .sxKey = sxKey,
                   .steeplexRule = false,
                   .hiddenCountyMatches = true,
                   .noWeightMatch = noWeightMatch,
                   .weight = weight};
  int32_t result = FindTower(query);
  if (result == 0) {
    result = AddTower(place, county, query.dedication, log);
  } else {
    result = Settle(result, noWeightMatch, weight);
  }
  if (sxKey != 0) LinkSteeplex(sxKey, result);
  return result;
}

}  // namespace tv
