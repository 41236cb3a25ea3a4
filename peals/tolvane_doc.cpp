// The peal ledger's commands: moving through buffers, moving peals between them, rearranging
// buffers, and opening and saving the ledger file.
#include "peals/tolvane_doc.h"

#include <algorithm>

#include "core/dialog_model.h"
#include "core/services.h"
#include "core/text.h"
#include "peals/ledger_file.h"
#include "peals/ledger_format.h"
#include "refdb/index_set.h"
#include "refdb/person.h"

namespace tv {
namespace {

constexpr const char* kLedgerFilter =
    "Peal Files (*.tv3)|*.tv3|Quarter Peal Files (*.qv3)|*.qv3|All Files (*.*)|*.*||";

}  // namespace

CTolvaneDoc::~CTolvaneDoc() {
  try {
    if (IndexSetIsOpen()) SaveAllIndexes();
  } catch (const std::exception&) {
    // Nothing can be reported from here; each index keeps its files as they were.
  }
}

void CTolvaneDoc::Redraw() {
  if (views) views->RedrawAll();
}

bool CTolvaneDoc::ShowBuffer(int buffer) {
  if (!BufferExists(buffer)) return true;
  currentBuffer = static_cast<uint16_t>(buffer);
  const CPeal* peal = PealAt(bufferPositions[buffer]);
  if (views) views->ShowPeal(peal);
  return peal == nullptr;
}

void CTolvaneDoc::ShowCurrent() {
  // After Clear or Combine the current buffer number may be past the last buffer: then nothing
  // is shown, rather than a peal that is gone.
  if (ShowBuffer(currentBuffer) && !BufferExists(currentBuffer) && views) views->ShowPeal(nullptr);
}

void CTolvaneDoc::SetPosition(int buffer, uint32_t pealNumber) {
  if (!BufferExists(buffer)) return;
  bufferPositions[buffer] = pealNumber;
  ShowBuffer(buffer);
}

void CTolvaneDoc::MoveForward(int n) {
  if (!BufferExists(currentBuffer)) return;
  uint32_t position = bufferPositions[currentBuffer];
  if (!PealAt(position)) return;
  for (int i = 0; i < n && Entry(position).next != 0; ++i) position = Entry(position).next;
  SetPosition(currentBuffer, position);
  Redraw();
}

void CTolvaneDoc::MoveBack(int n) {
  if (!BufferExists(currentBuffer)) return;
  uint32_t position = bufferPositions[currentBuffer];
  if (!PealAt(position)) return;
  for (int i = 0; i < n && Entry(position).prev != 0; ++i) position = Entry(position).prev;
  SetPosition(currentBuffer, position);
  Redraw();
}

uint32_t CTolvaneDoc::ActivePeal() const {
  if (!BufferExists(currentBuffer)) return 0;
  const uint32_t position = bufferPositions[currentBuffer];
  return BufferOf(position) == currentBuffer ? position : 0;
}

std::unique_ptr<CPeal> CTolvaneDoc::MakePealForEntry() const {
  return CPeal::ForEntry(lastPealNumber + 1);
}

uint32_t CTolvaneDoc::AddNewPeal(std::unique_ptr<CPeal> peal) {
  if (!peal) return 0;
  const uint32_t number = AddPeal(std::move(peal));
  modified = true;
  InsertIntoBuffer(number, kMainBuffer);
  SetPosition(currentBuffer, number);
  Redraw();
  return number;
}

bool CTolvaneDoc::MoveActivePeal(int target) {
  // A position left naming a peal of another buffer must not move that buffer's peals here.
  const uint32_t a = ActivePeal();
  if (a == 0 || target == currentBuffer || !BufferExists(target)) return false;
  bufferPositions[target] = a;
  const CPindex& entry = Entry(a);
  bufferPositions[currentBuffer] = entry.next != 0 ? entry.next : entry.prev;
  MovePeal(a, target);
  return true;
}

void CTolvaneDoc::Delete() {
  if (!MoveActivePeal(kDeletedBuffer)) return;
  modified = true;
  ShowBuffer(currentBuffer);
  Redraw();
}

void CTolvaneDoc::Transfer() {
  if (ActivePeal() == 0) return;
  const int target = currentBuffer + 1;
  if (!BufferExists(target)) {
    bufferRoots.push_back(0);
    bufferPositions.push_back(0);
  }
  MoveActivePeal(target);
  ShowBuffer(currentBuffer);
  Redraw();
}

void CTolvaneDoc::Top() {
  if (!BufferExists(currentBuffer)) return;
  SetPosition(currentBuffer, FirstOf(currentBuffer));
  Redraw();
}

void CTolvaneDoc::Bottom() {
  if (!BufferExists(currentBuffer)) return;
  SetPosition(currentBuffer, LastOf(currentBuffer));
  Redraw();
}

void CTolvaneDoc::Goto() {
  DialogModel dialog("Enter Date");
  dialog.AddText("date", "Peal Date", "", 10);
  if (!ThePlatform().RunDialog(dialog)) return;
  GotoDate(ParseDate(dialog.Text("date")));
}

void CTolvaneDoc::GotoDate(Date date) {
  const uint32_t found = FindDate(date, 1);
  if (found == 0) return;
  SetPosition(currentBuffer, found);
  Redraw();
}

void CTolvaneDoc::MarkSet() {
  if (!BufferExists(currentBuffer)) return;
  CWait wait;
  for (const uint32_t n : PealsOf(currentBuffer)) PealAt(n)->MarkPersonsUsed();
  CPersonIndex& persons = PersonIndex();
  persons.equivalences.MarkEquivalentsUsed(persons);
}

void CTolvaneDoc::RemoveBuffer(int buffer) {
  bufferRoots.erase(bufferRoots.begin() + buffer);
  bufferPositions.erase(bufferPositions.begin() + buffer);
}

void CTolvaneDoc::Swap() {
  const int next = currentBuffer + 1;
  if (!BufferExists(currentBuffer) || !BufferExists(next)) return;
  std::swap(bufferRoots[currentBuffer], bufferRoots[next]);
  std::swap(bufferPositions[currentBuffer], bufferPositions[next]);
  selectCriterion = kCriterionDate;
  ShowBuffer(currentBuffer);
  Redraw();
}

void CTolvaneDoc::Rotate() {
  std::rotate(bufferRoots.begin() + 1, bufferRoots.begin() + 2, bufferRoots.end());
  std::rotate(bufferPositions.begin() + 1, bufferPositions.begin() + 2, bufferPositions.end());
  selectCriterion = kCriterionDate;
  ShowBuffer(currentBuffer);
  Redraw();
}

void CTolvaneDoc::Combine() {
  const int source = currentBuffer + 1;
  // The next buffer merges into buffer 1, which therefore cannot be the one merged.
  if (!BufferExists(currentBuffer) || !BufferExists(source) || source == kMainBuffer) return;
  const std::vector<uint32_t> peals = PealsOf(source);
  RemoveBuffer(source);
  GatherIntoBuffer(peals, kMainBuffer);
  selectCriterion = kCriterionDate;
  ShowCurrent();
  Redraw();
}

void CTolvaneDoc::Clear() {
  if (!BufferExists(currentBuffer)) return;
  for (const uint32_t n : PealsOf(currentBuffer)) DiscardPeal(n);
  // The deleted-peals buffer and the main buffer always exist: those are emptied, not removed.
  if (BufferCount() <= 2 || currentBuffer == kDeletedBuffer) {
    bufferRoots[currentBuffer] = 0;
    bufferPositions[currentBuffer] = 0;
  } else {
    RemoveBuffer(currentBuffer);
  }
  // The current-peal window may have shown one of the peals just freed.
  ShowCurrent();
  Redraw();
}

void CTolvaneDoc::All() {
  currentBuffer = kMainBuffer;
  // Combining buffer 2 into buffer 1 until only they are left, in one merge.
  if (BufferCount() > 2) {
    std::vector<uint32_t> peals;
    for (int b = kMainBuffer + 1; b < BufferCount(); ++b) {
      const std::vector<uint32_t> more = PealsOf(b);
      peals.insert(peals.end(), more.begin(), more.end());
    }
    bufferRoots.resize(2);
    bufferPositions.resize(2);
    GatherIntoBuffer(peals, kMainBuffer);
    selectCriterion = kCriterionDate;
  }
  ShowCurrent();
  Redraw();
}

void CTolvaneDoc::Undelete() {
  bufferRoots.insert(bufferRoots.begin(), 0);
  bufferPositions.insert(bufferPositions.begin(), 0);
  // The current buffer number now names the buffer before: its peal is the one to show.
  ShowCurrent();
  Redraw();
}

Status CTolvaneDoc::Load(const std::string& path) {
  // Another kind of file would read as no peals and replace the open ledger with nothing.
  if (Status start = CheckLedgerStart(path); !start.ok()) return start;
  LedgerReadResult read;
  Status status = ReadLedgerFile(path, *this, &read);
  if (status.code() == StatusCode::NotFound || status.code() == StatusCode::IoError) return status;
  m_partialPath = read.complete ? std::string() : path;
  modified = false;
  selectCriterion = kCriterionDate;
  ShowBuffer(kMainBuffer);
  Redraw();
  return status;
}

Status CTolvaneDoc::Open(const std::string& path) {
  Status status = Load(path);
  if (status.code() == StatusCode::NotFound || status.code() == StatusCode::IoError) {
    ThePlatform().Message(status.message());
    return status;
  }
  if (status.code() == StatusCode::BadData) {
    ThePlatform().Message(status.message() + " The open ledger is unchanged.");
    return status;
  }
  if (!status.ok()) {
    ThePlatform().Message(status.message() + " The original file will be kept as " + path +
                          kBackupExtension + " when the ledger is saved.");
  }
  pathName = path;
  PersonIndex().equivalences.LoadEquivalences(path);
  defaultDirectory = PathDirectory(path);
  return status;
}

Status CTolvaneDoc::Save() {
  saveAllBuffers = true;
  if (IsOldFormName(pathName)) pathName.back() = '3';
  std::string path = pathName;
  if (path.empty()) {
    const auto chosen = ThePlatform().PromptSaveFile(FilePrompt{
        .title = "Save As", .defaultName = "", .defaultExtension = "tv3",
        .filter = kLedgerFilter, .directory = defaultDirectory});
    if (!chosen) return Status(StatusCode::Usage, "No file name was given.");
    path = *chosen;
  }
  return SaveDocument(path);
}

Status CTolvaneDoc::SaveAs() {
  saveAllBuffers = false;
  const auto chosen = ThePlatform().PromptSaveFile(FilePrompt{
      .title = "Save As", .defaultName = pathName, .defaultExtension = "tv3",
      .filter = kLedgerFilter, .directory = defaultDirectory});
  if (!chosen) return Status(StatusCode::Usage, "No file name was given.");
  return SaveDocument(*chosen);
}

Status CTolvaneDoc::SaveDocument(const std::string& path) {
  std::vector<int> buffers;
  if (saveAllBuffers) {
    for (int b = kMainBuffer; b < BufferCount(); ++b) buffers.push_back(b);
  } else if (BufferExists(currentBuffer) && currentBuffer != kDeletedBuffer) {
    buffers.push_back(currentBuffer);
  } else if (!BufferExists(currentBuffer)) {
    // No current buffer to write: writing would only empty the file.
    return Status(StatusCode::Usage, "There is no current buffer to save.");
  }
  const std::string backup =
      (!m_partialPath.empty() && m_partialPath == path) ? path + kBackupExtension : std::string();
  Status status = WriteLedgerFile(path, *this, buffers, backup);
  if (status.ok()) {
    pathName = path;
    // A Save As of one buffer leaves the peals of the others unwritten: their changes are
    // still to be saved, and Exit still asks.
    if (saveAllBuffers) modified = false;
    m_partialPath.clear();
  } else {
    ThePlatform().Message(status.message());
  }
  PersonIndex().equivalences.SaveEquivalences(path);
  defaultDirectory = PathDirectory(path);
  SaveAllIndexes();
  return status;
}

}  // namespace tv
