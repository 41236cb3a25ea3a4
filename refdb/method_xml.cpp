// The public methods library into the method index.
#include "refdb/method_xml.h"

#include <pugixml.hpp>

#include <algorithm>
#include <string_view>
#include <vector>

#include "core/dates.h"
#include "core/services.h"
#include "core/text.h"
#include "refdb/index_set.h"
#include "refdb/method.h"
#include "refdb/method_parsing.h"
#include "refdb/tagged_record.h"

namespace tv {
namespace {

constexpr size_t kMaxProblems = 20;
constexpr uint32_t kProgressEvery = 101;
constexpr int kFirstStage = 3;
constexpr const char* kTitle = "Import Methods Library";

// An element's name without its namespace prefix.
std::string_view LocalName(const pugi::xml_node& node) {
  const std::string_view name = node.name();
  const size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node Child(const pugi::xml_node& node, std::string_view name) {
  for (const pugi::xml_node& child : node.children()) {
    if (child.type() == pugi::node_element && LocalName(child) == name) return child;
  }
  return {};
}

// The text directly inside an element (every text and CDATA part of it), as UTF-8.
std::string TextOf(const pugi::xml_node& node) {
  std::string text;
  for (const pugi::xml_node& child : node.children()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) text += child.value();
  }
  return text;
}

// A date written year-month-day; 0 for any other text and for a date before the calendar the
// program counts from (a year below 1601 would otherwise be read as a two-digit year).
Date IsoDate(std::string_view text) {
  const std::string date = Trimmed(text);
  if (date.size() != 10 || date[4] != '-' || date[7] != '-') return 0;
  for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
    if (date[i] < '0' || date[i] > '9') return 0;
  }
  const int year = ParseDigits(date.substr(0, 4));
  if (year < 1601) return 0;
  return MakeDate(ParseDigits(date.substr(8, 2)), ParseDigits(date.substr(5, 2)), year);
}

class CMethodXmlImport {
 public:
  explicit CMethodXmlImport(MethodXmlSummary& summary) : m_summary(summary) {}

  void Run(const pugi::xml_document& document) {
    std::vector<pugi::xml_node> methods;
    // An explicit stack: a deeply nested file cannot exhaust the program's own.
    std::vector<pugi::xml_node> pending{document.document_element()};
    while (!pending.empty()) {
      const pugi::xml_node node = pending.back();
      pending.pop_back();
      if (LocalName(node) == "method") {
        methods.push_back(node);
        continue;
      }
      const size_t mark = pending.size();
      for (const pugi::xml_node& child : node.children()) {
        if (child.type() == pugi::node_element) pending.push_back(child);
      }
      std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(mark), pending.end());
    }
    CWait wait;
    ProgressScope progress(kTitle, methods.size());
    for (const pugi::xml_node& method : methods) {
      ++m_summary.methods;
      const std::string name = ImportMethod(method);
      if (m_summary.methods % kProgressEvery == 0) progress.Step(m_summary.methods, name);
    }
    MethodIndex().Save();
  }

 private:
  void Note(const pugi::xml_node& method, const std::string& text) {
    if (m_summary.problems.size() >= kMaxProblems) return;
    std::string id = method.attribute("id").value();
    if (id.empty()) id = "#" + std::to_string(m_summary.methods);
    m_summary.problems.push_back("method " + Convert(id) + ": " + text);
  }

  std::string Convert(std::string_view utf8) {
    std::string text = Trimmed(Utf8ToWin1252(utf8, &m_summary.text));
    if (text.size() > kMaxRecordText) text.resize(kMaxRecordText);
    return text;
  }

  // The method's own element of that name, else its set's.
  static pugi::xml_node Property(const pugi::xml_node& method, std::string_view name) {
    if (const pugi::xml_node own = Child(method, name)) return own;
    const pugi::xml_node set = method.parent();
    if (LocalName(set) != "methodSet") return {};
    return Child(Child(set, "properties"), name);
  }

  Date FirstPeal(const pugi::xml_node& method, std::string_view which) {
    const pugi::xml_node date = Child(Child(Child(method, "performances"), which), "date");
    if (!date) return 0;
    const std::string text = Convert(TextOf(date));
    const Date parsed = IsoDate(text);
    if (parsed == 0) Note(method, std::string(which) + " date '" + text + "' is not read");
    return parsed;
  }

