// The index chooser's state and commands.
#include "app/chooser_doc.h"

#include <algorithm>
#include <exception>
#include <vector>

#include "core/dialog_model.h"
#include "core/services.h"
#include "core/sgml_file.h"
#include "core/text.h"
#include "peals/tolvane_doc.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/method_xml.h"
#include "refdb/person.h"

namespace tv {
namespace {

class CFindDlg : public DialogModel {
 public:
  explicit CFindDlg(const std::string& text) : DialogModel("Search for Item") {
    AddText("find", "Find?", text, 50);
  }
};

// Runs an index operation, reporting any failure that escapes it with the chooser's message.
template <typename Operation>
void Guarded(const char* message, Operation&& operation) {
  try {
    operation();
  } catch (const std::exception&) {
    ThePlatform().Message(message);
  }
}

// Entries walked past a search's landing place while looking for one that a text names whole.
constexpr int kSameNameWalk = 500;
// Up to this many entries an index is also searched entry by entry.
constexpr int32_t kScanLimit = 2000;

// Whether the entry is shown in dialogs by exactly this text (letters compared without case).
bool ShowsAs(CIndex& index, int32_t key, std::string_view text) {
  if (key <= 0 || key >= index.Count()) return false;
  const CIndObj* object = index.Lookup(key);
  if (!object) return false;
  if (const auto* person = dynamic_cast<const CPerson*>(object)) {
    return CompareNoCase(person->FullName(), text) == 0;
  }
  if (const auto* named = dynamic_cast<const CIndStr*>(object);
      named && CompareNoCase(named->abbreviation, text) == 0) {
    return true;
  }
  return CompareNoCase(object->GetName(0), text) == 0;
}

// From where the index's own search for `search` lands, the entry of that search that the
// text names whole.
int32_t WalkSameSearch(CIndex& index, std::string_view search, std::string_view text) {
  int32_t key = index.FindEntry(search, 0);
  for (int steps = 0; key > 0 && key < index.Count() && steps < kSameNameWalk; ++steps) {
    if (ShowsAs(index, key, text)) return key;
    const CIndObj* object = index.Lookup(key);
    if (!object || object->CompareText(search) != 0) break;
    key = index.Entry(key).next;
  }
  return 0;
}

// The search texts under which an index may keep the entry that a dialog shows as `text`: a
// method's title less its class and stage words, a person's initials and surname initial.
std::vector<std::string> SearchesFor(const std::string& text) {
  std::vector<std::string> searches;
  std::string words = text;
  for (size_t cut = words.rfind(' '); cut != std::string::npos && cut > 0; cut = words.rfind(' ')) {
    words.resize(cut);
    searches.push_back(words);
  }
  // A person's full name: prefix, first names and surname, with any suffix in brackets.
  std::string name = text;
  if (const size_t bracket = name.find(" ("); bracket != std::string::npos) name.resize(bracket);
  std::vector<std::string> parts;
  for (size_t at = 0; at < name.size();) {
    const size_t end = std::min(name.find(' ', at), name.size());
    if (end > at) parts.push_back(name.substr(at, end - at));
    at = end + 1;
  }
  for (size_t skip = 0; parts.size() >= 2 && skip + 2 <= parts.size() && skip <= 2; ++skip) {
    std::string key;
    for (size_t i = skip; i + 1 < parts.size(); ++i) key += parts[i].front();
    key += parts.back().front();
    searches.push_back(key);
  }
  return searches;
}

}  // namespace

int32_t FindShownEntry(CIndex& index, const std::string& text) {
  const int32_t nearest = index.FindEntry(text, 0);
  if (ShowsAs(index, nearest, text)) return nearest;
  if (const int32_t found = WalkSameSearch(index, text, text)) return found;
  for (const std::string& search : SearchesFor(text)) {
    if (const int32_t found = WalkSameSearch(index, search, text)) return found;
  }
  // Associations are sorted by their short form but shown by name: a small index is read
  // through.
  if (index.Count() <= kScanLimit) {
    for (int32_t key = 1; key < index.Count(); ++key) {
      if (index.Entry(key).offset != 0 && ShowsAs(index, key, text)) return key;
    }
  }
  return nearest;
}

void CChooseDoc::Start(ChoiceTarget* target, CIndex* index, const std::string& text,
                       const std::string& title) {
  if (text.empty()) {
    if (target) target->OnChosen(0);
    return;
  }
  m_target = target;
  m_index = index;
  m_searchText = text;
  m_current = index ? FindShownEntry(*index, text) : 0;
  m_title = "Select " + title;
  if (window) {
    window->SetTitle(m_title);
    // The chooser takes the keyboard, so that Enter chooses at once.
    window->ShowWindow(true);
  }
  Redraw();
}

std::vector<ChooserRow> CChooseDoc::Page() {
  std::vector<ChooserRow> rows;
  if (!m_index) return rows;
  CIndex& index = *m_index;
  int32_t top = m_current;
  for (int i = 0; i < kChooserRowsAbove; ++i) {
    const int32_t previous = index.Entry(top).prev;
    if (index.Entry(previous).next != top) break;
    top = previous;
  }
  int32_t key = top;
  for (int row = 0, guard = 0; row < kChooserRows && guard < 2 * kChooserRows + 2; ++guard) {
    if (key == 0) {
      // The header takes no row; the walk goes on from the first entry.
      key = index.First();
      if (key == 0) break;
      continue;
    }
    ChooserRow line;
    line.key = key;
    line.current = key == m_current;
    line.beyondCount = key >= index.Count();
    std::string text = index.NameOf(key, 1);
    if (m_showLinks) {
      const IndexEntry& e = index.Entry(key);
      std::string links;
      for (int32_t value : {key, index.ParentOf(key), index.SubtreeSize(key), e.left, e.right,
                            e.prev, e.next}) {
        links += PadNumber(value, 5, true, true) + " ";
      }
      // A colour prefix stays at the front of the line.
      if (text.size() >= 2 && text[0] == '\\') {
        text = text.substr(0, 2) + links + text.substr(2);
      } else {
        text = links + text;
      }
    }
    line.text = std::move(text);
    rows.push_back(std::move(line));
    ++row;
    key = index.Entry(key).next;
    if (key < 0 || key >= index.Count()) key = 0;
  }
  return rows;
}

void CChooseDoc::Redraw() {
  if (window) window->Redraw();
}

void CChooseDoc::EntriesChanged() {
  Redraw();
  // The peal windows draw names from the index: an edited entry shows there too.
  if (views) views->RedrawAll();
}

void CChooseDoc::Move(int steps) {
  if (!m_index) return;
  m_current = steps < 0 ? m_index->StepBack(m_current, -steps) : m_index->StepForward(m_current, steps);
  Redraw();
}

void CChooseDoc::Save() {
  if (!m_index) return;
  CWait wait;
  m_index->Compact();
  Redraw();
}

void CChooseDoc::Index() {
  if (!m_index) return;
  CWait wait;
  m_index->RebuildTree();
  Redraw();
}

void CChooseDoc::Audit() {
  if (!m_index) return;
  CWait wait;
  m_index->CheckLinks();
  Redraw();
}

void CChooseDoc::Purge() {
  if (!m_index) return;
  int unused = 0;
  {
    CWait wait;
    for (int32_t k = 1; k < m_index->Count(); ++k) {
      if (m_index->Entry(k).offset == 0) continue;
      CIndObj* object = m_index->Lookup(k);
      if (object && !object->used) ++unused;
    }
  }
  if (unused == 0) {
    ThePlatform().Message("Every entry is marked as used: Purge has nothing to remove.");
    return;
  }
  const std::string question = "Purge will remove " + std::to_string(unused) + " of the entries of " +
                               m_index->Name() +
                               ": every entry that Mark Set has not marked as used. Go on?";
  if (!ThePlatform().Confirm(question)) return;
  CWait wait;
  m_current = m_index->Purge(m_current);
  EntriesChanged();
}

void CChooseDoc::Sgml() {
  if (!m_index) return;
  CWait wait;
  m_index->WriteSgml();
}

void CChooseDoc::Table() {
  if (!m_index) return;
  CWait wait;
  m_index->WriteCsv();
}

void CChooseDoc::Import() {
  if (!CanImport()) return;
  FilePrompt prompt{.title = "Import SGML (old format) file",
                    .defaultName = "data.sgm",
                    .defaultExtension = "sgm",
                    .filter = "SGML Files (*.sgm)|*.sgm||",
                    .overwritePrompt = false};
  const auto path = ThePlatform().PromptOpenFile(prompt);
  if (!path) return;
  auto file = CSGMLFile::Open(*path);
  if (!file) {
    ThePlatform().Message(*path + " Not Found");
    return;
  }
  {
    CWait wait;
    m_index->ImportSgml(*file);
  }
  Redraw();
}

bool CChooseDoc::CanImportXml() const { return m_index && m_index == &MethodIndex(); }

void CChooseDoc::ImportXml() {
  if (!CanImportXml()) return;
  ImportMethodsXmlCommand();
  Redraw();
}

void CChooseDoc::New() {
  if (!m_index) return;
  Guarded("Exception in CIndex::Edit", [&] { m_current = m_index->EditEntry(0, true); });
  EntriesChanged();
}

void CChooseDoc::Edit() {
  if (!m_index) return;
  Guarded("Exception in CIndex::Edit", [&] { m_index->EditEntry(m_current, true); });
  EntriesChanged();
}

void CChooseDoc::Reorder() {
  if (!m_index) return;
  Guarded("Exception in CIndex::Edit", [&] { m_index->EditEntry(m_current, false); });
  EntriesChanged();
}

void CChooseDoc::Display() {
  if (!m_index) return;
  Guarded("Exception in CIndex::Display", [&] { m_index->DisplayEntry(m_current); });
}

void CChooseDoc::Delete() {
  if (!m_index || m_current == 0) return;
  m_current = m_index->Remove(m_current);
  if (m_current < 0 || m_current >= m_index->Count()) m_current = 0;
  EntriesChanged();
}

void CChooseDoc::Find() {
  if (!m_index) return;
  CFindDlg dialog(m_searchText);
  if (!ThePlatform().RunDialog(dialog)) return;
  const std::string text = dialog.Text("find");
  if (text.empty()) return;
  m_searchText = text;
  Guarded("Exception in CIndex::Find", [&] { m_current = m_index->FindEntry(m_searchText, m_current); });
  Redraw();
}

void CChooseDoc::FindNext() {
  if (!CanFindNext()) return;
  CWait wait;
  m_current = m_index->FindEntry(m_searchText, m_current);
  Redraw();
}

void CChooseDoc::Finish(int32_t key) {
  if (window) window->HideWindow();
  // The target is cleared first: OnChosen may start this chooser again for its next name.
  ChoiceTarget* target = m_target;
  m_target = nullptr;
  if (target) target->OnChosen(key);
}

void CChooseDoc::Choose() {
  // Nothing highlighted would report "no entry" to a caller that asked for one.
  if (!m_index || m_current <= 0 || m_current >= m_index->Count() || !m_index->Lookup(m_current)) {
    ThePlatform().Message(std::string(kNothingHighlighted));
    return;
  }
  m_index->SetChosen(m_current, 1);
  Finish(m_current);
}

void CChooseDoc::Cancel() { Finish(0); }

void CChooseDoc::ToggleLinks() {
  m_showLinks = !m_showLinks;
  Redraw();
}

}  // namespace tv
