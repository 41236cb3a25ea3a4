// The peals of a ledger and its numbered buffers: the master peal array (CPindex by peal number)
// and, per buffer, a search tree in ledger order threaded by prev/next links.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/dates.h"
#include "peals/peal_columns.h"
#include "peals/peal_record.h"

namespace tv {

// The node of one peal in its buffer's tree; links are peal numbers, 0 = none.
struct CPindex {
  uint32_t parent = 0;
  uint32_t left = 0;   // earlier peals
  uint32_t right = 0;  // later peals
  uint32_t prev = 0;   // previous peal of the buffer in ledger order
  uint32_t next = 0;   // next peal of the buffer in ledger order
};

inline constexpr int kDeletedBuffer = 0;
inline constexpr int kMainBuffer = 1;

class CPealLedger {
 public:
  // An empty ledger: buffers 0 and 1, both empty; buffer 1 current.
  CPealLedger();
  virtual ~CPealLedger() = default;
  CPealLedger(const CPealLedger&) = delete;
  CPealLedger& operator=(const CPealLedger&) = delete;

  // Discards every peal and buffer, leaving the state of a new ledger.
  void ResetLedger();

  // --- the master peal array ---
  // The peal numbered `pealNumber`, or null (number 0, past the last, or cleared away). A peal
  // loaded from a file is read from the file's bytes the first time it is asked for.
  CPeal* PealAt(uint32_t pealNumber) const;
  // A peal loaded from a file and not yet asked for, read afresh for one use without keeping
  // it; null for every other peal (which PealAt gives as it is).
  std::unique_ptr<CPeal> UnreadCopy(uint32_t pealNumber) const;
  // Makes the records of a whole ledger file, `length` bytes, the peals of an empty ledger
  // (numbered from 1, in no buffer): their columns are read now, the records when first asked
  // for. Stops at a record that the bytes end inside, and gives its offset in `stoppedAt` (the
  // length when every record was whole).
  void AdoptRecords(std::unique_ptr<char[]> bytes, size_t length, bool oldForm, uint64_t& stoppedAt);
  // The entry of a peal number; entry 0 (all links 0, no peal) for numbers out of range.
  const CPindex& Entry(uint32_t pealNumber) const {
    return pealNumber < m_entries.size() ? m_entries[pealNumber] : m_entries[0];
  }
  // Stores `peal` under the next peal number, in no buffer yet, and gives the number.
  uint32_t AddPeal(std::unique_ptr<CPeal> peal);
  // Puts `peal` in the place of the peal numbered `pealNumber`, under that number and in the
  // same buffer place, and gives back the peal it replaced (null when there was none, and then
  // nothing changes). The new peal must order exactly as the old one (same date and sequence).
  std::unique_ptr<CPeal> ReplacePeal(uint32_t pealNumber, std::unique_ptr<CPeal> peal);
  // Brings the columns up to date after the peal numbered `pealNumber` was changed in place.
  // Every change made through PealAt calls it; an order change also needs the peal re-placed.
  void PealChanged(uint32_t pealNumber);
  // The fields that selections and analyses read, by peal number.
  const CPealColumns& Columns() const { return m_columns; }
  // An empty text when the columns agree with every record; otherwise the first peal number
  // and field that differ.
  std::string ColumnsDisagreement() const;

