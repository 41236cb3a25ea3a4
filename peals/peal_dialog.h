// The "Peal Details" dialog: the texts and numbers of one peal as the user types them
// (CPealForm), and the dialog model over them (CPealDialog).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/dialog_model.h"
#include "peals/peal_record.h"

namespace tv {

inline constexpr int kEntryFootnotes = 3;
inline constexpr int32_t kMaxRwPageEntry = 1001999;

// Limits of the dialog's text fields; 0 for none.
inline constexpr size_t kAssociationTextLimit = 30;
inline constexpr size_t kTowerTextLimit = 30;
inline constexpr size_t kDedicationTextLimit = 50;
inline constexpr size_t kDateTextLimit = 12;
inline constexpr size_t kTimeTextLimit = 10;
inline constexpr size_t kTenorTextLimit = 10;
inline constexpr size_t kMethodTextLimit = 40;
inline constexpr size_t kPersonTextLimit = 20;
inline constexpr size_t kCompositionTextLimit = 50;

// One state of the dialog: what it shows, or what the user left in it.
struct CPealForm {
  int32_t rwPage = 0;
  std::string association;
  std::string tower;
  std::string dedication;  // shown only; follows the tower
  bool hand = false;
  std::string date;
  int sequence = 0;
  std::string time;
  std::string tenor;
  int32_t changes = 0;
  std::string method;
  std::string composer;
  std::string arranger;
  std::string generatedBy;
  std::string composition;
  std::string conductor;
  std::array<std::string, kMaxEntryRingers> ringers;
  std::array<std::string, kEntryFootnotes> footnotes;

  bool operator==(const CPealForm&) const = default;
};

// The dialog over a form. Ringer n (1 to 18) has id "ringerN" and stands in column (n-1)/6,
// row (n-1) mod 6 of the "Ringers" group; footnote k has id "footnoteK".
class CPealDialog : public DialogModel {
 public:
  explicit CPealDialog(const CPealForm& form);
  // The values as the dialog now holds them (after OK they have passed Validate).
  CPealForm Form() const;

  static std::string RingerId(int n) { return "ringer" + std::to_string(n); }
  static std::string FootnoteId(int k) { return "footnote" + std::to_string(k); }

 protected:
  // "No" takes a byte and Changes a 32-bit number, each refused with its own message.
  std::optional<std::string> OnOk() override;
};

}  // namespace tv
