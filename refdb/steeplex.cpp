// External tower records (Steeplex), their strings, and the cross-reference to our towers.
#include "refdb/steeplex.h"

#include "refdb/assoc.h"
#include "refdb/index_set.h"
#include "refdb/tower.h"

namespace tv {

std::unique_ptr<CIndObj> CSteeplexIndex::NewObject() { return std::make_unique<CSteeplex>(); }

std::string StringText(int n, int32_t key) {
  if (n < 0 || n >= kSteeplexStringCount || key <= 0) return {};
  const CIndObj* entry = SteeplexStrings(n).Lookup(key);
  return entry ? entry->GetName(0) : std::string();
}

CSteeplex* SteeplexRecord(int32_t sxKey) {
  if (sxKey <= 0) return nullptr;
  return dynamic_cast<CSteeplex*>(SteeplexIndex().Lookup(sxKey));
}

int32_t CSteeplexXref::TowerOf(int32_t sxKey) const {
  if (sxKey < 0 || static_cast<size_t>(sxKey) >= m_towers.size()) return 0;
  return m_towers[static_cast<size_t>(sxKey)];
}

void CSteeplexXref::Set(int32_t sxKey, int32_t towerKey) {
  if (sxKey < 0 || sxKey > 0xFFFF) return;
  const auto at = static_cast<size_t>(sxKey);
  if (at >= m_towers.size()) m_towers.resize(at + 1, 0);
  m_towers[at] = static_cast<uint16_t>(towerKey);
  m_changed = true;
}

void CSteeplexXref::Clear() {
  m_towers.assign(1, 0);
  m_changed = false;
}

CSteeplexXref& SteeplexXref() {
  static CSteeplexXref xref;
  return xref;
}

int32_t TowerOf(int32_t sxKey) { return SteeplexXref().TowerOf(sxKey); }

void LinkSteeplex(int32_t sxKey, int32_t towerKey) {
  if (const int32_t holder = TowerOf(sxKey); holder != 0) {
    if (auto* tower = dynamic_cast<CTower*>(TowerIndex().Lookup(holder))) tower->SetSteeplex(0);
  }
  if (towerKey != 0) {
    auto* tower = dynamic_cast<CTower*>(TowerIndex().Lookup(towerKey));
    if (tower) tower->SetSteeplex(sxKey);
  }
  SteeplexXref().Set(sxKey, towerKey);
}

}  // namespace tv
