// The peal ledger document (CTolvaneDoc): the ledger with its buffers, its file, and the
// commands of the Peal, List, Buffers and File menus.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/status.h"
#include "peals/peal_ledger.h"
#include "peals/selection_state.h"

namespace tv {

class CPealEntry;
class CGlobal;

// The windows that show a ledger: the current-peal window and the peal lists.
class CLedgerViews {
 public:
  virtual ~CLedgerViews() = default;
  // The current-peal window shows this peal; null for none.
  virtual void ShowPeal(const CPeal* peal) = 0;
  virtual void RedrawAll() = 0;
};

// Selection criteria the ledger sets: the dialog's first choice, and Date after a reload or a
// rearrangement of the buffers.
inline constexpr int kCriterionRinger = 7;
inline constexpr int kCriterionDate = 14;
// Peals moved by Page Back / Page Forward in the peal list and in the current-peal window.
inline constexpr int kListPage = 25;
inline constexpr int kPealWindowPage = 5;

class CTolvaneDoc : public CPealLedger {
 public:
  CTolvaneDoc() = default;
  // Saves every index when the index set is open: the ledger lives as long as the program.
  ~CTolvaneDoc() override;

  // --- showing and moving ---
  // Makes an existing buffer current and shows its current peal. True when there is no peal to
  // show (also for a buffer that does not exist, which is left alone).
  bool ShowBuffer(int buffer);
  void SetPosition(int buffer, uint32_t pealNumber);
  // Shows the current buffer's peal, or nothing when the current buffer does not exist.
  void ShowCurrent();
  // Moves the current buffer's position n peals along its thread, stopping at the ends.
  void MoveForward(int n);
  void MoveBack(int n);
  // The current buffer's current peal, when it is in that buffer; 0 otherwise.
  uint32_t ActivePeal() const;

  // --- Peal menu ---
  // A peal for entry: the next peal number and today's date.
  std::unique_ptr<CPeal> MakePealForEntry() const;
  // "New": runs the Peal Details dialog for a peal made for entry; on OK the peal joins the
  // ledger (AddNewPeal) and its changed names are resolved through the chooser (peal_entry.cpp).
  void New();
  // The OK half of New: the entered peal joins the ledger under the next number, goes into
  // buffer 1 and becomes the current buffer's position. Gives its number.
  uint32_t AddNewPeal(std::unique_ptr<CPeal> peal);
  // Moves the current peal to the deleted-peals buffer.
  void Delete();
  // Moves the current peal to the next buffer, made when it does not exist.
  void Transfer();
  void Back() { MoveBack(1); }
  void Forward() { MoveForward(1); }
  void PageBack(int page = kListPage) { MoveBack(page); }
  void PageForward(int page = kListPage) { MoveForward(page); }
  void Top();
  void Bottom();

  // --- List menu ---
  // "Select" and "Global Edit" (selection.cpp, global_edit.cpp).
  void Select();
  void GlobalEdit();
  // Runs the "Enter Date" dialog and goes to the date typed.
  void Goto();
  // The current buffer's position becomes the peal nearest the date.
  void GotoDate(Date date);
  // Marks used every person the current buffer's peals name, and every equivalence target.
  void MarkSet();

  // --- Buffers menu ---
  void Swap();
  void Rotate();
  void Combine();
  void Clear();
  void All();
  void Undelete();

  // --- File ---
  // Loads the ledger (see ReadLedgerFile). On failure the platform shows the standard message
  // and the ledger is unchanged; so too, with BadData, for a file that is not a ledger (no peal
  // record at its start, CheckLedgerStart); a file read only in part is reported but its peals are kept,
  // and the original file is kept as LEDGER".bak" before a save first overwrites it. Then the
  // ledger's equivalences are read and its directory becomes the default.
  Status Open(const std::string& path);
  // The ledger half of Open, without messages. BadData: not a ledger, and nothing changed.
  Status Load(const std::string& path);
  // Saves every buffer under the ledger's name (a name ending in "0" becomes one ending in
  // "3"), asking for a name when there is none. Cancel of that prompt gives Usage.
  Status Save();
  // Saves only the current buffer under a name asked for.
  Status SaveAs();
  // Writes the buffers the saveAllBuffers setting names to `path`; then, whether or not that
  // worked, writes the equivalences, remembers the directory and saves every index.
  Status SaveDocument(const std::string& path);

  std::string pathName;          // the ledger's file; empty for a new ledger
  bool modified = false;
  bool saveAllBuffers = true;    // false after Save As: only the current buffer is written
  int selectCriterion = kCriterionRinger;
  std::string defaultDirectory;  // where file prompts open
  CLedgerViews* views = nullptr; // not owned
  CSelectionState selection;     // the Select Peals dialog as last left
  CDocTgt docTarget{*this};      // receives the choices made for a selection
  std::shared_ptr<CPealEntry> pealEntry;  // the entry dialogs' run-wide state, made on first use
  std::shared_ptr<CGlobal> globalEdit;    // the last Global Edit, until the next

 private:
  void Redraw();
  // Moves the current peal into `target`, stepping the current position off it.
  bool MoveActivePeal(int target);
  void RemoveBuffer(int buffer);

  std::string m_partialPath;  // a file read only in part, backed up before it is overwritten
};

}  // namespace tv
