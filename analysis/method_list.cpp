// The method analysis, the stage totals, the table by stage and its thresholds.
#include "analysis/method_list.h"

#include <algorithm>
#include <map>

#include "analysis/key_names.h"
#include "core/services.h"
#include "refdb/index_set.h"

namespace tv {
namespace {

constexpr int kFirstThresholdStage = 4;
constexpr int kOddHighStage = 13;   // "Sextuples+": 13 and every odd stage above
constexpr int kEvenHighStage = 14;  // "Fourteen+": 14 and every even stage above
constexpr int kLastStage = kStageCount - 1;
// The default threshold of a stage is its peals divided by these (stages 4 to 14).
constexpr std::array<uint32_t, 11> kDefaultDivisors = {10, 30, 20, 10, 150, 10, 50, 10, 20, 10, 10};
constexpr uint32_t kLeastDefault = 2;

const char* const kChoiceCaptions[CThreshDialog::kChoices + 1] = {
    "Minimus", "Doubles", "Minor", "Triples", "Major", "Caters", "Royal",
    "Cinques", "Maximus", "Sextuples+", "Fourteen+", "All"};
constexpr const char* kStageGroup = "Stage";
constexpr const char* kBox = "threshold";

struct MethodFacts {
  int stage = 0;
  int count = 1;
  std::string title;
  int category = 0;  // PacCategory(false)
  int detailed = 0;  // PacCategory(true)
};

MethodFacts FactsOf(int32_t key) {
  MethodFacts facts;
  const CMethod* method = MethodIndex().Method(key);
  if (!method) {
    facts.title = StandByName(key);
    facts.category = facts.detailed = CMethod().PacCategory(false);
    return facts;
  }
  facts.stage = method->stage;
  facts.count = method->methodCount;
  facts.title = method->Title(false, false);
  facts.category = method->PacCategory(false);
  facts.detailed = method->PacCategory(true);
  return facts;
}

}  // namespace

// --- the threshold dialog ---

CThreshDialog::CThreshDialog(const std::array<uint32_t, kChoices>& thresholds)
    : DialogModel("Analysis Threshold"), m_values(thresholds) {
  for (int choice = 0; choice <= kAll; ++choice) {
    AddRadio(ChoiceId(choice), kChoiceCaptions[choice], kStageGroup, false);
  }
  AddNumber(kBox, "Threshold", 1, 1, 1000);
}

std::string CThreshDialog::ChoiceId(int choice) { return "stage" + std::to_string(choice); }

void CThreshDialog::Choose(int choice) {
  SetChecked(ChoiceId(choice), true);
  OnChanged(ChoiceId(choice));
}

void CThreshDialog::StoreBox() {
  int64_t value = 0;
  // A value the box would refuse is not taken.
  if (!ParseDialogInteger(Text(kBox), value) || value < 1 || value > 1000) return;
  if (m_current == kAll) {
    m_values.fill(static_cast<uint32_t>(value));
  } else if (m_current >= 0) {
    m_values[static_cast<size_t>(m_current)] = static_cast<uint32_t>(value);
  }
}

void CThreshDialog::OnChanged(std::string_view id) {
  for (int choice = 0; choice <= kAll; ++choice) {
    if (id != ChoiceId(choice) || !Checked(id) || choice == m_current) continue;
    StoreBox();
    m_current = choice;
    const uint32_t shown = choice == kAll ? 1 : m_values[static_cast<size_t>(choice)];
    SetText(kBox, std::to_string(shown));
    return;
  }
}

std::array<uint32_t, CThreshDialog::kChoices> CThreshDialog::Result() {
  StoreBox();
  return m_values;
}

// --- stage order and stage totals ---

int CompareStages(int a, int b) {
  const bool aTwo = (a & kTwoStages) != 0;
  const bool bTwo = (b & kTwoStages) != 0;
  if (aTwo != bTwo) return aTwo ? 1 : -1;
  return a > b ? -1 : (a < b ? 1 : 0);
}

CStageList::CStageList(CMethodList& methods, const CAnalSelection& selection, Date today)
    : CAnalList({.showChanges = methods.Options().showChanges, .showTime = methods.Options().showTime},
                selection, today),
      m_methods(methods) {}

int CStageList::CompareItems(const CAnalItem& a, const CAnalItem& b) {
  return CompareStages(a.key, b.key);
}

std::string CStageList::ItemLine(const CAnalItem& item) {
  if (!m_methods.m_thresholdsSet && item.key >= 0 && item.key < kStageCount) {
    m_methods.m_thresholds[static_cast<size_t>(item.key)] = item.Rung();
  }
  return CountColumns(item) + StageName(static_cast<unsigned>(item.key));
}

// --- methods ---

int CMethodList::CompareItems(const CAnalItem& a, const CAnalItem& b) {
  if (const int byCounts = CompareCounts(a, b); byCounts != 0) return byCounts;
  return CompareKeyObjects(MethodIndex(), a.key, b.key);
}

std::string CMethodList::ItemLine(const CAnalItem& item) {
  std::string name;
  if (const CIndObj* method = MethodIndex().Lookup(item.key)) {
    name = method->GetName(0);
  } else if (item.key > 0) {
    AddPlaceholder(item.key);
    name = MethodIndex().NameOf(item.key, 0);
  } else {
    name = StandByName(item.key);
  }
  return CountColumns(item) + name;
}

void CMethodList::AddPeal(const CPeal& peal) {
  const auto method = static_cast<int32_t>(peal.method);
  CountPeal(peal, method);
  CountConductorRule(peal, method);
}

void CMethodList::SaveIndex(File& data, File& index) {
  std::vector<int32_t> keys;
  for (const auto& entry : Items()) keys.push_back(entry.first);
  WriteIndexOfKeys(MethodIndex(), [] { return std::make_unique<CMethod>(); }, keys, data, index);
}

void CMethodList::BeginLookups() { MethodIndex().OpenForUpdate(); }
void CMethodList::EndLookups() { MethodIndex().CloseAfterUpdate(); }

void CMethodList::SpreadHighStages() {
  for (int s = kEvenHighStage + 1; s <= kLastStage; ++s) {
    m_thresholds[static_cast<size_t>(s)] = m_thresholds[static_cast<size_t>(s - 2)];
  }
}

void CMethodList::ComputeDefaultThresholds() {
  for (int s = kLastStage - 2; s >= kOddHighStage; --s) {
    m_thresholds[static_cast<size_t>(s)] += m_thresholds[static_cast<size_t>(s + 2)];
  }
  for (int s = kFirstThresholdStage; s <= kEvenHighStage; ++s) {
    uint32_t& value = m_thresholds[static_cast<size_t>(s)];
    value /= kDefaultDivisors[static_cast<size_t>(s - kFirstThresholdStage)];
    value = std::max(value, kLeastDefault);
  }
  SpreadHighStages();
  m_thresholdsSet = true;
}

void CMethodList::SetThresholds(const std::array<uint32_t, CThreshDialog::kChoices>& values) {
  for (size_t i = 0; i < values.size(); ++i) m_thresholds[kFirstThresholdStage + i] = values[i];
  SpreadHighStages();
}

bool CMethodList::EditThreshold() {
  std::array<uint32_t, CThreshDialog::kChoices> values{};
  for (size_t i = 0; i < values.size(); ++i) values[i] = m_thresholds[kFirstThresholdStage + i];
  CThreshDialog dialog(values);
  if (!ThePlatform().RunDialog(dialog)) return false;
  SetThresholds(dialog.Result());
  return true;
}

bool CMethodList::BuildAlternative(std::vector<std::string>& lines) {
  // The rows of the main presentation, in its order, with what the table needs of their methods.
  std::vector<std::pair<const CAnalItem*, MethodFacts>> rows;
  for (const CAnalItem* row : Listed()) rows.emplace_back(row, FactsOf(row->key));

  CStageList stages(*this, Selection(), TodayDate());
  for (const auto& [row, facts] : rows) stages.MergeItem(facts.stage, *row);
  lines = stages.BuildReport();
  if (!m_thresholdsSet) ComputeDefaultThresholds();

  std::vector<std::string> titles;  // the methods named, in the order first met
  for (int s = kLastStage; s >= kFirstThresholdStage; --s) {
    if (!stages.Find(s)) continue;
    lines.emplace_back();
    lines.push_back(StageName(static_cast<unsigned>(s)));
    std::array<CAnalItem, kPacCategoryCount> categories{};
    for (const auto& [row, facts] : rows) {
      if (facts.stage != s) continue;
      if (facts.count < 2 && row->Rung() >= m_thresholds[static_cast<size_t>(s)]) {
        lines.push_back(CountColumns(*row) + "   " + facts.title);
        if (std::find(titles.begin(), titles.end(), facts.title) == titles.end()) {
          titles.push_back(facts.title);
        }
      } else {
        AddItemInto(categories[static_cast<size_t>(facts.count < 2 ? facts.category : facts.detailed)],
                    *row);
      }
    }
    for (int c = 0; c < kPacCategoryCount; ++c) {
      const CAnalItem& category = categories[static_cast<size_t>(c)];
      if (category.Rung() != 0) {
        lines.push_back(CountColumns(category) + "   " + std::string(PacCategoryName(c)));
      }
    }
  }

  lines.emplace_back();
  lines.emplace_back("Totals");
  const CAnalItem empty;
  std::vector<CAnalItem> titleTotals(titles.size(), empty);
  std::array<CAnalItem, kPacCategoryCount> categoryTotals{};
  categoryTotals.fill(empty);
  for (const auto& [row, facts] : rows) {
    const auto named = std::find(titles.begin(), titles.end(), facts.title);
    if (named != titles.end()) {
      AddItemInto(titleTotals[static_cast<size_t>(named - titles.begin())], *row);
    } else {
      AddItemInto(categoryTotals[static_cast<size_t>(facts.category)], *row);
    }
  }
  for (size_t i = 0; i < titles.size(); ++i) {
    lines.push_back(CountColumns(titleTotals[i]) + "   " + titles[i]);
  }
  for (int c = 0; c < kPacCategoryCount; ++c) {
    const CAnalItem& category = categoryTotals[static_cast<size_t>(c)];
    if (category.Rung() != 0) {
      lines.push_back(CountColumns(category) + "   " + std::string(PacCategoryName(c)));
    }
  }
  return true;
}

}  // namespace tv