  // Gives the method's name, for the progress display.
  std::string ImportMethod(const pugi::xml_node& method) {
    CMethodParts parts;
    parts.name = Convert(TextOf(Child(method, "name")));

    const std::string stageText = Convert(TextOf(Property(method, "stage")));
    const int32_t stage = ParseDigits(stageText);
    if (stageText.empty() || stageText.size() > 3 || !IsDigitsOrParens(stageText) ||
        stage < kFirstStage || stage >= kStageCount) {
      ++m_summary.skipped;
      Note(method, "stage '" + stageText + "' is not a number of bells; the method is skipped");
      return parts.name;
    }
    parts.stage = static_cast<uint8_t>(stage);

    const pugi::xml_node classification = Property(method, "classification");
    const std::string classText = Convert(TextOf(classification));
    parts.little = classification.attribute("little").as_bool();
    for (int code = 1; code < kClassCount && !classText.empty(); ++code) {
      if (EqualsNoCase(classText, ClassWords[static_cast<size_t>(code)])) parts.methodClass = code;
    }
    if (!classText.empty() && parts.methodClass == 0) {
      Note(method, "class '" + classText + "' is not known; the method is entered without one");
    }
    // Our titles are built from the parts, so a method whose title leaves its class word out
    // (Grandsire Triples, of class Bob) is entered without one: its title then reads as ringers
    // write it, and peals that name it by that title find it.
    if (parts.methodClass != 0) {
      const std::string title = " " + LowerCase(Convert(TextOf(Child(method, "title")))) + " ";
      const std::string word = " " + LowerCase(ClassWords[static_cast<size_t>(parts.methodClass)]) + " ";
      if (title.size() > 2 && title.find(word) == std::string::npos) parts.methodClass = 0;
    }

    Date date = FirstPeal(method, "firstTowerbellPeal");
    if (date == 0) date = FirstPeal(method, "firstHandbellPeal");

    bool added = false;
    CMethodIndex& index = MethodIndex();
    const int32_t key = FindOrAddMethodParts(parts, &added);
    CMethod* entry = index.Method(key);
    const bool redate = entry && date != 0 && entry->firstRung != date;
    if (redate) {
      entry->firstRung = date;
      index.MarkDirty(key);
    }
    if (added) {
      ++m_summary.added;
    } else if (redate) {
      ++m_summary.dated;
    } else {
      ++m_summary.unchanged;
    }
    return parts.name;
  }

  MethodXmlSummary& m_summary;
};

// The line of a byte offset, from 1.
size_t LineAt(std::string_view text, ptrdiff_t offset) {
  const auto end = static_cast<size_t>(std::max<ptrdiff_t>(0, offset));
  size_t line = 1;
  for (size_t i = 0; i < end && i < text.size(); ++i) line += text[i] == '\n' ? 1 : 0;
  return line;
}

}  // namespace

std::string MethodXmlSummary::Text() const {
  std::string out = "Methods read: " + std::to_string(methods) + "\n";
  out += "Added: " + std::to_string(added) + "\n";
  out += "Dated: " + std::to_string(dated) + "\n";
  out += "Unchanged: " + std::to_string(unchanged) + "\n";
  if (skipped != 0) out += "Skipped: " + std::to_string(skipped) + "\n";
  if (text.Changed()) {
    out += "Characters not in the code page: " + std::to_string(text.transliterated) +
           " written as near letters, " + std::to_string(text.replaced) + " as \"?\", " +
           std::to_string(text.invalid) + " bytes not UTF-8\n";
  }
  for (const std::string& problem : problems) out += problem + "\n";
  return out;
}

Status ImportMethodsXml(const std::string& path, MethodXmlSummary& summary) {
  summary = {};
  std::string text;
  if (!Files().ReadAll(path, text)) return {StatusCode::NotFound, path + " was not found."};
  pugi::xml_document document;
  const pugi::xml_parse_result parsed =
      document.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_auto);
  if (!parsed) {
    return {StatusCode::BadData, path + " line " + std::to_string(LineAt(text, parsed.offset)) +
                                     ": not well-formed XML (" + parsed.description() +
                                     "); nothing was imported."};
  }
  OpenIndexSet();
  CMethodXmlImport(summary).Run(document);
  return Status::Ok();
}

void ImportMethodsXmlCommand() {
  const auto path = ThePlatform().PromptOpenFile(
      {.title = kTitle,
       .defaultName = "CCCBR_methods.xml",
       .defaultExtension = "xml",
       .filter = "Methods Library (*.xml)|*.xml|All Files (*.*)|*.*||",
       .overwritePrompt = false});
  if (!path) return;
  MethodXmlSummary summary;
  const Status status = ImportMethodsXml(*path, summary);
  ThePlatform().Message(status.ok() ? summary.Text() : status.message());
}

}  // namespace tv
