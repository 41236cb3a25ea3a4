// The index chooser: one index shown as a page of rows around the current entry, positioned by a
// typed text; the user browses and maintains the index, then chooses an entry or cancels, and
// whoever started the chooser is told the key through OnChosen.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/doc_window.h"
#include "core/platform.h"
#include "refdb/index.h"

namespace tv {

struct ChooserRow {
  int32_t key = 0;
  std::string text;          // a display line: it may begin with a colour prefix
  bool current = false;      // drawn with text and background colours exchanged
  bool beyondCount = false;  // drawn in green: the key is not below the index's count
};

inline constexpr int kChooserRows = 25;
inline constexpr int kChooserRowsAbove = 5;
inline constexpr int kChooserPage = 10;
inline constexpr std::string_view kNothingHighlighted =
    "No entry is highlighted. Move to the entry to choose, make one with New, or Cancel.";

class CLedgerViews;

// The entry a chooser opens on for a text: the entry that a dialog shows by exactly that text
// (an association's name or short form, a method's title or name, a person's full name), else
// the nearest entry of the index's own search.
int32_t FindShownEntry(CIndex& index, const std::string& text);

class CChooseDoc {
 public:
  // Opens the chooser over `index` at the entry the text names (FindShownEntry), taking the
  // keyboard. With an empty text the target is told 0 at once and nothing is shown.
  void Start(ChoiceTarget* target, CIndex* index, const std::string& text, const std::string& title);

  // The rows to draw: up to five entries before the current one, then 25 rows in order; the
  // header entry takes no row, so a short index repeats.
  std::vector<ChooserRow> Page();
  const std::string& Title() const { return m_title; }

  // File menu
  void Save();
  void Index();
  void Audit();
  // Removes every entry not marked used, after saying how many that is and asking to go on.
  void Purge();
  void Sgml();
  void Table();
  void Import();
  bool CanImport() const { return m_index && m_index->CanImport(); }
  // Import XML: the methods library into the method index, shown in this chooser.
  void ImportXml();
  bool CanImportXml() const;
  // Item menu
  void New();
  void Edit();
  void Display();
  void Delete();
  void Reorder();
  void Back() { Move(-1); }
  void Forward() { Move(1); }
  void PageBack() { Move(-kChooserPage); }
  void PageForward() { Move(kChooserPage); }
  void Find();
  void FindNext();
  bool CanFindNext() const { return m_index && m_index->CanFindNext(); }
  // Reports the highlighted entry; with none highlighted it says so and the chooser stays open.
  void Choose();
  void Cancel();
  // Keys menu
  void ToggleLinks();
  bool ShowLinks() const { return m_showLinks; }

  bool HasIndex() const { return m_index != nullptr; }
  CIndex* GetIndex() const { return m_index; }
  int32_t Current() const { return m_current; }
  const std::string& SearchText() const { return m_searchText; }
  ChoiceTarget* Target() const { return m_target; }

  CDocWindow* window = nullptr;  // not owned
  CLedgerViews* views = nullptr;  // the peal windows, redrawn when entries change; not owned

 private:
  void Move(int steps);
  void Redraw();
  void EntriesChanged();
  void Finish(int32_t key);

  ChoiceTarget* m_target = nullptr;
  CIndex* m_index = nullptr;
  int32_t m_current = 0;
  std::string m_searchText;
  std::string m_title = "Select";
  bool m_showLinks = false;
};

}  // namespace tv
