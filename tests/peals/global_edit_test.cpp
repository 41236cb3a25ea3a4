// Global Edit through the scripted platform: From and To chosen in the chooser, then every peal
// of every buffer changed, deleted peals included.
#include "peals/global_edit.h"

#include <gtest/gtest.h>

#include "tests/peals/ledger_fixture.h"

namespace tv {
namespace {

using testing::DialogAction;

class GlobalEditTest : public testing::LedgerFixture {
 protected:
  GlobalEditTest() {
    for (const char* name : {"Ann", "Bob", "Cat"}) people.push_back(AddPerson(name, "Smith"));
    from = static_cast<uint32_t>(people[0]);
    to = static_cast<uint32_t>(people[1]);
    other = static_cast<uint32_t>(people[2]);
    // One peal per place a person can stand, spread over buffers 1, 2 and the deleted peals.
    const auto add = [this](int day, auto&& fill) {
      auto peal = std::make_unique<CPeal>();
      peal->date = MakeDate(day, 1, 2010);
      fill(*peal);
      const uint32_t n = doc.AddPeal(std::move(peal));
      doc.InsertIntoBuffer(n, kMainBuffer);
      return n;
    };
    add(1, [this](CPeal& p) { p.ringers = {other, from, 0, from}; });
    add(2, [this](CPeal& p) {
      p.composer = from;
      p.conductor = other;
    });
    const uint32_t third = add(3, [this](CPeal& p) { p.arranger = from; });
    const uint32_t fourth = add(4, [this](CPeal& p) { p.generatedBy = from; });
    add(5, [this](CPeal& p) {
      p.conductor = from;
      p.ringers = {from};
    });
    doc.bufferRoots.push_back(0);
    doc.bufferPositions.push_back(0);
    doc.MovePeal(third, 2);
    doc.MovePeal(fourth, kDeletedBuffer);
  }

  // `agree` answers the question that comes once both entries are chosen.
  void Run(GlobalItem item, std::initializer_list<int32_t> keys, bool agree = false) {
    if (agree) platform.QueueConfirm(true);
    platform.QueueDialog([item](DialogModel& d) {
      if (item != GlobalItem::None) d.SetChecked(CGlobalDialog::ItemId(item), true);
      d.SetText("from", "AS");
      d.SetText("to", "BS");
      return DialogAction::Ok;
    });
    for (const int32_t key : keys) platform.QueueChooseKey(key);
    doc.GlobalEdit();
    platform.Pump();
    EXPECT_TRUE(platform.ScriptUsedUp());
  }

  // Every person key the peals name, peal by peal.
  std::vector<std::vector<uint32_t>> PersonsNamed() const {
    std::vector<std::vector<uint32_t>> named;
    for (uint32_t n = 1; n <= doc.lastPealNumber; ++n) {
      const CPeal& p = *doc.PealAt(n);
      std::vector<uint32_t> keys = p.ringers;
      keys.insert(keys.end(), {p.composer, p.arranger, p.generatedBy, p.conductor});
      named.push_back(keys);
    }
    return named;
  }

  std::vector<int32_t> people;
  uint32_t from = 0, to = 0, other = 0;
};

TEST_F(GlobalEditTest, PersonEditChangesEveryPlaceAPersonStandsInEveryBufferIncludingDeleted) {
  std::vector<std::vector<uint32_t>> expected = PersonsNamed();
  for (auto& keys : expected) std::replace(keys.begin(), keys.end(), from, to);
  Run(GlobalItem::Person, {people[0], people[1]}, true);

  // Peals 1, 2, 3, 4 and 5 name the From person: the deleted and transferred ones count too.
  EXPECT_EQ(platform.messages, std::vector<std::string>{
                                   "Global Edit will change 5 peals: Ann Smith becomes Bob Smith. Go on?"});
  ASSERT_EQ(platform.chooserRequests.size(), 2u);
  EXPECT_EQ(platform.chooserRequests[0].title, "From");
  EXPECT_EQ(platform.chooserRequests[0].text, "AS");
  EXPECT_EQ(platform.chooserRequests[1].title, "To");
  EXPECT_EQ(platform.chooserRequests[1].text, "BS");
  EXPECT_EQ(platform.chooserRequests[1].index, &PersonIndex());
  EXPECT_EQ(PersonsNamed(), expected);
  EXPECT_TRUE(doc.modified);
  // The From entry of the index now carries the To key.
  EXPECT_EQ(PersonIndex().Lookup(people[0])->key, people[1]);
  EXPECT_EQ(testing::BufferFaults(doc), "");
}

TEST_F(GlobalEditTest, CancelAtEitherChoiceOrNoItemChangesNothing) {
  const auto before = PersonsNamed();
  Run(GlobalItem::Person, {0});
  Run(GlobalItem::Person, {people[0], 0});
  Run(GlobalItem::None, {});
  EXPECT_EQ(PersonsNamed(), before);
  EXPECT_FALSE(doc.modified);
  EXPECT_EQ(platform.chooserRequests.size(), 3u);
}

// Regression: association keys were compared and stored as bytes, so an edit from key 300
// changed the peals of association 44 and one to key 300 stored 44.
TEST_F(GlobalEditTest, AssociationKeysBeyondAByteAreRefusedAndThePealsKept) {
  const int32_t small = AddAssoc("Small Society");
  auto big = std::make_unique<CAssoc>();
  big->name = "Big Guild";
  AssocIndex().AddWithKey(std::move(big), 256 + small);
  doc.PealAt(1)->association = static_cast<uint8_t>(small);
  Run(GlobalItem::Association, {small, 256 + small});
  EXPECT_EQ(doc.PealAt(1)->association, small);
  EXPECT_EQ(platform.messages.size(), 1u);
  EXPECT_FALSE(doc.modified);

  const int32_t other = AddAssoc("Other Society");
  Run(GlobalItem::Association, {small, other}, true);
  EXPECT_EQ(doc.PealAt(1)->association, other);
}

}  // namespace
}  // namespace tv
