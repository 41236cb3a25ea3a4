// The tables: row widths against the header, the generator column, and extras numbered by
// their place in sparse lists.
#include <gtest/gtest.h>

#include <algorithm>

#include "output/csv_tables.h"
#include "tests/output/output_fixture.h"

namespace tv::testing {
namespace {

class CsvTables : public OutputTest {};

TEST_F(CsvTables, FullRowWithoutTowerOrRingersStillReachesTheHeaderWidth) {
  CPeal peal;
  peal.pealNumber = 3;
  peal.association = kYorkshire;
  peal.date = MakeDate(2, 1, 2001);
  peal.changes = 720;
  peal.generatedBy = kEveFox;
  peal.handbell = true;
  peal.tenor = 11;
  peal.extras[kFootnote] = {"Said \"well done\", twice"};
  EXPECT_EQ(TableFull(peal),
            "3,0,\"Yorkshire Association\",,,,2/1/2001,11,,720,???,\"\",\"\",\"Eve Fox\",\"\","
            "\"H\",\"Said \"well done\", twice\",,,,,,,,,,,,,,,,,,\r\n");
}

TEST_F(CsvTables, FullRowsOfEightAndOfTwentyRingers) {
  const std::string header = TableFullHeader();
  EXPECT_EQ(std::count(header.begin(), header.end(), ','), 33);
  CPeal peal = RichPeal();
  std::string row = TableFull(peal);
  EXPECT_EQ(row.substr(row.size() - 24), "\"8 Ann Bell\",,,,,,,,,,\r\n");
  peal.ringers.resize(20, kBobKing);
  row = TableFull(peal);
  EXPECT_EQ(row.substr(row.size() - 30), ",\"19 Bob King\",\"20 Bob King\"\r\n");
}

TEST_F(CsvTables, FullKeepsTheBracketOnlyWithoutACompositionAndSplitsTheMethodLine) {
  CPeal peal;
  peal.changes = 5040;
  peal.method = kSplicedMajor;
  EXPECT_NE(TableFull(peal).find(",5040,Spliced Surprise Major (8m),\"\","), std::string::npos);
  peal.composition = kSplicedComp;
  EXPECT_NE(TableFull(peal).find(",5040,Spliced Surprise Major ,\"\",\"\",\"\","
                                 "\"(8m: Bristol, Cambridge)\",\"T\","),
            std::string::npos)
      << TableFull(peal);
}

TEST_F(CsvTables, PealsRowHoldsKeysWithTheGeneratorAfterTheArranger) {
  CPeal peal = RichPeal();
  peal.arranger = kTomHart;
  peal.generatedBy = kEveFox;
  peal.rwPage = 0x1000 + 20;  // page 20 of the next year, as stored
  EXPECT_EQ(TablePeals(peal), "12,4116,3,7,15/3/2003,2,185,2751,5088,9,21,26,25,6,23,\"T\"\r\n");
}

TEST_F(CsvTables, RingerRowsNumberPositionsAndKeepVacantOnes) {
  CPeal peal;
  peal.pealNumber = 5;
  peal.ringers = {kJohnSmith, 0, kEveFox};
  EXPECT_EQ(TableRinger(peal), "5,1,22\r\n5,2,0\r\n5,3,25\r\n");
  EXPECT_EQ(TableRinger(CPeal()), "");
}

TEST_F(CsvTables, ExtrasOfSparsePositionsKeepTheirPlace) {
  CPeal peal;
  peal.pealNumber = 9;
  peal.SetPositioned(kSuffix, 3, "jnr");
  peal.SetPositioned(kSuffix, 5, "snr");
  peal.extras[kValidity] = {"withdrawn"};
  peal.extras[kCorrection] = {"", "Tenor 24"};
  EXPECT_EQ(TableExtras(peal),
            "9,\"C\",2,\"Tenor 24\"\r\n"
            "9,\"V\",1,\"withdrawn\"\r\n"
            "9,\"A\",4,\"jnr\"\r\n"
            "9,\"A\",6,\"snr\"\r\n");
}

}  // namespace
}  // namespace tv::testing
