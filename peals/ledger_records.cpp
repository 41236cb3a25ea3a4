// The master peal array: peals stored, replaced, changed and discarded with their columns kept
// in step, and the records of a loaded file read from its bytes when first asked for.
#include <algorithm>

#include "core/large_pages.h"
#include "peals/peal_ledger.h"

namespace tv {

CPealLedger::CPealLedger() { ResetLedger(); }

void CPealLedger::ResetLedger() {
  m_entries.clear();
  m_entries.emplace_back();
  m_peals.clear();
  m_peals.emplace_back();
  m_columns.Clear();
  m_bytes.reset();
  m_recordAt.clear();
  m_bytesLength = 0;
  m_unread = 0;
  lastPealNumber = 0;
  bufferRoots.assign(2, 0);
  bufferPositions.assign(2, 0);
  currentBuffer = kMainBuffer;
}

CPeal* CPealLedger::PealAt(uint32_t pealNumber) const {
  if (pealNumber >= m_peals.size()) return nullptr;
  std::unique_ptr<CPeal>& peal = m_peals[pealNumber];
  if (!peal && pealNumber != 0 && m_columns.Stored(pealNumber)) {
    peal = ReadRecord(pealNumber);
    RecordRead();
  }
  return peal.get();
}

std::unique_ptr<CPeal> CPealLedger::UnreadCopy(uint32_t pealNumber) const {
  if (pealNumber == 0 || pealNumber >= m_peals.size() || m_peals[pealNumber] ||
      !m_columns.Stored(pealNumber)) {
    return nullptr;
  }
  return ReadRecord(pealNumber);
}

std::unique_ptr<CPeal> CPealLedger::ReadRecord(uint32_t pealNumber) const {
  auto peal = std::make_unique<CPeal>();
  const size_t at = m_recordAt[pealNumber];
  // The record was read whole when the file was adopted, so it reads whole again.
  peal->ParseRecord(std::string_view(m_bytes.get() + at, m_bytesLength - at), m_bytesOldForm);
  peal->pealNumber = pealNumber;
  return peal;
}

void CPealLedger::RecordRead() const {
  if (m_unread > 0 && --m_unread == 0) {
    m_bytes.reset();
    m_recordAt = {};
  }
}

void CPealLedger::AdoptRecords(std::unique_ptr<char[]> bytes, size_t length, bool oldForm,
                               uint64_t& stoppedAt) {
  ResetLedger();
  const std::string_view all(bytes.get(), length);
  // A record of a real ledger takes some fifty bytes; the arrays grow past this if need be.
  const uint32_t expected = static_cast<uint32_t>(std::min<size_t>(length / 40 + 1, UINT32_MAX - 1));
  m_columns.Reserve(expected);
  // Each ringer key takes at least two bytes of a record: the keys never outgrow this.
  m_columns.ringerKeys.reserve(length / 2);
  PreferLargePages(m_columns.ringerKeys);
  m_recordAt.reserve(static_cast<size_t>(expected) + 1);
  PreferLargePages(m_recordAt);
  m_recordAt.push_back(0);
  size_t at = 0;
  while (at < length) {
    const uint32_t number = lastPealNumber + 1;
    try {
      const size_t taken = m_columns.ParseInto(number, all.substr(at), oldForm);
      m_recordAt.push_back(static_cast<uint32_t>(at));
      at += taken;
    } catch (const FileError&) {
      break;
    }
    lastPealNumber = number;
  }
  stoppedAt = at;
  m_entries.reserve(static_cast<size_t>(lastPealNumber) + 1);
  PreferLargePages(m_entries);
  m_entries.resize(static_cast<size_t>(lastPealNumber) + 1);
  m_peals.reserve(static_cast<size_t>(lastPealNumber) + 1);
  PreferLargePages(m_peals);
  m_peals.resize(static_cast<size_t>(lastPealNumber) + 1);
  m_unread = lastPealNumber;
  if (m_unread > 0) {
    m_bytes = std::move(bytes);
    m_bytesLength = length;
    m_bytesOldForm = oldForm;
  } else {
    m_recordAt.clear();
  }
}


uint32_t CPealLedger::AddPeal(std::unique_ptr<CPeal> peal) {
  const uint32_t number = lastPealNumber + 1;
  peal->pealNumber = number;
  if (m_entries.size() <= number) m_entries.resize(number + 1);
  if (m_peals.size() <= number) m_peals.resize(number + 1);
  m_entries[number] = CPindex{};
  m_columns.Set(number, *peal);
  m_peals[number] = std::move(peal);
  lastPealNumber = number;
  return number;
}

std::unique_ptr<CPeal> CPealLedger::ReplacePeal(uint32_t pealNumber,
                                                std::unique_ptr<CPeal> peal) {
  if (!IsPeal(pealNumber) || !peal) return nullptr;
  PealAt(pealNumber);  // the record replaced is given back whole
  peal->pealNumber = pealNumber;
  m_columns.Set(pealNumber, *peal);
  std::swap(m_peals[pealNumber], peal);
  return peal;
}

void CPealLedger::PealChanged(uint32_t pealNumber) {
  if (const CPeal* peal = IsPeal(pealNumber) ? PealAt(pealNumber) : nullptr) m_columns.Set(pealNumber, *peal);
}

std::string CPealLedger::ColumnsDisagreement() const {
  const uint32_t last = std::max(lastPealNumber, m_columns.Size());
  for (uint32_t n = 1; n <= last; ++n) {
    // A record not read yet is compared as it will be read, and left unread.
    const std::unique_ptr<CPeal> unread = UnreadCopy(n);
    const CPeal* peal = unread ? unread.get() : (n < m_peals.size() ? m_peals[n].get() : nullptr);
    const std::string field = m_columns.Disagreement(n, peal);
    if (!field.empty()) return "peal " + std::to_string(n) + ": " + field;
  }
  return "";
}

void CPealLedger::DiscardPeal(uint32_t pealNumber) {
  if (pealNumber == 0 || pealNumber >= m_entries.size()) return;
  m_entries[pealNumber] = CPindex{};
  if (!m_peals[pealNumber] && m_columns.Stored(pealNumber)) RecordRead();
  m_peals[pealNumber].reset();
  m_columns.Erase(pealNumber);
}

}  // namespace tv
