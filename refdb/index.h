// One index of the reference database: its file pair, its sorting tree threaded in order, and
// the cache of objects already read.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/file_system.h"
#include "refdb/ind_obj.h"
#include "refdb/index_format.h"

namespace tv {

class CSGMLFile;

class CIndex {
 public:
  // Opens the index `name` in `directory` (ending in a separator), creating or converting its
  // files as needed. A file that exists but cannot be read, or a data file missing while the
  // index names entries, is reported and leaves the index read-only.
  CIndex(std::string name, std::string directory);
  // An index in memory only, over another index's objects: empty table of the same count.
  explicit CIndex(CIndex& other);
  virtual ~CIndex();
  CIndex(const CIndex&) = delete;
  CIndex& operator=(const CIndex&) = delete;

  // Kinds complete their opening here (the constructor cannot call NewObject). When the index
  // file is missing, cut short or does not agree with the data file, the table is rebuilt from
  // the data file's records (the last copy of each key wins) and the user is told; an index
  // that opened empty with no records to rebuild from reads its backup when `loadBackup`.
  // New keys are given out beyond every key either file holds.
  void Open(bool loadBackup);

  // --- the operations each kind may replace ---
  virtual int CompareEntry(int32_t key, std::string_view text, bool exact);
  // The key a typed text names: the nearest entry at or after it, 0 past the end. With
  // `numeric` nonzero a text of digits and brackets is taken as the key itself.
  virtual int32_t FindEntry(std::string_view text, int32_t numeric);
  virtual bool CanFindNext() const { return false; }
  virtual bool CanImport() const { return false; }
  virtual void ImportSgml(CSGMLFile& file) { (void)file; }
  virtual std::unique_ptr<CIndObj> NewObject() = 0;
  virtual std::string CsvHeader() const { return "\"key\",\"name\""; }

  // --- entries and objects ---
  // The entry's object, read and cached on first use; null for 0, keys past `count` and free
  // keys. The index owns it.
  CIndObj* Lookup(int32_t key);
  // The object's GetName(variant), or "#" and the key when there is none.
  std::string NameOf(int32_t key, int variant);
  int32_t FindName(std::string_view text) { return FindEntry(text, 0); }
  int SetChosen(int32_t key, int flag);
  // Puts an object in sorted order. With key 0 a new key is allocated and the index takes
  // ownership of `object` (which must come from new). With `relink` an existing entry is first
  // unlinked.
  int32_t Insert(CIndObj* object, int32_t key, bool relink);
  // Adds a new object under a new key and gives the key.
  int32_t InsertNew(std::unique_ptr<CIndObj> object) { return Insert(object.release(), 0, false); }
  // Caches the object under `key` (replacing any object there), marks it dirty and sorts it in.
  // Gives 0 and takes nothing for a key below 1 or beyond 2^20 - 1, which only damage gives.
  int32_t AddWithKey(std::unique_ptr<CIndObj> object, int32_t key);
  // Deletes the entry; gives the key that followed it in order.
  int32_t Remove(int32_t key);
  int32_t EditEntry(int32_t key, bool runDialog);
  void DisplayEntry(int32_t key);
  void MarkDirty(int32_t key);
  void MarkUsed(int32_t key);
  void ChangeKey(int32_t key, int32_t newKey);
  int CompareObject(int32_t key, const CIndObj* object);
  void WriteObject(Archive& out, int32_t key);
  int32_t StepBack(int32_t key, int n);
  int32_t StepForward(int32_t key, int n);
  int32_t ParentOf(int32_t key);
  int SubtreeSize(int32_t key);

  // --- files ---
  // Writes changed records and the index file, when modified.
  void Save();
  void OpenForUpdate();
  void CloseAfterUpdate();
  // Recomputes every parent, prev and next from the left/right links. The table of an index
  // in memory then ends at the tree's highest key; one of files keeps its length, so keys
  // beyond the tree stay spent.
  void Rethread();
  // Writes every live record in sorted order into `data` (entries the thread misses after it)
  // and a matching table into `index`.
  void WriteCompacted(File& data, File& index);
  void LoadBackup(const std::string& name);
  void ReadObjectsFrom(File& file);
  void InsertRange(int32_t lo, int32_t hi);