  // --- buffers ---
  int BufferCount() const { return static_cast<int>(bufferRoots.size()); }
  bool BufferExists(int buffer) const { return buffer >= 0 && buffer < BufferCount(); }
  // The leftmost / rightmost peal of a buffer (0 when it is empty or does not exist).
  uint32_t FirstOf(int buffer) const;
  uint32_t LastOf(int buffer) const;
  // The buffer whose tree holds the peal, or -1.
  int BufferOf(uint32_t pealNumber) const;
  // The peals of a buffer in ledger order.
  std::vector<uint32_t> PealsOf(int buffer) const;
  // Puts one peal (in no buffer) into a buffer's tree at its place, as a new leaf.
  void InsertIntoBuffer(uint32_t pealNumber, int buffer);
  // Inserts peals first..last, middle first, so that peals in ledger order make a balanced tree.
  void BuildBuffer(uint32_t first, uint32_t last, int buffer);
  // Moves the peal and every peal under it in its tree into another buffer's tree. Sound when
  // the subtree's peals fit one empty slot of the target tree (a single peal, or a child
  // subtree moved back into the slot its parent left).
  void MoveSubtree(uint32_t pealNumber, int buffer);
  // Adds peals that are in no buffer to a buffer, each at its place in ledger order, as
  // inserting them one by one does (Combine, All); many are merged in one pass.
  void GatherIntoBuffer(const std::vector<uint32_t>& peals, int buffer);
  // Makes `peals`, in ledger order, the whole of a buffer: thread and balanced tree. The peals
  // must be in no other buffer's thread or tree afterwards (their links are overwritten).
  void LinkWholeBuffer(const std::vector<uint32_t>& peals, int buffer);
  // Moves one peal into another buffer, leaving the rest of its buffer in order. Insertion and
  // this rebuild a subtree balanced when the peal placed lies too deep, so that peals added in
  // ledger order one at a time cannot make a tree as deep as it is long.
  void MovePeal(uint32_t pealNumber, int buffer);
  // The current buffer's peal nearest to a date and sequence: the peal found, or the last one on
  // the search path; 0 for an empty buffer.
  uint32_t FindDate(Date date, uint8_t sequence) const;

  uint32_t lastPealNumber = 0;
  std::vector<uint32_t> bufferRoots;      // by buffer number: root peal, 0 = empty
  std::vector<uint32_t> bufferPositions;  // by buffer number: current peal, 0 = none
  uint16_t currentBuffer = kMainBuffer;

 protected:
  CPindex& At(uint32_t pealNumber) { return m_entries[pealNumber]; }
  bool IsPeal(uint32_t pealNumber) const { return pealNumber != 0 && m_columns.Stored(pealNumber); }
  // Removes a peal from the ledger for good: its entry keeps no peal and no links. The caller
  // has already taken it out of its buffer.
  void DiscardPeal(uint32_t pealNumber);

 private:
  // The empty child slot of `buffer` where `peal` belongs: the parent (0 for an empty tree) and
  // whether the slot is its right child.
  uint32_t FindSlot(int buffer, uint32_t pealNumber, bool& onRight) const;
  // Ledger order of two stored peals, from the columns: true when `a` comes before `b`.
  bool Before(uint32_t a, uint32_t b) const;
  // Reads the record of a peal not yet read (AdoptRecords) into a new peal.
  std::unique_ptr<CPeal> ReadRecord(uint32_t pealNumber) const;
  // Forgets the file's bytes once no record is left to read from them.
  void RecordRead() const;
  // True when first..last are all peals, in ascending ledger order.
  bool InLedgerOrder(uint32_t first, uint32_t last) const;
  // The depth beyond which a buffer's tree is out of balance somewhere on the path.
  uint32_t DepthLimit() const;
  uint32_t Depth(uint32_t pealNumber) const;
  // The number of peals in the subtree under (and including) `top`; 0 for none.
  uint32_t SubtreeSize(uint32_t top) const;
  // After a peal is placed in `buffer`'s tree: when it lies deeper than the limit, rebuilds the
  // subtree of the lowest ancestor out of balance into balanced shape (its thread unchanged).
  void KeepShallow(uint32_t placed, int buffer);
  void RebuildBalanced(uint32_t top, int buffer);
  // Links `peals` (in ledger order) as a balanced tree under `parent` on the given side, or as
  // the buffer's whole tree when `parent` is 0. Their prev/next links are left as they are.
  void LinkBalanced(const std::vector<uint32_t>& peals, uint32_t parent, bool onRight, int buffer);
  // Links peals[lo..hi] as the balanced subtree under `parent` (its root the middle peal), and
  // with `thread` also threads each to its neighbours in `peals`.
  void LinkRange(const std::vector<uint32_t>& peals, size_t lo, size_t hi, uint32_t parent, bool thread);

  std::vector<CPindex> m_entries;  // entry 0 is permanent and empty
  // The records by peal number; null for none, and for a record not yet read from m_bytes.
  mutable std::vector<std::unique_ptr<CPeal>> m_peals;
  CPealColumns m_columns;
  // The bytes of the ledger file loaded, while some record in it is still to be read, with
  // each such record's offset by peal number.
  mutable std::unique_ptr<char[]> m_bytes;
  mutable std::vector<uint32_t> m_recordAt;
  size_t m_bytesLength = 0;
  bool m_bytesOldForm = false;
  mutable size_t m_unread = 0;
};

}  // namespace tv
