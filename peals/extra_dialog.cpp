// The Extra Peal Details dialog and the bell-mask texts.
#include "peals/extra_dialog.h"

#include <algorithm>

#include "core/services.h"
#include "peals/tolvane_doc.h"

namespace tv {
namespace {

constexpr const char* kExtraIds[kExtraCount] = {"source", "correction", "footnote",
                                                "validity", "bells", "bellString",
                                                "prefix", "suffix", "extra"};
constexpr const char* kExtraGroup = "Extra";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

}  // namespace

std::string BellMaskText(uint32_t mask) {
  std::string text;
  for (int n = 0; n < 32; ++n) {
    if ((mask & (uint32_t{1} << n)) == 0) continue;
    if (!text.empty()) text += ' ';
    text += std::to_string(n);
  }
  return text;
}

uint32_t ParseBellMask(std::string_view text) {
  uint32_t mask = 0;
  int zeros = 0;
  size_t at = 0;
  while (zeros < 2) {
    while (at < text.size() && IsBlank(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
    if (at >= text.size() || text[at] < '0' || text[at] > '9') break;
    // Only the number modulo 32 matters, so a long number cannot overflow.
    int remainder = 0;
    bool zero = true;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
      remainder = (remainder * 10 + (text[at] - '0')) % 32;
      zero = zero && text[at] == '0';
    }
    if (negative) remainder = (32 - remainder) % 32;
    mask |= uint32_t{1} << remainder;
    zeros = zero ? zeros + 1 : 0;
  }
  return mask;
}

CExtraDialog::CExtraDialog(CPeal& peal) : DialogModel("Extra Peal Details"), m_peal(peal) {
  for (int extra = 0; extra < kExtraCount; ++extra) {
    AddRadio(ExtraId(extra), kExtraCaptions[extra], kExtraGroup, false);
  }
  for (int i = 0; i < kExtraFields; ++i) AddText(FieldId(i), std::to_string(i + 1), "");
}

std::string CExtraDialog::ExtraId(int extra) { return kExtraIds[extra]; }

void CExtraDialog::OnChanged(std::string_view id) {
  for (int extra = 0; extra < kExtraCount; ++extra) {
    if (id != kExtraIds[extra] || !Checked(id) || extra == m_chosen) continue;
    StoreFields();
    m_chosen = extra;
    FillFields();
    return;
  }
}

void CExtraDialog::Choose(int extra) {
  SetChecked(ExtraId(extra), true);
  OnChanged(ExtraId(extra));
}

// Entries beyond the eighteen fields (a peal read from a file may hold up to 255 ringers) are
// not shown, and are kept as they are when the fields are stored.
void CExtraDialog::StoreFields() {
  if (m_chosen < 0) return;
  if (m_chosen == kBellsList) {
    std::erase_if(m_peal.bells, [](const auto& bell) {
      return bell.first >= 0 && bell.first < kExtraFields;
    });
    for (int i = 0; i < kExtraFields; ++i) {
      if (const uint32_t mask = ParseBellMask(Text(FieldId(i))); mask != 0) m_peal.bells[i] = mask;
    }
    return;
  }
  std::vector<std::string>& list = m_peal.extras[static_cast<size_t>(m_chosen)];
  if (list.size() > static_cast<size_t>(kExtraFields)) {
    for (int i = 0; i < kExtraFields; ++i) list[static_cast<size_t>(i)] = Text(FieldId(i));
    return;
  }
  list.clear();
  for (int i = 0; i < kExtraFields; ++i) {
    const std::string& text = Text(FieldId(i));
    if (!text.empty()) m_peal.SetPositioned(m_chosen, static_cast<size_t>(i), text);
  }
}

void CExtraDialog::FillFields() {
  for (int i = 0; i < kExtraFields; ++i) SetText(FieldId(i), "");
  if (m_chosen == kBellsList) {
    for (const auto& [position, mask] : m_peal.bells) {
      if (position >= 0 && position < kExtraFields) SetText(FieldId(position), BellMaskText(mask));
    }
    return;
  }
  const std::vector<std::string>& list = m_peal.extras[static_cast<size_t>(m_chosen)];
  const size_t shown = std::min(list.size(), static_cast<size_t>(kExtraFields));
  for (size_t i = 0; i < shown; ++i) SetText(FieldId(static_cast<int>(i)), list[i]);
}

void EditExtras(CTolvaneDoc& doc, CPeal* peal) {
  if (!peal) return;
  CExtraDialog dialog(*peal);
  if (ThePlatform().RunDialog(dialog)) {
    dialog.StoreFields();
    if (doc.PealAt(peal->pealNumber) == peal) doc.PealChanged(peal->pealNumber);
  }
  doc.modified = true;
  if (doc.views) doc.views->RedrawAll();
}

}  // namespace tv
