// The "Welcome" dialog of the first start: which reference database (the folder of index files
// that holds the towers, ringers, methods and the rest) to begin with.
#pragma once

#include "core/dialog_model.h"

namespace tv {

enum class WelcomeChoice { Demo, Empty, Existing };

class CWelcomeDialog : public DialogModel {
 public:
  CWelcomeDialog();
  WelcomeChoice Choice() const;
};

inline constexpr const char* kWelcomeTitle = "Welcome";
inline constexpr const char* kWelcomeGroup = "Choose the reference database to start with";
inline constexpr const char* kWelcomeDemo = "demo";
inline constexpr const char* kWelcomeEmpty = "empty";
inline constexpr const char* kWelcomeExisting = "existing";

}  // namespace tv
