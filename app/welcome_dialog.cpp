// The "Welcome" dialog.
#include "app/welcome_dialog.h"

namespace tv {

CWelcomeDialog::CWelcomeDialog() : DialogModel(kWelcomeTitle) {
  AddRadio(kWelcomeDemo, "The demonstration database: made-up peals to look around in",
           kWelcomeGroup, true);
  AddRadio(kWelcomeEmpty, "A new, empty database in a folder you choose", kWelcomeGroup, false);
  AddRadio(kWelcomeExisting, "An existing database folder", kWelcomeGroup, false);
}

WelcomeChoice CWelcomeDialog::Choice() const {
  const std::string chosen = CheckedRadio(kWelcomeGroup);
  if (chosen == kWelcomeEmpty) return WelcomeChoice::Empty;
  if (chosen == kWelcomeExisting) return WelcomeChoice::Existing;
  return WelcomeChoice::Demo;
}

}  // namespace tv
