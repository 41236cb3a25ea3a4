// The Marwick per-tower export.
#include "output/marwick_export.h"

#include <map>

#include "core/dates.h"
#include "core/services.h"
#include "core/text.h"
#include "output/peal_texts.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/tower.h"

namespace tv {

std::string MarwickFolder(int32_t steeplexKey) { return "f" + std::to_string(steeplexKey / 1000); }

std::string MarwickFilePath(int32_t steeplexKey) {
  return JoinPath(MarwickFolder(steeplexKey), std::to_string(steeplexKey) + kMarwickExtension);
}

std::string MarwickTowerFolder(int32_t towerKey) { return "t" + std::to_string(towerKey / 1000); }

std::string MarwickTowerFilePath(int32_t towerKey) {
  return JoinPath(MarwickTowerFolder(towerKey), std::to_string(towerKey) + kMarwickExtension);
}

std::string MarwickHeading(const CTower& tower) { return tower.SteeplexText(); }

std::string MarwickLine(const CPeal& peal) {
  std::string line =
      SlashDateText(peal.date) + " " + MethodIndex().NameOf(static_cast<int32_t>(peal.method), 0);
  if (EndsWith(line, "m)")) line.replace(line.size() - 2, 2, " Methods)");
  const auto& footnotes = peal.extras[kFootnote];
  if (!footnotes.empty()) line += " \"" + footnotes.front() + "\"";
  return line;
}

CMarwickResult ExportMarwick(std::span<const CPeal* const> peals, const std::string& directory) {
  struct TowerFile {
    std::string folder;
    std::string heading;
    std::string lines;
    int peals = 0;
  };
  CMarwickResult result;
  std::map<std::string, TowerFile> files;
  std::vector<std::string> order;
  for (const CPeal* peal : peals) {
    const CTower* tower = TowerOf(*peal);
    if (!tower) {
      ++result.pealsWithoutTower;
      continue;
    }
    // Towers without a Steeplex key would all share the file of key 0.
    const int32_t sx = tower->steeplexKey;
    const auto towerKey = static_cast<int32_t>(peal->tower);
    const std::string path =
        JoinPath(directory, sx != 0 ? MarwickFilePath(sx) : MarwickTowerFilePath(towerKey));
    auto [it, added] = files.try_emplace(path);
    if (added) {
      order.push_back(path);
      it->second.folder =
          JoinPath(directory, sx != 0 ? MarwickFolder(sx) : MarwickTowerFolder(towerKey));
      it->second.heading = MarwickHeading(*tower) + kNL;
    }
    it->second.lines += MarwickLine(*peal) + kNL;
    ++it->second.peals;
  }

  FileSystem& fs = Files();
  for (const std::string& path : order) {
    const TowerFile& file = files[path];
    std::string contents;
    bool ok = true;
    if (fs.Exists(path)) {
      ok = fs.ReadAll(path, contents);
    } else {
      fs.CreateDirectory(file.folder);  // it may exist already
      contents = file.heading;
    }
    ok = ok && fs.WriteAllSafely(path, contents + file.lines);
    if (ok) {
      result.pealsWritten += file.peals;
    } else {
      result.pealsSkipped += file.peals;
      result.failedFiles.push_back(path);
    }
  }
  return result;
}

}  // namespace tv
