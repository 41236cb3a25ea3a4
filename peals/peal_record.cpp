// The peal record: its two forms, its order, its shown texts and its references.
#include "peals/peal_record.h"

#include "core/text.h"
#include "refdb/composition.h"
#include "refdb/index_set.h"
#include "refdb/person.h"

namespace tv {
namespace {

// The year of a peal's date for Ringing World references; 1600 when there is no date.
int PealYear(Date date) { return date == 0 ? 1600 : SplitDate(date).year; }

std::string PoundsAsWeight(uint32_t pounds) {
  return std::to_string(pounds / 112) + "-" + std::to_string((pounds / 28) % 4) + "-" +
         std::to_string(pounds % 28);
}

}  // namespace

std::unique_ptr<CPeal> CPeal::ForEntry(uint32_t number) {
  auto peal = std::make_unique<CPeal>();
  peal->pealNumber = number;
  peal->date = Today();
  return peal;
}

int CPeal::CompareOrder(const CPeal& other) const {
  if (const int byDate = SignOf(static_cast<int64_t>(date) - other.date); byDate != 0) return byDate;
  if (const int bySequence = SignOf(static_cast<int64_t>(sequence) - other.sequence); bySequence != 0) {
    return bySequence;
  }
  // Peal numbers are unique within a ledger, so two different peals never compare equal.
  return SignOf(static_cast<int64_t>(pealNumber) - other.pealNumber);
}

int CPeal::CompareDate(Date wantedDate, uint8_t wantedSequence) const {
  if (const int byDate = SignOf(static_cast<int64_t>(wantedDate) - date); byDate != 0) return byDate;
  if (wantedSequence == 0) return -1;
  return SignOf(static_cast<int64_t>(wantedSequence) - sequence);
}

bool CPeal::SameDateAndTower(const CPeal& other, bool& sameDate) const {
  sameDate = date == other.date;
  return sameDate && tower == other.tower;
}

int32_t CPeal::RwPageNumber(bool full) const {
  if (rwPage < 2000 && !full) return rwPage;
  return (rwPage & 0xFFF) + ((PealYear(date) % 100) + (rwPage >> 12)) * 10000;
}

void CPeal::SetRwPage(int32_t value) {
  if (value < 10000) {
    rwPage = static_cast<uint16_t>(value);
    return;
  }
  const int32_t yearOffset = value / 10000 - PealYear(date) % 100;
  rwPage = static_cast<uint16_t>(static_cast<uint32_t>(yearOffset) * 0x1000 + value % 10000);
}

bool CPeal::RwPageFits(int64_t value) const {
  constexpr int64_t kPageLimit = 0x1000;  // the page's 12 bits
  constexpr int64_t kYearOffsets = 16;    // the year offset's 4 bits
  if (value < 0) return false;
  if (value < 10000) return value < kPageLimit;
  const int64_t yearOffset = value / 10000 - PealYear(date) % 100;
  return yearOffset >= 0 && yearOffset < kYearOffsets && value % 10000 < kPageLimit;
}

std::string CPeal::TenorText() const {
  return handbell ? std::to_string(tenor) : PoundsAsWeight(tenor);
}

std::string CPeal::BellText(int position) const {
  if (!handbell) return std::to_string(position + 1);
  return std::to_string(2 * position + 1) + "-" + std::to_string(2 * position + 2);
}

void CPeal::MarkPersonsUsed() const {
  CPersonIndex& persons = PersonIndex();
  auto mark = [&persons](uint32_t key) {
    if (key != 0) persons.MarkUsed(static_cast<int32_t>(key));
  };
  mark(composer);
  mark(arranger);
  mark(generatedBy);
  mark(conductor);
  if (composition != 0) {
    // The composition index holds only compositions.
    if (const CIndObj* object = CompIndex().Lookup(static_cast<int32_t>(composition))) {
      mark(static_cast<uint32_t>(static_cast<const CComposition*>(object)->composer));
    }
  }
  for (const uint32_t ringer : ringers) mark(ringer);
}

void CPeal::StoreChosen(PealNameField field, int position, int32_t key) {
  const auto k = static_cast<uint32_t>(key);
  switch (field) {
    case PealNameField::Association: association = static_cast<uint8_t>(k); break;
    case PealNameField::Tower: tower = k; break;
    case PealNameField::Method: method = k; break;
    case PealNameField::Composer: composer = k; break;
    case PealNameField::Arranger: arranger = k; break;
    case PealNameField::GeneratedBy: generatedBy = k; break;
    case PealNameField::Composition: composition = k; break;
    case PealNameField::Conductor: conductor = k; break;
    case PealNameField::Ringer: SetRinger(position, k); break;
  }
}

void CPeal::SetRinger(int position, uint32_t key) {
  if (position < 0) return;
  const auto at = static_cast<size_t>(position);
  if (key == 0) {
    if (at >= ringers.size()) return;
    ringers[at] = 0;
    while (!ringers.empty() && ringers.back() == 0) ringers.pop_back();
    return;
  }
  if (at >= ringers.size()) ringers.resize(at + 1, 0);
  ringers[at] = key;
}

void CPeal::OnChosen(int32_t key) {
  if (!entry) return;
  PealNameField field{};
  int position = 0;
  if (!entry->TakeChangedField(field, position)) return;
  StoreChosen(field, position, key);
  entry->AfterChoice(field, position, key);
}

void CPeal::SetPositioned(int list, size_t position, std::string text) {
  std::vector<std::string>& entries = extras[static_cast<size_t>(list)];
  if (entries.size() <= position) entries.resize(position + 1);
  entries[position] = std::move(text);
}

bool CPeal::NeedsWideRingerKeys() const {
  for (const uint32_t ringer : ringers) {
    if (ringer > 0xFFFF) return true;
  }
  return false;
}

}  // namespace tv