  // --- maintenance (the chooser's File menu) ---
  void RebuildTree();
  void CheckLinks();
  int32_t Purge(int32_t key);
  // Compacts into fresh files, keeping the previous pair as N".old"/N".odx". False when the new
  // files could not be written; the index is then unchanged.
  bool Compact();
  void WriteSgml();
  void WriteCsv();
  // Re-sorts the tree into balanced shape when its links are sound; false for a damaged tree.
  bool Rebalance();

  // --- state ---
  int32_t Count() const { return static_cast<int32_t>(m_table.size()); }
  const IndexEntry& Entry(int32_t key) const;
  int32_t Root() const { return m_table.empty() ? 0 : m_table[0].left; }
  int32_t First() const { return m_table.empty() ? 0 : m_table[0].next; }
  int32_t Last() const { return m_table.empty() ? 0 : m_table[0].prev; }
  bool Modified() const { return m_modified; }
  const std::string& Name() const { return m_name; }
  const std::string& DataPath() const { return m_dataPath; }
  const std::string& IndexPath() const { return m_indexPath; }
  bool InMemory() const { return m_dataPath.empty(); }
  // True when a file of the pair could not be read, or the data file is missing: the index
  // can be read as far as it goes, but saves and compaction leave its files alone.
  bool ReadOnly() const { return m_readOnly; }

 protected:
  // The entry for `key`, raising count to key + 1 when needed.
  IndexEntry& At(int32_t key);
  // A key that new entries never get (0 for none).
  void ReserveKey(int32_t key) { m_reservedKey = key; }
  // The entry's link read safely: a link beyond count reads as 0.
  int32_t Checked(int32_t link) const { return (link > 0 && link < Count()) ? link : 0; }

 private:
  struct Cache {
    std::vector<std::unique_ptr<CIndObj>> objects;
  };

  CIndObj* Cached(int32_t key) const;
  void SetCached(int32_t key, std::unique_ptr<CIndObj> object);
  void ReadTable();
  void CreateDataFile();
  void MakeReadOnly(const std::string& path, FileErrorCause cause);
  // Why the table cannot be trusted against the data file's bytes, or "" when it can.
  std::string TableFault(std::string_view data) const;
  // A fresh table over the records: key -> position of its last record.
  void RebuildFromRecords(const std::map<int32_t, int32_t>& last, const std::string& fault,
                          bool keepFreeKeys);
  // Tells once per run that a save was not made because the index is read-only.
  bool RefuseWhenReadOnly();
  void ConvertOldPair(File& oldIndex, File& oldData);
  File* DataForReading();
  void DropReadHandle();
  void WriteTable(File& file, int32_t entries);
  // Writes the object as the record of entry `key`, whatever key a Global Edit has redirected the
  // object to: a data file never holds a second record under another entry's key, which the
  // check at opening would take for damage and a rebuild would let replace that entry.
  static void WriteRecordAs(Archive& out, CIndObj& object, int32_t key);
  void ReinsertForBalance(int32_t key, int depth);
  bool CollectInOrder(int32_t root, std::vector<int32_t>& keys) const;
  int32_t BuildBalanced(const std::vector<int32_t>& keys, size_t lo, size_t hi, int32_t parent);
  void ReportMissing(const std::string& path, const char* what);

  std::string m_name;
  std::string m_dataPath;
  std::string m_indexPath;
  std::vector<IndexEntry> m_table;
  std::vector<uint8_t> m_chosen;
  std::shared_ptr<Cache> m_cache;
  bool m_modified = false;
  bool m_readOnly = false;
  int32_t m_reservedKey = 0;
  bool m_readOnlyTold = false;
  bool m_indexMissing = false;    // no index file (and no older pair) at opening
  bool m_tableUnreadable = false;
  bool m_tableCut = false;        // the index file's length is not a whole number of entries
  bool m_dataMissingTold = false;
  std::unique_ptr<File> m_dataHeld;   // held open by OpenForUpdate
  std::unique_ptr<File> m_indexHeld;
  std::unique_ptr<File> m_dataRead;   // a read handle kept between lookups
};

}  // namespace tv
