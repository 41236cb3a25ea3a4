// The dialog model and its standard refusals.
#include "core/dialog_model.h"

#include <charconv>
#include <stdexcept>

#include "core/dates.h"
#include "core/text.h"

namespace tv {

DialogModel::DialogModel(std::string title) : m_title(std::move(title)) {}

DialogControl& DialogModel::Add(DialogControl control) {
  if (Has(control.id)) throw std::logic_error("duplicate dialog control " + control.id);
  control.shownText = control.text;
  m_controls.push_back(std::move(control));
  return m_controls.back();
}

DialogControl& DialogModel::AddText(std::string id, std::string caption, std::string text,
                                    size_t maxLength) {
  return Add({.id = std::move(id), .kind = ControlKind::Text, .caption = std::move(caption),
              .text = std::move(text), .maxLength = maxLength});
}

DialogControl& DialogModel::AddMultiLine(std::string id, std::string caption, std::string text,
                                         size_t maxLength) {
  return Add({.id = std::move(id), .kind = ControlKind::MultiLine, .caption = std::move(caption),
              .text = std::move(text), .maxLength = maxLength});
}

DialogControl& DialogModel::AddNumber(std::string id, std::string caption, int64_t value,
                                      int64_t minValue, int64_t maxValue) {
  return Add({.id = std::move(id), .kind = ControlKind::Number, .caption = std::move(caption),
              .text = std::to_string(value),
              .rule = minValue >= 0 ? NumberRule::Unsigned : NumberRule::Signed,
              .hasRange = true, .minValue = minValue, .maxValue = maxValue});
}

DialogControl& DialogModel::AddNumberText(std::string id, std::string caption, std::string text,
                                          NumberRule rule) {
  return Add({.id = std::move(id), .kind = ControlKind::Number, .caption = std::move(caption),
              .text = std::move(text), .rule = rule});
}

DialogControl& DialogModel::AddCheck(std::string id, std::string caption, bool checked) {
  return Add({.id = std::move(id), .kind = ControlKind::Check, .caption = std::move(caption),
              .checked = checked});
}

DialogControl& DialogModel::AddRadio(std::string id, std::string caption, std::string group,
                                     bool checked) {
  return Add({.id = std::move(id), .kind = ControlKind::Radio, .caption = std::move(caption),
              .group = std::move(group), .checked = checked});
}

DialogControl& DialogModel::AddDropDown(std::string id, std::string caption,
                                        std::vector<std::string> items, int selected) {
  return Add({.id = std::move(id), .kind = ControlKind::DropDown, .caption = std::move(caption),
              .items = std::move(items), .selected = selected});
}

DialogControl& DialogModel::AddReadOnly(std::string id, std::string caption, std::string text) {
  return Add({.id = std::move(id), .kind = ControlKind::ReadOnly, .caption = std::move(caption),
              .text = std::move(text)});
}

bool DialogModel::Has(std::string_view id) const {
  for (const auto& control : m_controls) {
    if (control.id == id) return true;
  }
  return false;
}

DialogControl& DialogModel::Control(std::string_view id) {
  for (auto& control : m_controls) {
    if (control.id == id) return control;
  }
  throw std::out_of_range("no dialog control " + std::string(id));
}

const DialogControl& DialogModel::Control(std::string_view id) const {
  return const_cast<DialogModel*>(this)->Control(id);
}

void DialogModel::SetText(std::string_view id, std::string text) { Control(id).text = std::move(text); }

void DialogModel::SetChecked(std::string_view id, bool checked) {
  DialogControl& control = Control(id);
  if (control.kind == ControlKind::Radio && checked) {
    for (auto& other : m_controls) {
      if (other.kind == ControlKind::Radio && other.group == control.group) other.checked = false;
    }
  }
  control.checked = checked;
}

void DialogModel::Select(std::string_view id, int item) { Control(id).selected = item; }

int64_t DialogModel::Number(std::string_view id) const {
  int64_t value = 0;
  return ParseDialogInteger(Control(id).text, value) ? value : 0;
}

std::string DialogModel::CheckedRadio(std::string_view group) const {
  for (const auto& control : m_controls) {
    if (control.kind == ControlKind::Radio && control.group == group && control.checked) {
      return control.id;
    }
  }
  return {};
}

bool DialogModel::Edited(std::string_view id) const {
  const DialogControl& control = Control(id);
  return control.text != control.shownText;
}

std::optional<std::string> DialogModel::RefuseBadDate(std::string_view id) {
  const std::string& text = Text(id);
  if (!Edited(id) || Trimmed(text).empty() || ParseDate(text) != 0) return std::nullopt;
  m_refused = std::string(id);
  return std::string(kRefuseDate);
}

bool ParseDialogInteger(std::string_view text, int64_t& value) {
  const std::string trimmed = Trimmed(text);
  if (trimmed.empty()) return false;
  const char* first = trimmed.data();
  const char* last = first + trimmed.size();
  if (*first == '+') ++first;
  auto [end, error] = std::from_chars(first, last, value);
  return error == std::errc() && end == last;
}

std::optional<std::string> DialogModel::Validate() {
  m_refused.clear();
  for (const auto& control : m_controls) {
    if (!control.visible || !control.enabled) continue;
    std::optional<std::string> refusal;
    if ((control.kind == ControlKind::Text || control.kind == ControlKind::MultiLine) &&
        control.maxLength > 0 && control.text.size() > control.maxLength &&
        control.text != control.shownText) {
      refusal = FormatMessage(kRefuseTooLong, std::to_string(control.maxLength));
    } else if (control.kind == ControlKind::Number) {
      int64_t value = 0;
      const bool parsed = ParseDialogInteger(control.text, value);
      if (!parsed || (control.rule == NumberRule::Unsigned && value < 0)) {
        refusal = std::string(control.rule == NumberRule::Unsigned ? kRefusePositive : kRefuseInteger);
      } else if (control.hasRange && (value < control.minValue || value > control.maxValue)) {
        refusal = FormatMessage(kRefuseRange, std::to_string(control.minValue),
                                std::to_string(control.maxValue));
      }
    }
    if (refusal) {
      m_refused = control.id;
      return refusal;
    }
  }
  return OnOk();
}

}  // namespace tv
