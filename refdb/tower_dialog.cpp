// The Tower Details dialog, and the index choices that an accepted edit leaves to settle.
#include "refdb/tower_dialog.h"

#include "core/dates.h"
#include "core/services.h"
#include "core/text.h"
#include "refdb/assoc.h"
#include "refdb/index_set.h"
#include "refdb/saint.h"
#include "refdb/steeplex.h"
#include "refdb/tower.h"

namespace tv {

CTowerDlg::CTowerDlg(const CTower& tower) : DialogModel("Tower Details") {
  m_countyShown = tower.CountyNameAt(0);
  m_dedicationShown = tower.DedicationNameAt(1, 0);
  m_hadSteeplex = tower.steeplexKey != 0;

  uint8_t bells = tower.bellCount;
  uint16_t tenor = tower.tenorWeight;
  uint16_t easting = tower.gridEasting;
  uint16_t northing = tower.gridNorthing;
  const CSteeplex* record = SteeplexRecord(tower.steeplexKey);
  if (record) {
    if (record->bellCount) bells = record->bellCount;
    if (record->tenorWeight) tenor = record->tenorWeight;
    if (record->gridEasting) {
      easting = record->gridEasting;
      northing = record->gridNorthing;
    }
  }

  AddText("place", "Place", tower.place, 50);
  AddText("county", "County", m_countyShown, 20);
  AddText("dedication", "Dedication", m_dedicationShown, 100);
  AddNumber("bells", "Bells", bells, 0, 24);
  AddText("tenor", "Tenor", WeightText(tenor), 10);
  AddText("gridRef", "Grid Ref", GridRefText(easting, northing), 8);
  AddText("untilDate", "Until Date", "");
  AddCheck("history", "History", tower.earlier != nullptr);
  AddCheck("hideCounty", "Hide County", tower.hideCounty != 0);
  AddCheck("steeplexData", "Steeplex Data", m_hadSteeplex);
  AddReadOnly("steeplexKey", "", std::to_string(tower.steeplexKey));
  auto text = [record](int n, uint16_t key) {
    return record ? StringText(n, key) : std::string();
  };
  AddReadOnly("sxLocation", "Location", record ? record->location : std::string());
  AddReadOnly("sxSaint", "Saint", text(kSxSaint, record ? record->saint : 0));
  AddReadOnly("sxBuilding", "Building", text(kSxBuilding, record ? record->building : 0));
  AddReadOnly("sxCounty", "County", text(kSxCounty, record ? record->county : 0));
  AddReadOnly("sxAssociation", "Association",
              text(kSxAssociation, record ? record->association : 0));
  AddReadOnly("sxPractice", "Practice", text(kSxPractice, record ? record->practice : 0));
  AddReadOnly("sxMap", "Map", text(kSxMap, record ? record->map : 0));
}

std::optional<std::string> CTowerDlg::OnOk() {
  const std::string until = Trimmed(Text("untilDate"));
  if (!until.empty() && ParseDate(until) == 0) return std::string(kRefuseDate);
  return std::nullopt;
}

void CTowerDlg::Store(CTower& identity) const {
  identity.place = Text("place");
  identity.bellCount = static_cast<uint8_t>(Number("bells"));
  identity.tenorWeight = ParseWeight(Text("tenor"));
  identity.hideCounty = Checked("hideCounty") ? 1 : 0;
  const GridRef grid = ParseGridRef(Text("gridRef"));
  identity.gridEasting = grid.easting;
  identity.gridNorthing = grid.northing;
}

int CTower::Edit() {
  CTowerDlg dialog(*this);
  if (!ThePlatform().RunDialog(dialog)) return 0;

  auto pending = std::make_unique<PendingChoices>();
  CTower* identity = this;
  const std::string until = Trimmed(dialog.Text("untilDate"));
  if (!until.empty()) {
    // The user describes what the tower was up to that date: the values go into a copy that
    // becomes the newest earlier identity.
    auto before = CloneChain();
    before->untilDate = ParseDate(until);
    earlier = std::move(before);
    identity = earlier.get();
    pending->depth = 1;
  } else if (!dialog.Checked("history")) {
    earlier.reset();
  }
  dialog.Store(*identity);

  pending->county = dialog.CountyChanged();
  pending->countyText = dialog.Text("county");
  pending->dedication = dialog.DedicationChanged();
  pending->dedicationText = dialog.Text("dedication");
  pending->tieSteeplex = dialog.SteeplexTicked();
  pending->untieSteeplex = dialog.SteeplexCleared();
  m_pending = std::move(pending);
  ContinueChoices();
  return 1;
}

CTower& CTower::IdentityAtDepth(int depth) {
  CTower* identity = this;
  for (int i = 0; i < depth && identity->earlier; ++i) identity = identity->earlier.get();
  return *identity;
}

void CTower::ContinueChoices() {
  if (!m_pending) return;
  PendingChoices& p = *m_pending;
  // The platform may report a choice before StartChooser returns, so the step asked about is
  // recorded first and nothing is touched after the request.
  using Step = PendingChoices::Step;
  if (p.county) {
    p.asking = Step::County;
    ThePlatform().StartChooser({.chooser = 2, .target = this, .index = &CountyIndex(),
                                .text = p.countyText, .title = "County"});
    return;
  }
  if (p.dedication) {
    p.asking = Step::Dedication;
    ThePlatform().StartChooser({.chooser = 2, .target = this, .index = &SaintIndex(),
                                .text = p.dedicationText, .title = "Dedication"});
    return;
  }
  if (p.tieSteeplex) {
    p.asking = Step::Steeplex;
    ThePlatform().StartChooser({.chooser = 2, .target = this, .index = &SteeplexIndex(),
                                .text = place, .title = "Steeplex Tower"});
    return;
  }
  const bool untie = p.untieSteeplex;
  const bool resort = p.resort;
  m_pending.reset();
  if (untie) {
    // The cross-reference lets the record go as well, so that it no longer names this tower.
    if (steeplexKey != 0 && TowerOf(steeplexKey) == key) LinkSteeplex(steeplexKey, 0);
    SetSteeplex(0);
  }
  // A county or dedication chosen after the dialog closed changes the tower's place in order.
  if (resort && key != 0) TowerIndex().Insert(this, key, true);
}

void CTower::OnChosen(int32_t chosen) {
  if (!m_pending) return;
  PendingChoices& p = *m_pending;
  using Step = PendingChoices::Step;
  switch (p.asking) {
    case Step::County:
      p.county = false;
      if (chosen > kMaxByteKey) {
        ThePlatform().Message("County " + std::to_string(chosen) +
                              " cannot be given to a tower: towers hold county keys up to 255.");
      } else {
        IdentityAtDepth(p.depth).county = static_cast<uint8_t>(chosen);
        p.resort = true;
      }
      break;
    case Step::Dedication:
      p.dedication = false;
      IdentityAtDepth(p.depth).dedication = chosen;
      p.resort = true;
      break;
    case Step::Steeplex:
      p.tieSteeplex = false;
      if (chosen != 0) LinkSteeplex(chosen, key);
      break;
    case Step::None:
      return;
  }
  p.asking = Step::None;
  ContinueChoices();
}

}  // namespace tv
