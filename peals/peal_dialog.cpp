// The Peal Details dialog model: its fields, captions and limits, and the form read back.
#include "peals/peal_dialog.h"

#include <limits>

#include "core/text.h"
#include "refdb/tower.h"

namespace tv {
namespace {

constexpr const char* kTowerOrHandGroup = "Tower or Hand";
constexpr const char* kRingersGroup = "Ringers";
constexpr const char* kFootnotesGroup = "Footnotes";
constexpr std::string_view kRefuseSequence = "Please enter an integer between 0 and 255.";
constexpr std::string_view kRefuseTowerTenor =
    "Please enter a valid tenor weight, such as 24-1-3 (cwt-qr-lb) or 24 (cwt).";
constexpr std::string_view kRefuseHandTenor = "Please enter a valid tenor size, such as 15.";
// The most a peal's tenor holds.
constexpr uint32_t kMaxTenor = 0x7FFF;

bool HasDigit(std::string_view text) {
  return text.find_first_of("0123456789") != std::string_view::npos;
}

}  // namespace

CPealDialog::CPealDialog(const CPealForm& form) : DialogModel("Peal Details") {
  AddNumber("rwPage", "RWPage", form.rwPage, 0, kMaxRwPageEntry);
  AddText("association", "Association", form.association, kAssociationTextLimit);
  AddText("tower", "Tower", form.tower, kTowerTextLimit);
  AddReadOnly("dedication", "Dedication", form.dedication.substr(0, kDedicationTextLimit));
  AddRadio("towerPeal", "Tower", kTowerOrHandGroup, !form.hand);
  AddRadio("handPeal", "Hand", kTowerOrHandGroup, form.hand);
  AddText("date", "Date", form.date, kDateTextLimit);
  // A byte: checked at OK, where anything else gets the byte's own message.
  AddText("sequence", "No", std::to_string(form.sequence));
  AddText("time", "Time", form.time, kTimeTextLimit);
  AddText("tenor", "Tenor", form.tenor, kTenorTextLimit);
  AddNumberText("changes", "Changes", std::to_string(form.changes), NumberRule::Signed);
  AddText("method", "Method", form.method, kMethodTextLimit);
  AddText("composer", "Composer", form.composer, kPersonTextLimit);
  AddText("arranger", "Arranger", form.arranger, kPersonTextLimit);
  AddText("generatedBy", "Generated", form.generatedBy);
  AddText("composition", "Composition", form.composition, kCompositionTextLimit);
  AddText("conductor", "Conductor", form.conductor, kPersonTextLimit);
  for (int n = 1; n <= kMaxEntryRingers; ++n) {
    AddText(RingerId(n), std::to_string(n), form.ringers[n - 1], kPersonTextLimit).group =
        kRingersGroup;
  }
  for (int k = 1; k <= kEntryFootnotes; ++k) {
    AddMultiLine(FootnoteId(k), std::to_string(k), form.footnotes[k - 1]).group = kFootnotesGroup;
  }
}

CPealForm CPealDialog::Form() const {
  CPealForm form;
  form.rwPage = static_cast<int32_t>(Number("rwPage"));
  form.association = Text("association");
  form.tower = Text("tower");
  form.dedication = Text("dedication");
  form.hand = Checked("handPeal");
  form.date = Text("date");
  int64_t value = 0;
  form.sequence = ParseDialogInteger(Text("sequence"), value) ? static_cast<int>(value) : 0;
  form.time = Text("time");
  form.tenor = Text("tenor");
  form.changes = static_cast<int32_t>(Number("changes"));
  form.method = Text("method");
  form.composer = Text("composer");
  form.arranger = Text("arranger");
  form.generatedBy = Text("generatedBy");
  form.composition = Text("composition");
  form.conductor = Text("conductor");
  for (int n = 1; n <= kMaxEntryRingers; ++n) form.ringers[n - 1] = Text(RingerId(n));
  for (int k = 1; k <= kEntryFootnotes; ++k) form.footnotes[k - 1] = Text(FootnoteId(k));
  return form;
}

std::optional<std::string> CPealDialog::OnOk() {
  int64_t value = 0;
  if (!ParseDialogInteger(Text("sequence"), value) || value < 0 || value > 255) {
    return std::string(kRefuseSequence);
  }
  if (Number("changes") < std::numeric_limits<int32_t>::min() ||
      Number("changes") > std::numeric_limits<int32_t>::max()) {
    return std::string(kRefuseInteger);
  }
  // A date or tenor typed that names nothing would otherwise be stored as none without a word.
  if (auto refusal = RefuseBadDate("date")) return refusal;
  const std::string tenor = Trimmed(Text("tenor"));
  if (Edited("tenor") && !tenor.empty()) {
    const bool hand = Checked("handPeal");
    // A weight's hundredweights are checked alone, since the weight in pounds wraps.
    const uint32_t lead = static_cast<uint32_t>(ParseDigits(tenor.substr(0, tenor.find_first_of("/-:"))));
    const uint32_t weight = hand ? static_cast<uint32_t>(ParseDigits(tenor)) : ParseWeight(tenor);
    if (!HasDigit(tenor) || weight == 0 || weight > kMaxTenor || (!hand && lead > kMaxTenor / 112)) {
      SetRefused("tenor");
      return std::string(hand ? kRefuseHandTenor : kRefuseTowerTenor);
    }
  }
  return std::nullopt;
}

}  // namespace tv
