// Global Edit: the dialog, the two choices and the replacement in every peal.
#include "peals/global_edit.h"

#include <algorithm>

#include "core/services.h"
#include "peals/tolvane_doc.h"
#include "refdb/assoc.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/tower.h"

namespace tv {
namespace {

constexpr const char* kItemIds[] = {"association", "tower", "method", "person"};
constexpr const char* kItemCaptions[] = {"Association", "Tower", "Method", "Person"};
constexpr const char* kItemGroup = "Item";
constexpr size_t kKeyTextLimit = 20;

}  // namespace

CGlobalDialog::CGlobalDialog() : DialogModel("Global Edit") {
  for (int i = 0; i < 4; ++i) AddRadio(kItemIds[i], kItemCaptions[i], kItemGroup, false);
  AddText("from", "From", "", kKeyTextLimit);
  AddText("to", "To", "", kKeyTextLimit);
}

std::string CGlobalDialog::ItemId(GlobalItem item) { return kItemIds[static_cast<int>(item)]; }

GlobalItem CGlobalDialog::Item() const {
  for (int i = 0; i < 4; ++i) {
    if (Checked(kItemIds[i])) return static_cast<GlobalItem>(i);
  }
  return GlobalItem::None;
}

void CGlobal::Start() {
  item = GlobalItem::None;
  index = nullptr;
  fromText.clear();
  toText.clear();
  fromKey = 0;
  m_done = false;
  CGlobalDialog dialog;
  if (!ThePlatform().RunDialog(dialog)) return;
  item = dialog.Item();
  fromText = dialog.Text("from");
  toText = dialog.Text("to");
  index = GlobalItemIndex(item);
  if (!index) return;
  if (fromText.empty()) return;  // nothing to choose: as a cancel
  ThePlatform().StartChooser(
      {.chooser = 1, .target = this, .index = index, .text = fromText, .title = "From"});
}

void CGlobal::OnChosen(int32_t key) {
  if (m_done || !index) return;
  if (key == 0) {
    Finish();
    return;
  }
  if (fromKey == 0) {
    fromKey = key;
    if (toText.empty()) {
      Finish();
      return;
    }
    ThePlatform().StartChooser(
        {.chooser = 1, .target = this, .index = index, .text = toText, .title = "To"});
    return;
  }
  const int32_t toKey = key;
  Finish();
  // A peal holds its association in one byte: a key above 255 cannot be stored there, and
  // compared as a byte it would stand for another association.
  if (item == GlobalItem::Association && (fromKey > kMaxByteKey || toKey > kMaxByteKey)) {
    ThePlatform().Message("Peals hold association keys only up to 255; the peals are unchanged.");
    return;
  }
  // Every peal of the ledger changes at once and there is no undo: the user is told how many
  // and asked first.
  const size_t peals = CountPealsNaming(m_doc, item, fromKey);
  const std::string question = "Global Edit will change " + std::to_string(peals) +
                               (peals == 1 ? " peal" : " peals") + ": " + index->NameOf(fromKey, 0) +
                               " becomes " + index->NameOf(toKey, 0) + ". Go on?";
  if (!ThePlatform().Confirm(question)) return;
  ReplaceThroughout(m_doc, item, fromKey, toKey);
  m_doc.modified = true;
  if (m_doc.views) m_doc.views->RedrawAll();
}

void CGlobal::Finish() { m_done = true; }

CIndex* GlobalItemIndex(GlobalItem item) {
  switch (item) {
    case GlobalItem::None: return nullptr;
    case GlobalItem::Association: return &AssocIndex();
    case GlobalItem::Tower: return &TowerIndex();
    case GlobalItem::Method: return &MethodIndex();
    case GlobalItem::Person: return &PersonIndex();
  }
  return nullptr;
}

namespace {

// Calls `visit` with every key field of the peal that a global edit of `item` looks at.
template <typename Peal, typename Visit>
void ForEachKeyField(Peal& peal, GlobalItem item, Visit&& visit) {
  switch (item) {
    case GlobalItem::None:
    case GlobalItem::Association: return;  // a byte, handled by the callers
    case GlobalItem::Tower: visit(peal.tower); return;
    case GlobalItem::Method: visit(peal.method); return;
    case GlobalItem::Person:
      for (auto& ringer : peal.ringers) visit(ringer);
      visit(peal.composer);
      visit(peal.arranger);
      visit(peal.generatedBy);
      visit(peal.conductor);
      return;
  }
}

bool Names(const CPeal& peal, GlobalItem item, int32_t fromKey) {
  if (item == GlobalItem::Association) return peal.association == static_cast<uint8_t>(fromKey);
  bool names = false;
  ForEachKeyField(peal, item, [&](const uint32_t& field) {
    names = names || field == static_cast<uint32_t>(fromKey);
  });
  return names;
}

}  // namespace

size_t CountPealsNaming(const CPealLedger& ledger, GlobalItem item, int32_t fromKey) {
  size_t count = 0;
  for (uint32_t n = 1; n <= ledger.lastPealNumber; ++n) {
    const CPeal* peal = ledger.PealAt(n);
    if (peal && Names(*peal, item, fromKey)) ++count;
  }
  return count;
}

size_t ReplaceThroughout(CPealLedger& ledger, GlobalItem item, int32_t fromKey, int32_t toKey) {
  CIndex* index = GlobalItemIndex(item);
  if (!index) return 0;
  index->ChangeKey(fromKey, toKey);
  const auto from = static_cast<uint32_t>(fromKey);
  const auto to = static_cast<uint32_t>(toKey);
  size_t changed = 0;
  for (uint32_t n = 1; n <= ledger.lastPealNumber; ++n) {
    CPeal* peal = ledger.PealAt(n);
    if (!peal || !Names(*peal, item, fromKey)) continue;
    ++changed;
    if (item == GlobalItem::Association) {
      peal->association = static_cast<uint8_t>(toKey);
    } else {
      ForEachKeyField(*peal, item, [from, to](uint32_t& field) {
        if (field == from) field = to;
      });
    }
    ledger.PealChanged(n);
  }
  return changed;
}

void CTolvaneDoc::GlobalEdit() {
  // The previous edit's state goes, but not the object: a chooser may still hold it as its
  // target, and its report then meets an edit that has not started choosing, or has ended.
  if (!globalEdit) globalEdit = std::make_shared<CGlobal>(*this);
  globalEdit->Start();
}

}  // namespace tv
