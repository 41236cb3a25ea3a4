// The "Extra Peal Details" dialog: one of the nine tagged extras of a peal at a time, in 18
// fields, stored back whenever another extra is chosen and at OK.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/dialog_model.h"
#include "peals/peal_record.h"

namespace tv {

class CTolvaneDoc;

inline constexpr int kExtraFields = 18;

// The bell numbers of a mask's set bits, from 0 up, separated by blanks: 24 gives "3 4".
std::string BellMaskText(uint32_t mask);
// The mask a typed text gives: whitespace-separated integers read while they last, each number
// n setting bit n mod 32 (a negative n counting back from 32); reading stops after two zeros in
// a row. The empty text gives 0.
uint32_t ParseBellMask(std::string_view text);

// The dialog over a peal's nine lists and its bells. Its radio buttons have the ids of
// ExtraId; fields "field0" to "field17" hold entries 0 to 17 of the chosen extra (nine in the
// left column, nine in the right). No extra is chosen at first and every field is empty.
class CExtraDialog : public DialogModel {
 public:
  explicit CExtraDialog(CPeal& peal);

  static std::string ExtraId(int extra);
  static std::string FieldId(int i) { return "field" + std::to_string(i); }

  // The platform reports a radio button pressed: the fields go into the extra chosen before
  // and show the one chosen now.
  void OnChanged(std::string_view id) override;
  // Presses the radio button of an extra (as the user does).
  void Choose(int extra);
  // Stores the fields into the chosen extra (at OK).
  void StoreFields();
  int Chosen() const { return m_chosen; }

 private:
  void FillFields();

  CPeal& m_peal;
  int m_chosen = -1;
};

// "Extra": runs the Extra Peal Details dialog on the peal. The ledger is marked modified and
// redrawn however the dialog closes; Cancel drops only what was typed since the last change of
// extra. Nothing happens without a peal.
void EditExtras(CTolvaneDoc& doc, CPeal* peal);

}  // namespace tv
