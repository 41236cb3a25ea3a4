// Peal entry and editing: New and Edit through the Peal Details dialog, the change-driven apply,
// and the resolution of changed names through the index chooser.
#include "peals/peal_entry.h"

#include "core/services.h"
#include "core/text.h"
#include "peals/tolvane_doc.h"
#include "refdb/assoc.h"
#include "refdb/composition.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/tower.h"

namespace tv {
namespace {

constexpr uint16_t kTenorBits = 0x7FFF;

std::string NameOfKey(CIndex& index, int32_t key) {
  const CIndObj* object = key != 0 ? index.Lookup(key) : nullptr;
  return object ? object->GetName(0) : std::string();
}

// Puts a peal whose date or sequence changed back in ledger order: when it no longer sorts
// between its neighbours it is taken out of its buffer's tree and inserted again, since every
// later insertion, move and search of the buffer relies on the tree being in order.
void KeepInLedgerOrder(CTolvaneDoc& doc, uint32_t number) {
  const int buffer = doc.BufferOf(number);
  const CPeal* peal = doc.PealAt(number);
  if (buffer < 0 || !peal) return;
  const CPindex& entry = doc.Entry(number);
  const CPeal* before = doc.PealAt(entry.prev);
  const CPeal* after = doc.PealAt(entry.next);
  if ((!before || before->CompareOrder(*peal) < 0) && (!after || peal->CompareOrder(*after) < 0)) {
    return;
  }
  // Out through a scratch buffer, so that its children close up in the slot it leaves, then in
  // again at its new place.
  const int scratch = doc.BufferCount();
  doc.bufferRoots.push_back(0);
  doc.bufferPositions.push_back(0);
  doc.MovePeal(number, scratch);
  doc.MoveSubtree(number, buffer);
  doc.bufferRoots.pop_back();
  doc.bufferPositions.pop_back();
}

// Applies the fields whose texts differ (all but the names) and keeps the run-wide shown state
// in step. The tenor's shown text stays as it was, so that choosing a tower still sees a typed
// tenor as the user's.
void ApplyFields(CPeal& peal, const CPealForm& typed, CPealForm& shown) {
  peal.handbell = typed.hand;
  if (typed.date != shown.date) {
    peal.date = ParseDate(typed.date);
    shown.date = typed.date;
  }
  peal.sequence = static_cast<uint8_t>(typed.sequence);
  if (typed.rwPage != shown.rwPage) {
    peal.SetRwPage(typed.rwPage);
    shown.rwPage = typed.rwPage;
  }
  if (typed.time != shown.time) {
    peal.time = ParseTime(typed.time);
    shown.time = typed.time;
  }
  if (typed.tenor != shown.tenor) {
    const uint16_t tenor = peal.handbell ? static_cast<uint16_t>(ParseDigits(typed.tenor))
                                         : ParseWeight(typed.tenor);
    peal.tenor = tenor & kTenorBits;
  }
  if (typed.changes != shown.changes) {
    peal.changes = typed.changes;
    shown.changes = typed.changes;
  }
  for (int k = 0; k < kEntryFootnotes; ++k) {
    if (typed.footnotes[k] != shown.footnotes[k]) {
      peal.SetPositioned(kFootnote, static_cast<size_t>(k), typed.footnotes[k]);
      shown.footnotes[k] = typed.footnotes[k];
    }
  }
}

}  // namespace

// --- the run-wide entry state ---

CPealEntry& PealEntryOf(CTolvaneDoc& doc) {
  if (!doc.pealEntry) doc.pealEntry = std::make_shared<CPealEntry>(doc);
  return *doc.pealEntry;
}

CPeal* CPealEntry::Resolving() const {
  if (!m_peal) return nullptr;
  // The peal is found again before it is touched: the detached peal, or a peal of the ledger
  // still there under its number; and it must still be the one being entered.
  CPeal* peal = m_peal == detached.get() ? detached.get() : m_doc.PealAt(m_number);
  return (peal && peal == m_peal && peal->entry == this) ? peal : nullptr;
}

void CPealEntry::Resolve(CPeal& peal) {
  if (CPeal* previous = Resolving(); previous && previous != &peal) previous->entry = nullptr;
  m_peal = &peal;
  m_number = peal.pealNumber;
  peal.entry = this;
  ResolveNext();
}

std::optional<CPealEntry::Changed> CPealEntry::FirstChanged() const {
  using F = PealNameField;
  if (typed.association != shown.association) return Changed{F::Association, 0};
  if (typed.tower != shown.tower || typed.dedication != shown.dedication) {
    return Changed{F::Tower, 0};
  }
  if (typed.method != shown.method) return Changed{F::Method, 0};
  if (typed.composer != shown.composer) return Changed{F::Composer, 0};
  if (typed.arranger != shown.arranger) return Changed{F::Arranger, 0};
  if (typed.generatedBy != shown.generatedBy) return Changed{F::GeneratedBy, 0};
  if (typed.composition != shown.composition) return Changed{F::Composition, 0};
  if (typed.conductor != shown.conductor) return Changed{F::Conductor, 0};
  for (int i = 0; i < kMaxEntryRingers; ++i) {
    if (typed.ringers[i] != shown.ringers[i]) return Changed{F::Ringer, i};
  }
  return std::nullopt;
}

const std::string& CPealEntry::TypedText(const Changed& changed) const {
  using F = PealNameField;
  switch (changed.field) {
    case F::Association: return typed.association;
    case F::Tower: return typed.tower;
    case F::Method: return typed.method;
    case F::Composer: return typed.composer;
    case F::Arranger: return typed.arranger;
    case F::GeneratedBy: return typed.generatedBy;
    case F::Composition: return typed.composition;
    case F::Conductor: return typed.conductor;
    case F::Ringer: break;
  }
  return typed.ringers[changed.position];
}

bool CPealEntry::TakeChangedField(PealNameField& field, int& position) {
  const std::optional<Changed> changed = FirstChanged();
  if (!changed) return false;
  field = changed->field;
  position = changed->position;
  using F = PealNameField;
  switch (field) {
    case F::Association: shown.association = typed.association; break;
    case F::Tower:
      shown.tower = typed.tower;
      shown.dedication = typed.dedication;
      break;
    case F::Method: shown.method = typed.method; break;
    case F::Composer: shown.composer = typed.composer; break;
    case F::Arranger: shown.arranger = typed.arranger; break;
    case F::GeneratedBy: shown.generatedBy = typed.generatedBy; break;
    case F::Composition: shown.composition = typed.composition; break;
    case F::Conductor: shown.conductor = typed.conductor; break;
    case F::Ringer: shown.ringers[position] = typed.ringers[position]; break;
  }
  return true;
}

void CPealEntry::AfterChoice(PealNameField field, int position, int32_t key) {
  (void)position;
  CPeal* peal = Resolving();
  if (!peal) return;
  // A tower brings its tenor, unless the user typed one.
  if (field == PealNameField::Tower && key != 0 && !peal->handbell && typed.tenor == shown.tenor) {
    if (const CIndObj* object = TowerIndex().Lookup(key)) {
      peal->tenor = static_cast<const CTower*>(object)->WeightAt(peal->date) & kTenorBits;
    }
  }
  if (peal != detached.get()) m_doc.PealChanged(m_number);
  ResolveNext();
}

void CPealEntry::OnChosen(int32_t key) {
  CPeal* peal = Resolving();
  if (!peal) return;
  // A peal holds its association in one byte: a larger key would name another association.
  if (const auto changed = FirstChanged();
      changed && changed->field == PealNameField::Association && key > kMaxByteKey) {
    ThePlatform().Message("The association chosen has key " + std::to_string(key) +
                          ", but peals hold association keys only up to 255.");
    key = 0;
  }
  peal->OnChosen(key);
}

void CPealEntry::ResolveNext() {
  CPeal* peal = Resolving();
  if (!peal) return;
  const std::optional<Changed> changed = FirstChanged();
  if (!changed) {
    Finish();
    return;
  }
  const std::string& text = TypedText(*changed);
  // An empty text names nobody: the field gets key 0 without opening the chooser.
  if (text.empty()) {
    peal->OnChosen(0);
    return;
  }
  using F = PealNameField;
  CIndex* index = &PersonIndex();
  std::string title;
  switch (changed->field) {
    case F::Association: index = &AssocIndex(); title = "Association"; break;
    case F::Tower: index = &TowerIndex(); title = "Tower"; break;
    case F::Method: index = &MethodIndex(); title = "Method"; break;
    case F::Composer: title = "Composer"; break;
    case F::Arranger: title = "Arranger"; break;
    case F::GeneratedBy: title = "Generated by"; break;
    case F::Composition:
      index = &CompIndex();
      CompositionTemplate() = {.length = peal->changes,
                               .method = static_cast<int32_t>(peal->method),
                               .composer = static_cast<int32_t>(peal->composer),
                               .arranger = static_cast<int32_t>(peal->arranger),
                               .generatedBy = static_cast<int32_t>(peal->generatedBy)};
      title = CompositionHeading();
      break;
    case F::Conductor: title = "Conductor"; break;
    case F::Ringer: title = "Ringer" + std::to_string(changed->position + 1); break;
  }
  // The platform may report the choice before StartChooser returns; nothing of this step is
  // touched afterwards.
  ThePlatform().StartChooser(
      {.chooser = 1, .target = this, .index = index, .text = text, .title = title});
  Redraw();
}

void CPealEntry::Finish() {
  if (CPeal* peal = Resolving()) peal->entry = nullptr;
  m_peal = nullptr;
  Redraw();
}

void CPealEntry::Redraw() {
  if (m_doc.views) m_doc.views->RedrawAll();
}

// --- the commands ---

CPealForm FormOfPeal(const CPeal& peal) {
  CPealForm form;
  form.rwPage = peal.RwPageNumber(false);
  form.hand = peal.handbell;
  form.association = NameOfKey(AssocIndex(), peal.association);
  const int32_t towerKey = static_cast<int32_t>(peal.tower);
  if (const CIndObj* object = towerKey != 0 ? TowerIndex().Lookup(towerKey) : nullptr) {
    const auto* tower = static_cast<const CTower*>(object);
    form.tower = tower->PlaceAt(0);
    form.dedication = tower->DedicationNameAt(1, 0).substr(0, kDedicationTextLimit);
  }
  form.date = DateText(peal.date, 0);
  form.sequence = peal.sequence;
  form.time = ShortTime(peal.time);
  form.changes = peal.changes;
  form.method = NameOfKey(MethodIndex(), static_cast<int32_t>(peal.method));
  form.composer = FullNameOf(static_cast<int32_t>(peal.composer));
  form.arranger = FullNameOf(static_cast<int32_t>(peal.arranger));
  form.generatedBy = FullNameOf(static_cast<int32_t>(peal.generatedBy));
  form.composition = CompositionDetailsShort(static_cast<int32_t>(peal.composition));
  form.conductor = FullNameOf(static_cast<int32_t>(peal.conductor));
  for (size_t i = 0; i < form.ringers.size() && i < peal.ringers.size(); ++i) {
    form.ringers[i] = FullNameOf(static_cast<int32_t>(peal.ringers[i]));
  }
  const std::vector<std::string>& footnotes = peal.extras[kFootnote];
  for (size_t k = 0; k < form.footnotes.size() && k < footnotes.size(); ++k) {
    form.footnotes[k] = footnotes[k];
  }
  return form;
}

bool EnterNewPeal(CTolvaneDoc& doc, CPeal& peal) {
  CPealEntry& entry = PealEntryOf(doc);
  // A new peal starts from the last entry's texts, less what belongs to one peal only.
  entry.typed.tenor.clear();
  for (std::string& footnote : entry.typed.footnotes) footnote.clear();
  for (std::string& ringer : entry.typed.ringers) ringer.clear();
  CPealDialog dialog(entry.typed);
  if (!ThePlatform().RunDialog(dialog)) return false;
  entry.typed = dialog.Form();
  entry.shown = CPealForm{};
  ApplyFields(peal, entry.typed, entry.shown);
  return true;
}

void EditPeal(CTolvaneDoc& doc, CPeal* peal) {
  CPealEntry& entry = PealEntryOf(doc);
  const bool inLedger = peal != nullptr;
  if (!peal) {
    entry.detached = std::make_unique<CPeal>();
    peal = entry.detached.get();
  }
  const CPealForm filled = FormOfPeal(*peal);
  if (doc.views) doc.views->RedrawAll();
  entry.shown = filled;
  CPealDialog dialog(filled);
  if (ThePlatform().RunDialog(dialog)) ApplyDialog(doc, *peal, dialog.Form(), filled);
  if (inLedger) doc.modified = true;
}

void ApplyDialog(CTolvaneDoc& doc, CPeal& peal, const CPealForm& typed, const CPealForm& shown) {
  CPealEntry& entry = PealEntryOf(doc);
  entry.typed = typed;
  entry.shown = shown;
  const Date date = peal.date;
  const uint8_t sequence = peal.sequence;
  ApplyFields(peal, entry.typed, entry.shown);
  if (doc.PealAt(peal.pealNumber) == &peal) {
    doc.PealChanged(peal.pealNumber);
    if (peal.date != date || peal.sequence != sequence) KeepInLedgerOrder(doc, peal.pealNumber);
  }
  entry.Resolve(peal);
}

void ResolveNextName(CTolvaneDoc& doc, CPeal& peal) { PealEntryOf(doc).Resolve(peal); }

void CTolvaneDoc::New() {
  try {
    std::unique_ptr<CPeal> peal = MakePealForEntry();
    if (!EnterNewPeal(*this, *peal)) return;
    CPeal& added = *peal;
    AddNewPeal(std::move(peal));
    // The peal is in the ledger before its names are chosen: the chooser is not modal.
    PealEntryOf(*this).Resolve(added);
  } catch (const std::exception& error) {
    ThePlatform().ShowUnexpectedError(error.what());
  }
}

}  // namespace tv
