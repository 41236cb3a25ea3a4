// Dialogs as models: the logic fills the controls (captions, texts, limits, which show), the
// platform runs the window, and the logic reads the values back. The standard refusals of
// edit fields are enforced here, once for every dialog.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tv {

enum class ControlKind {
  Text,       // one-line edit field, optionally limited in length
  MultiLine,  // several-line edit field
  Number,     // edit field holding an integer, checked at OK
  Check,      // check box
  Radio,      // radio button; buttons of one `group` exclude each other
  DropDown,   // drop-down list of fixed items
  ReadOnly,   // text shown but not editable
};

enum class NumberRule {
  Signed,    // any integer ("Please enter an integer.")
  Unsigned,  // a non-negative integer ("Please enter a positive integer.")
};

struct DialogControl {
  std::string id;       // stable name the logic and the platform use
  ControlKind kind = ControlKind::Text;
  std::string caption;  // label shown beside the control
  std::string group;    // title of the box around a radio group or a set of controls
  std::string text;     // Text, MultiLine, Number (as typed) and ReadOnly
  // The text the dialog was filled with. A length limit holds for what the user types: a longer
  // text the dialog showed and the user left alone passes as it is.
  std::string shownText;
  size_t maxLength = 0;  // 0: no limit
  NumberRule rule = NumberRule::Signed;
  bool hasRange = false;
  int64_t minValue = 0;
  int64_t maxValue = 0;
  bool checked = false;                // Check and Radio
  std::vector<std::string> items;      // DropDown
  int selected = -1;                   // DropDown: item index, -1 for none
  bool visible = true;
  bool enabled = true;
};

inline constexpr std::string_view kRefuseTooLong = "Please enter no more than %1 characters.";
inline constexpr std::string_view kRefuseRange = "Please enter an integer between %1 and %2.";
inline constexpr std::string_view kRefuseInteger = "Please enter an integer.";
inline constexpr std::string_view kRefusePositive = "Please enter a positive integer.";
inline constexpr std::string_view kRefuseDate = "Please enter a valid date.";

class DialogModel {
 public:
  explicit DialogModel(std::string title);
  virtual ~DialogModel() = default;

  const std::string& Title() const { return m_title; }
  void SetTitle(std::string title) { m_title = std::move(title); }

  DialogControl& AddText(std::string id, std::string caption, std::string text,
                         size_t maxLength = 0);
  DialogControl& AddMultiLine(std::string id, std::string caption, std::string text,
                              size_t maxLength = 0);
  DialogControl& AddNumber(std::string id, std::string caption, int64_t value, int64_t minValue,
                           int64_t maxValue);
  DialogControl& AddNumberText(std::string id, std::string caption, std::string text,
                               NumberRule rule);
  DialogControl& AddCheck(std::string id, std::string caption, bool checked);
  DialogControl& AddRadio(std::string id, std::string caption, std::string group, bool checked);
  DialogControl& AddDropDown(std::string id, std::string caption, std::vector<std::string> items,
                             int selected);
  DialogControl& AddReadOnly(std::string id, std::string caption, std::string text);

  bool Has(std::string_view id) const;
  DialogControl& Control(std::string_view id);
  const DialogControl& Control(std::string_view id) const;
  std::vector<DialogControl>& Controls() { return m_controls; }
  const std::vector<DialogControl>& Controls() const { return m_controls; }

  // Convenience access by id.
  const std::string& Text(std::string_view id) const { return Control(id).text; }
  void SetText(std::string_view id, std::string text);
  bool Checked(std::string_view id) const { return Control(id).checked; }
  void SetChecked(std::string_view id, bool checked);
  int Selected(std::string_view id) const { return Control(id).selected; }
  void Select(std::string_view id, int item);
  // The value of a Number control; 0 when it does not parse (Validate refuses such a value).
  int64_t Number(std::string_view id) const;
  // The id of the checked radio button of a group, or empty.
  std::string CheckedRadio(std::string_view group) const;

  // The platform calls these as the user works.
  virtual void OnFocusLost(std::string_view id) { (void)id; }
  virtual void OnChanged(std::string_view id) { (void)id; }

  // The refusal message for the first visible control whose value is not acceptable, checked in
  // order, then the dialog's own checks (OnOk); nothing when OK may close the dialog. A text
  // longer than its limit is refused only when it is not the text the dialog was filled with.
  std::optional<std::string> Validate();

  // The id of the control that Validate last refused, for the platform to focus.
  const std::string& RefusedControl() const { return m_refused; }
  // Whether the user changed a control's text from the one the dialog was filled with.
  bool Edited(std::string_view id) const;

 protected:
  // A dialog's own checks at OK, after every control passed; a message refuses. No side effects:
  // the caller reads the values back once the dialog has closed.
  virtual std::optional<std::string> OnOk() { return std::nullopt; }
  // Refuses a date text the user typed that names no day; an empty text is no date and passes.
  // For OnOk: sets the refused control.
  std::optional<std::string> RefuseBadDate(std::string_view id);
  void SetRefused(std::string id) { m_refused = std::move(id); }

 private:
  DialogControl& Add(DialogControl control);

  std::string m_title;
  std::vector<DialogControl> m_controls;
  std::string m_refused;
};

// Parses an integer typed in a dialog (blanks around it allowed); false when it is not one.
bool ParseDialogInteger(std::string_view text, int64_t& value);

}  // namespace tv
