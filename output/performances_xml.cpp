// Peals written as the central online performance database's XML.
#include "output/performances_xml.h"

#include <pugixml.hpp>

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "core/code_page.h"
#include "core/services.h"
#include "core/text.h"
#include "output/export_command.h"
#include "peals/performance_format.h"
#include "refdb/assoc.h"
#include "refdb/composition.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/person.h"
#include "refdb/steeplex.h"
#include "refdb/tower.h"

namespace tv {
namespace {

namespace pf = performance;

// UTF-8 for the file. Control bytes cannot stand in XML text; they become blanks.
std::string Utf8(std::string_view text) {
  std::string clean(text);
  for (char& c : clean) {
    if (static_cast<unsigned char>(c) < ' ') c = ' ';
  }
  return Win1252ToUtf8(clean);
}

void SetText(pugi::xml_node node, std::string_view text) {
  // The layout's texts are read back with each run of blanks and line breaks as one blank: they
  // are written so, and a second export of what was read is then the same.
  node.text().set(Utf8(OneLineText(text)).c_str());
}
void SetAttribute(pugi::xml_node node, const char* name, std::string_view value) {
  node.append_attribute(name).set_value(Utf8(value).c_str());
}
pugi::xml_node AddText(pugi::xml_node parent, const char* name, std::string_view text) {
  pugi::xml_node node = parent.append_child(name);
  SetText(node, text);
  return node;
}

// The "x" entries of a peal by tag, in order, for those the layout carries.
struct Unresolved {
  explicit Unresolved(const CPeal& peal) {
    for (const std::string& entry : peal.extras[kExtra]) {
      const size_t colon = entry.find(':');
      if (colon != std::string::npos) items.push_back({entry.substr(0, colon), entry.substr(colon + 1)});
    }
  }
  std::vector<std::string> All(std::string_view tag) const {
    std::vector<std::string> found;
    for (const auto& [t, text] : items) {
      if (t == tag) found.push_back(text);
    }
    return found;
  }
  std::string First(std::string_view tag) const {
    for (const auto& [t, text] : items) {
      if (t == tag) return text;
    }
    return {};
  }
  std::vector<std::pair<std::string, std::string>> items;
};

// Splits "first rest" at its first blank.
std::pair<std::string, std::string> SplitAtBlank(const std::string& text) {
  const size_t blank = text.find(' ');
  if (blank == std::string::npos) return {text, {}};
  return {text.substr(0, blank), text.substr(blank + 1)};
}

std::string DurationText(uint16_t minutes) {
  const int h = minutes / 60;
  const int m = minutes % 60;
  if (h == 0) return std::to_string(m) + "m";
  if (m == 0) return std::to_string(h) + "h";
  return std::to_string(h) + "h " + (m < 10 ? "0" : "") + std::to_string(m);
}

// The method's title as the import reads it back: "(N methods)" for a count, and without the
// key that an entry of unknown stage shows.
std::string MethodTitle(const CMethod& method) {
  std::string title = method.Title(true, false);
  const std::string keyTail = " (#" + std::to_string(method.key) + ")";
  if (method.stage == 0 && EndsWith(title, keyTail)) title.resize(title.size() - keyTail.size());
  const std::string countTail = " (" + std::to_string(method.methodCount) + "m)";
  if (method.methodCount > 1 && EndsWith(title, countTail)) {
    title.resize(title.size() - countTail.size());
    title += " (" + std::to_string(method.methodCount) + " methods)";
  }
  return title;
}

std::string CountyName(uint8_t county) {
  const CIndObj* object = county ? CountyIndex().Lookup(county) : nullptr;
  return object ? object->GetName(0) : std::string();
}

void WritePlace(pugi::xml_node performance, const CPeal& peal, const Unresolved& x) {
  const auto* tower = peal.tower ? dynamic_cast<const CTower*>(TowerIndex().Lookup(
                                       static_cast<int32_t>(peal.tower)))
                                 : nullptr;
  std::string towerBase = x.First(pf::kTagTowerBase);
  std::string doveTower = x.First(pf::kTagDoveTower);
  if (tower && tower->steeplexKey != 0) {
    towerBase = std::to_string(tower->steeplexKey);
    if (const CSteeplex* record = SteeplexRecord(tower->steeplexKey); record && record->towerId) {
      doveTower = std::to_string(record->towerId);
    }
  }
  std::string tenor = x.First(pf::kTagTenor);
  const uint16_t given = peal.handbell ? pf::HandbellSize(tenor) : ParseWeight(tenor);
  // A tenor text kept from the import stands only while it still says what the peal holds.
  if (tenor.empty() || (given != peal.tenor && peal.tenor != 0)) {
    tenor.clear();
    if (peal.tenor != 0) tenor = peal.handbell ? std::to_string(peal.tenor) : WeightText(peal.tenor);
  }
  const std::string doveRing = x.First(pf::kTagDoveRing);
  if (!tower && towerBase.empty() && doveTower.empty() && tenor.empty() && doveRing.empty() &&
      !peal.handbell) {
    return;
  }
  pugi::xml_node place = performance.append_child("place");
  if (!towerBase.empty()) SetAttribute(place, "towerbase-id", towerBase);
  if (!doveTower.empty()) SetAttribute(place, "dove-tower-id", doveTower);
  if (tower) {
    auto name = [&place](const char* type, const std::string& text) {
      if (text.empty()) return;
      SetAttribute(AddText(place, "place-name", text), "type", type);
    };
    const CTower& identity = tower->IdentityAt(peal.date);
    name("place", identity.place);
    name("dedication", tower->DedicationNameAt(0, peal.date));
    name("county", CountyName(identity.county));
  }
  pugi::xml_node ring = place.append_child("ring");
  SetAttribute(ring, "type", peal.handbell ? "hand" : "tower");
  if (!tenor.empty()) SetAttribute(ring, "tenor", tenor);
  if (!doveRing.empty()) SetAttribute(ring, "dove-ring-id", doveRing);
}

void WriteComposer(pugi::xml_node performance, const CPeal& peal) {
  const std::string composer = FullNameOf(static_cast<int32_t>(peal.composer));
  const std::string arranger = FullNameOf(static_cast<int32_t>(peal.arranger));
  std::string text = composer;
  if (!arranger.empty()) text += (text.empty() ? "arr. " : " arr. ") + arranger;
  if (!text.empty()) AddText(performance, "composer", text);
}

void WriteRingers(pugi::xml_node performance, const CPeal& peal, const Unresolved& x) {
  if (peal.ringers.empty()) return;
  std::vector<std::string> otherConductors = x.All(pf::kTagConductor);
  bool conductorShown = false;
  pugi::xml_node ringers = performance.append_child("ringers");
  for (size_t i = 0; i < peal.ringers.size(); ++i) {
    const uint32_t key = peal.ringers[i];
    const std::string name = FullNameOf(static_cast<int32_t>(key));
    pugi::xml_node ringer = AddText(ringers, "ringer", name);
    const std::vector<std::string>& strings = peal.extras[kBellString];
    const std::string bell = i < strings.size() && !strings[i].empty()
                                 ? strings[i]
                                 : peal.BellText(static_cast<int>(i));
    SetAttribute(ringer, "bell", bell);
    bool conductor = false;
    if (key != 0 && key == peal.conductor && !conductorShown) {
      conductor = conductorShown = true;
    } else if (const auto other = std::find(otherConductors.begin(), otherConductors.end(), name);
               !name.empty() && other != otherConductors.end()) {
      otherConductors.erase(other);
      conductor = true;
    }
    if (conductor) ringer.append_attribute("conductor").set_value("true");
  }
}

void WritePerformance(pugi::xml_node performance, const CPeal& peal) {
  const Unresolved x(peal);
  for (const std::string& source : peal.extras[kSource]) {
    if (StartsWith(source, pf::kSourcePrefix)) {
      SetAttribute(performance, "id", source.substr(pf::kSourcePrefix.size()));
      break;
    }
  }
  if (const CIndObj* assoc = peal.association ? AssocIndex().Lookup(peal.association) : nullptr) {
    AddText(performance, "association", assoc->GetName(0));
  }
  WritePlace(performance, peal, x);
  if (peal.date != 0) {
    AddText(performance, "date", IsoDateText(peal.date));
  } else if (const std::string date = x.First(pf::kTagDate); !date.empty()) {
    AddText(performance, "date", date);
  }
  if (peal.time != 0) {
    AddText(performance, "duration", DurationText(peal.time));
  } else if (const std::string duration = x.First(pf::kTagDuration); !duration.empty()) {
    AddText(performance, "duration", duration);
  }
  const CMethod* method =
      peal.method ? MethodIndex().Method(static_cast<int32_t>(peal.method)) : nullptr;
  std::string changes = peal.changes != 0 ? std::to_string(peal.changes) : x.First(pf::kTagChanges);
  if (method || !changes.empty()) {
    pugi::xml_node title = performance.append_child("title");
    if (!changes.empty()) AddText(title, "changes", changes);
    if (method) AddText(title, "method", MethodTitle(*method));
  }
  if (const CComposition* composition =
          peal.composition ? CompIndex().Composition(static_cast<int32_t>(peal.composition))
                           : nullptr;
      composition && !composition->methodDetails.empty()) {
    AddText(performance, "details", composition->methodDetails);
  }
  WriteComposer(performance, peal);
  WriteRingers(performance, peal, x);
  for (const std::string& footnote : peal.extras[kFootnote]) {
    if (!footnote.empty()) AddText(performance, "footnote", footnote);
  }
  for (const std::string& flag : x.All(pf::kTagFlag)) {
    const auto [type, text] = SplitAtBlank(flag);
    pugi::xml_node node = performance.append_child("flag");
    SetAttribute(node, "type", type);
    if (!text.empty()) SetText(node, text);
  }
  for (const std::string& stamp : x.All(pf::kTagTimestamp)) AddText(performance, "timestamp", stamp);
  for (const std::string& source : x.All(pf::kTagSource)) {
    const auto [site, ref] = SplitAtBlank(source);
    pugi::xml_node node = performance.append_child("source");
    SetAttribute(node, "site", site);
    SetAttribute(node, "ref", ref);
  }
}

struct StringWriter : pugi::xml_writer {
  std::string text;
  void write(const void* data, size_t size) override {
    text.append(static_cast<const char*>(data), size);
  }
};

class CPerformancesXmlFormat : public CExportFormat {
 public:
  CPerformancesXmlFormat() : CExportFormat(static_cast<int>(ExportFormatId::PerformancesXml), "performances-xml", "XML",
                      "Performances (XML)", "xml") {}

