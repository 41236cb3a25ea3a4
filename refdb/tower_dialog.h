// The Tower Details dialog.
#pragma once

#include <optional>
#include <string>

#include "core/dialog_model.h"

namespace tv {

class CTower;

// The tower's place, county and dedication texts, bells, tenor, grid reference, history and
// the external record it is tied to. When the tower is tied to an external record, bells,
// tenor and grid reference open with the record's non-zero values, so that OK copies them.
class CTowerDlg : public DialogModel {
 public:
  explicit CTowerDlg(const CTower& tower);

  // Stores place, bells, tenor, hide-county and grid reference into `identity`.
  void Store(CTower& identity) const;
  bool CountyChanged() const { return Text("county") != m_countyShown; }
  bool DedicationChanged() const { return Text("dedication") != m_dedicationShown; }
  bool SteeplexTicked() const { return Checked("steeplexData") && !m_hadSteeplex; }
  bool SteeplexCleared() const { return !Checked("steeplexData") && m_hadSteeplex; }

 protected:
  // An Until Date that is not a date would give an earlier identity without a date, which the
  // record cannot keep apart from the tower itself.
  std::optional<std::string> OnOk() override;

 private:
  std::string m_countyShown;
  std::string m_dedicationShown;
  bool m_hadSteeplex = false;
};

}  // namespace tv
