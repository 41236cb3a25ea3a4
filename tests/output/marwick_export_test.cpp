// The Marwick tower files: made with their heading, appended to by later exports, and left
// whole when one cannot be written.
#include <gtest/gtest.h>

#include "output/marwick_export.h"
#include "tests/output/output_fixture.h"

namespace tv::testing {
namespace {

class MarwickExport : public OutputTest {
 protected:
  static CPeal At(uint32_t tower, int day, uint32_t method = kYorkshireMajor) {
    CPeal peal;
    peal.tower = tower;
    peal.date = MakeDate(day, 4, 2004);
    peal.method = method;
    return peal;
  }
};

TEST_F(MarwickExport, TwoPealsAtOneTowerShareOneFileAndALaterExportAppends) {
  CPeal first = At(kLeeds, 3);
  CPeal second = At(kLeeds, 10, kSplicedMajor);
  second.extras[kFootnote] = {"Quarter", "ignored"};
  const std::vector<const CPeal*> peals{&first, &second};
  CMarwickResult result = ExportMarwick(peals, "/out/");
  EXPECT_EQ(result.pealsWritten, 2);
  const std::string once =
      "@1234\r\n"
      "03/04/2004 Yorkshire Surprise Major\r\n"
      "10/04/2004 Spliced Surprise Major (8 Methods) \"Quarter\"\r\n";
  EXPECT_EQ(files.Contents("/out/f1/1234.mp1"), once);
  result = ExportMarwick(peals, "/out/");
  EXPECT_EQ(files.Contents("/out/f1/1234.mp1"),
            once + "03/04/2004 Yorkshire Surprise Major\r\n"
                   "10/04/2004 Spliced Surprise Major (8 Methods) \"Quarter\"\r\n");
}

TEST_F(MarwickExport, MethodCountsOfTwoDigitsAndPealsWithoutATower) {
  AddMethod(40, "", 1, 6, 10);  // Place Minor (10m)
  CPeal peal = At(kHandVenue, 1, 40);
  CPeal noTower = At(0, 2);
  CPeal missingMethod = At(kHandVenue, 3, 0);
  const std::vector<const CPeal*> peals{&peal, &noTower, &missingMethod};
  const CMarwickResult result = ExportMarwick(peals, "/out/");
  EXPECT_EQ(result.pealsWithoutTower, 1);
  EXPECT_EQ(result.pealsWritten, 2);
  EXPECT_EQ(files.Contents("/out/t0/8.mp1"),
            "@0\r\n01/04/2004 Place Minor (10 Methods)\r\n03/04/2004 #0\r\n");
  EXPECT_EQ(MarwickFilePath(987), "f0/987.mp1");
  EXPECT_EQ(MarwickFilePath(12345), "f12/12345.mp1");
  EXPECT_EQ(MarwickTowerFilePath(12345), "t12/12345.mp1");
}

// Regression: every tower without a Steeplex key was written into the one file f0/0.mp1, under
// one heading, so their peals could not be told apart.
TEST_F(MarwickExport, EachTowerWithoutSteeplexDataHasAFileOfItsOwn) {
  AddTower(30, "Ripon", kWestYorks, 0, 0);
  AddTower(1234, "Otley", kWestYorks, 0, 0);  // its tower key is Leeds's Steeplex key
  CPeal ilkley = At(kHandVenue, 1);
  CPeal ripon = At(30, 2);
  CPeal otley = At(1234, 3);
  CPeal leeds = At(kLeeds, 4);
  CPeal ripon2 = At(30, 5);
  const std::vector<const CPeal*> peals{&ilkley, &ripon, &otley, &leeds, &ripon2};
  const CMarwickResult result = ExportMarwick(peals, "/out/");
  EXPECT_EQ(result.pealsWritten, 5);
  EXPECT_EQ(files.Contents("/out/t0/8.mp1"), "@0\r\n01/04/2004 Yorkshire Surprise Major\r\n");
  EXPECT_EQ(files.Contents("/out/t0/30.mp1"),
            "@0\r\n02/04/2004 Yorkshire Surprise Major\r\n05/04/2004 Yorkshire Surprise Major\r\n");
  EXPECT_EQ(files.Contents("/out/t1/1234.mp1"), "@0\r\n03/04/2004 Yorkshire Surprise Major\r\n");
  EXPECT_EQ(files.Contents("/out/f1/1234.mp1"), "@1234\r\n04/04/2004 Yorkshire Surprise Major\r\n");
  EXPECT_FALSE(files.Exists("/out/f0/0.mp1"));
}

TEST_F(MarwickExport, UnwritableTowerFileIsReportedAndTheOthersAreWritten) {
  files.CreateDirectory("/out/f1/1234.mp1");  // a folder stands where the file should be
  CPeal leeds = At(kLeeds, 3);
  CPeal ilkley = At(kHandVenue, 4);
  const std::vector<const CPeal*> peals{&leeds, &ilkley, &leeds};
  const CMarwickResult result = ExportMarwick(peals, "/out/");
  EXPECT_EQ(result.pealsWritten, 1);
  EXPECT_EQ(result.pealsSkipped, 2);
  EXPECT_EQ(result.failedFiles, std::vector<std::string>{"/out/f1/1234.mp1"});
  EXPECT_EQ(files.Contents("/out/t0/8.mp1"), "@0\r\n04/04/2004 Yorkshire Surprise Major\r\n");
}

}  // namespace
}  // namespace tv::testing
