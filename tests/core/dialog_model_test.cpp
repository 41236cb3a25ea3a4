// Dialog models with their standard refusals, driven through the scripted platform.
#include "core/dialog_model.h"

#include <gtest/gtest.h>

#include "core/services.h"
#include "tests/support/scripted_platform.h"

namespace tv {
namespace {

using testing::DialogAction;
using testing::ScriptedPlatform;

// A dialog of the kind the program runs: a limited name and a number in a range.
class SampleDialog : public DialogModel {
 public:
  SampleDialog() : DialogModel("Method Details") {
    AddText("name", "Name", "Cambridge", 50);
    AddNumber("count", "Number of methods", 1, 1, 1023);
    AddCheck("little", "Little", false);
    AddRadio("cc", "CC Affiliated", "CC Affiliation", true);
    AddRadio("non", "Non-Affiliated", "CC Affiliation", false);
  }
};

TEST(DialogModelTest, StandardRefusals) {
  SampleDialog dialog;
  EXPECT_EQ(dialog.Validate(), std::nullopt);

  dialog.SetText("name", std::string(51, 'x'));
  EXPECT_EQ(dialog.Validate(), "Please enter no more than 50 characters.");
  EXPECT_EQ(dialog.RefusedControl(), "name");
  dialog.SetText("name", std::string(50, 'x'));

  dialog.SetText("count", "0");
  EXPECT_EQ(dialog.Validate(), "Please enter an integer between 1 and 1023.");
  dialog.SetText("count", "1024");
  EXPECT_EQ(dialog.Validate(), "Please enter an integer between 1 and 1023.");
  dialog.SetText("count", "abc");
  EXPECT_EQ(dialog.Validate(), "Please enter a positive integer.");
  dialog.SetText("count", " 1023 ");
  EXPECT_EQ(dialog.Validate(), std::nullopt);
  EXPECT_EQ(dialog.Number("count"), 1023);

  dialog.AddNumberText("signed", "Offset", "x", NumberRule::Signed);
  EXPECT_EQ(dialog.Validate(), "Please enter an integer.");
  dialog.SetText("signed", "-5");
  EXPECT_EQ(dialog.Validate(), std::nullopt);
}

TEST(DialogModelTest, HiddenControlsAreNotChecked) {
  SampleDialog dialog;
  dialog.SetText("count", "5000");
  dialog.Control("count").visible = false;
  EXPECT_EQ(dialog.Validate(), std::nullopt);
}

TEST(DialogModelTest, RadioButtonsOfAGroupExcludeEachOther) {
  SampleDialog dialog;
  EXPECT_EQ(dialog.CheckedRadio("CC Affiliation"), "cc");
  dialog.SetChecked("non", true);
  EXPECT_EQ(dialog.CheckedRadio("CC Affiliation"), "non");
  EXPECT_FALSE(dialog.Checked("cc"));
}

TEST(DialogModelTest, PlatformRefusesOkUntilTheValueIsAcceptable) {
  ScriptedPlatform platform;
  ScopedServices services(nullptr, nullptr, &platform);
  platform.QueueDialog([](DialogModel& d) {
    d.SetText("count", "2000");
    return DialogAction::Ok;
  });
  platform.QueueDialog([](DialogModel& d) {
    d.SetText("count", "8");
    return DialogAction::Ok;
  });
  SampleDialog dialog;
  ASSERT_TRUE(ThePlatform().RunDialog(dialog));
  EXPECT_EQ(dialog.Number("count"), 8);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_EQ(platform.messages[0], "Please enter an integer between 1 and 1023.");
  EXPECT_EQ(platform.dialogTitles, std::vector<std::string>{"Method Details"});
  EXPECT_TRUE(platform.ScriptUsedUp());
}

TEST(DialogModelTest, CancelAfterARefusalLeavesTheDialogCancelled) {
  ScriptedPlatform platform;
  platform.QueueDialog([](DialogModel& d) {
    d.SetText("name", std::string(60, 'n'));
    return DialogAction::Ok;
  });
  platform.QueueDialogCancel();
  SampleDialog dialog;
  EXPECT_FALSE(platform.RunDialog(dialog));
  EXPECT_EQ(platform.messages, std::vector<std::string>{"Please enter no more than 50 characters."});
}

TEST(DialogModelTest, AnUnscriptedDialogFailsTheTestLoudly) {
  ScriptedPlatform platform;
  SampleDialog dialog;
  EXPECT_THROW(platform.RunDialog(dialog), std::logic_error);
}

}  // namespace
}  // namespace tv
