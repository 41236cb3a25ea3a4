// The index chooser's state and commands.
#include "app/chooser_doc.h"

#include <exception>

#include "core/dialog_model.h"
#include "core/services.h"
#include "core/sgml_file.h"
#include "core/text.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/method_xml.h"

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

}  // namespace

void CChooseDoc::Start(ChoiceTarget* target, CIndex* index, const std::string& text,
                       const std::string& title) {
  if (text.empty()) {
    if (target) target->OnChosen(0);
    return;
  }
  m_target = target;
  m_index = index;
  m_searchText = text;
  m_current = index ? index->FindEntry(text, 0) : 0;
  m_title = "Select " + title;
  if (window) {
    window->SetTitle(m_title);
    window->ShowWindow(false);
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
  Redraw();
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
  Redraw();
}

void CChooseDoc::Edit() {
  if (!m_index) return;
  Guarded("Exception in CIndex::Edit", [&] { m_index->EditEntry(m_current, true); });
  Redraw();
}

void CChooseDoc::Reorder() {
  if (!m_index) return;
  Guarded("Exception in CIndex::Edit", [&] { m_index->EditEntry(m_current, false); });
  Redraw();
}

void CChooseDoc::Display() {
  if (!m_index) return;
  Guarded("Exception in CIndex::Display", [&] { m_index->DisplayEntry(m_current); });
}

void CChooseDoc::Delete() {
  if (!m_index || m_current == 0) return;
  m_current = m_index->Remove(m_current);
  if (m_current < 0 || m_current >= m_index->Count()) m_current = 0;
  Redraw();
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
  if (m_index && m_current != 0) m_index->SetChosen(m_current, 1);
  Finish(m_current);
}

void CChooseDoc::Cancel() { Finish(0); }

void CChooseDoc::ToggleLinks() {
  m_showLinks = !m_showLinks;
  Redraw();
}

}  // namespace tv
