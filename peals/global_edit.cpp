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
  switch (item) {
    case GlobalItem::None: return;
    case GlobalItem::Association: index = &AssocIndex(); break;
    case GlobalItem::Tower: index = &TowerIndex(); break;
    case GlobalItem::Method: index = &MethodIndex(); break;
    case GlobalItem::Person: index = &PersonIndex(); break;
  }
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
  const size_t peals = CountPeals();
  const std::string question = "Global Edit will change " + std::to_string(peals) +
                               (peals == 1 ? " peal" : " peals") + ": " + index->NameOf(fromKey, 0) +
                               " becomes " + index->NameOf(toKey, 0) + ". Go on?";
  if (!ThePlatform().Confirm(question)) return;
  index->ChangeKey(fromKey, toKey);
  ReplaceInPeals(toKey);
  m_doc.modified = true;
  if (m_doc.views) m_doc.views->RedrawAll();
}

void CGlobal::Finish() { m_done = true; }

size_t CGlobal::CountPeals() {
  const auto from = static_cast<uint32_t>(fromKey);
  size_t count = 0;
  for (uint32_t n = 1; n <= m_doc.lastPealNumber; ++n) {
    const CPeal* peal = m_doc.PealAt(n);
    if (!peal) continue;
    bool names = false;
    switch (item) {
      case GlobalItem::None: break;
      case GlobalItem::Association: names = peal->association == static_cast<uint8_t>(fromKey); break;
      case GlobalItem::Tower: names = peal->tower == from; break;
      case GlobalItem::Method: names = peal->method == from; break;
      case GlobalItem::Person:
        names = peal->composer == from || peal->arranger == from || peal->generatedBy == from ||
                peal->conductor == from ||
                std::find(peal->ringers.begin(), peal->ringers.end(), from) != peal->ringers.end();
        break;
    }
    if (names) ++count;
  }
  return count;
}

void CGlobal::ReplaceInPeals(int32_t toKey) {
  const auto from = static_cast<uint32_t>(fromKey);
  const auto to = static_cast<uint32_t>(toKey);
  const auto replace = [from, to](uint32_t& field) {
    if (field == from) field = to;
  };
  for (uint32_t n = 1; n <= m_doc.lastPealNumber; ++n) {
    CPeal* peal = m_doc.PealAt(n);
    if (!peal) continue;
    switch (item) {
      case GlobalItem::None: return;
      case GlobalItem::Association:
        if (peal->association == static_cast<uint8_t>(fromKey)) {
          peal->association = static_cast<uint8_t>(toKey);
        }
        break;
      case GlobalItem::Tower: replace(peal->tower); break;
      case GlobalItem::Method: replace(peal->method); break;
      case GlobalItem::Person:
        for (uint32_t& ringer : peal->ringers) replace(ringer);
        replace(peal->composer);
        replace(peal->arranger);
        replace(peal->generatedBy);
        replace(peal->conductor);
        break;
    }
  }
}

void CTolvaneDoc::GlobalEdit() {
  // The previous edit's state goes, but not the object: a chooser may still hold it as its
  // target, and its report then meets an edit that has not started choosing, or has ended.
  if (!globalEdit) globalEdit = std::make_shared<CGlobal>(*this);
  globalEdit->Start();
}

}  // namespace tv