  Status Write(std::span<const CPeal* const> peals, CExportOptions&,
               std::string& out) const override {
    out += PerformancesXml(peals);
    return Status::Ok();
  }
};

}  // namespace

std::unique_ptr<CExportFormat> MakePerformancesXmlFormat() {
  return std::make_unique<CPerformancesXmlFormat>();
}

std::string PerformancesXml(std::span<const CPeal* const> peals) {
  pugi::xml_document document;
  pugi::xml_node declaration = document.append_child(pugi::node_declaration);
  declaration.append_attribute("version").set_value("1.0");
  declaration.append_attribute("encoding").set_value("UTF-8");
  pugi::xml_node root = document.append_child(std::string(pf::kListRoot).c_str());
  for (const CPeal* peal : peals) {
    WritePerformance(root.append_child(std::string(pf::kPerformance).c_str()), *peal);
  }
  StringWriter writer;
  document.save(writer, "  ", pugi::format_default, pugi::encoding_utf8);
  std::string out;
  out.reserve(writer.text.size() + writer.text.size() / 16);
  for (const char c : writer.text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

Status ExportPerformancesXml(const CPealLedger& ledger, const std::string& path) {
  const std::vector<const CPeal*> peals = BufferPeals(ledger, ledger.currentBuffer);
  CExportOptions options = DocumentExportOptions();
  static const std::unique_ptr<CExportFormat> format = MakePerformancesXmlFormat();
  return ExportToFile(*format, peals, options, path);
}

Status ExportPerformancesCommand(CTolvaneDoc& doc) {
  Platform& platform = ThePlatform();
  const std::optional<std::string> path =
      platform.PromptSaveFile({.title = "Export Performances (XML)",
                               .defaultName = DefaultExportName(doc.pathName, "xml"),
                               .defaultExtension = "xml",
                               .filter = ExportFilter("xml"),
                               .directory = doc.defaultDirectory,
                               .overwritePrompt = true});
  if (!path) return {StatusCode::Usage, "Export cancelled."};
  Status status;
  try {
    CWait wait;
    status = ExportPerformancesXml(doc, *path);
  } catch (const std::exception& error) {
    status = {StatusCode::IoError, error.what()};
  }
  if (!status.ok()) platform.ShowUnexpectedError(status.message());
  return status;
}

}  // namespace tv
