// Today's public data at its real size: the tower database's CSV (about 7,000 rings) into the
// external tower indexes, and the methods library (about 20,000 methods) into the method index.
// The files are made from the shapes of the samples, each row or method given its own number
// and name; the indexes are written to a fresh directory on disk, as the program writes them.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/services.h"
#include "refdb/index_set.h"
#include "refdb/method_xml.h"
#include "refdb/steeplex.h"
#include "refdb/tower_csv.h"

namespace {

std::string ReadSample(const std::string& name) {
  std::ifstream in(std::string(TOLVANE_PUBLIC_SAMPLES) + "/" + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Splits a sample row at its commas outside quotes, keeping the quotes.
std::vector<std::string> Cells(const std::string& row) {
  std::vector<std::string> cells(1);
  bool quoted = false;
  for (const char c : row) {
    if (c == '"') quoted = !quoted;
    if (c == ',' && !quoted) {
      cells.emplace_back();
    } else {
      cells.back() += c;
    }
  }
  return cells;
}

// `rows` rings: the sample's rows over and over, each with its own tower number (1 up), id and
// place, so every row is a record of its own.
std::string TowerCsv(int rows) {
  std::istringstream sample(ReadSample("towers.csv"));
  std::string header;
  std::getline(sample, header);
  std::vector<std::string> shapes;
  for (std::string line; std::getline(sample, line);) {
    if (line.find("Carillon") == std::string::npos) shapes.push_back(line);
  }
  const std::vector<std::string> columns = Cells(header);
  auto column = [&columns](const char* name) {
    for (size_t i = 0; i < columns.size(); ++i) {
      if (columns[i] == name) return i;
    }
    return size_t{0};
  };
  const size_t base = column("TowerBase");
  const size_t id = column("TowerID");
  const size_t place = column("Place");
  std::string csv = header + "\n";
  for (int n = 1; n <= rows; ++n) {
    std::vector<std::string> cells = Cells(shapes[static_cast<size_t>(n) % shapes.size()]);
    cells[base] = std::to_string(n);
    cells[id] = std::to_string(10000 + n);
    const std::string suffix = " " + std::to_string(n / static_cast<int>(shapes.size()));
    std::string& name = cells[place];
    name.insert(!name.empty() && name.back() == '"' ? name.size() - 1 : name.size(), suffix);
    for (size_t i = 0; i < cells.size(); ++i) csv += (i ? "," : "") + cells[i];
    csv += "\n";
  }
  return csv;
}

// `count` methods in sets of the sample's shapes: every class and stage of the sample, each
// method with a name of its own and a first peal's date.
std::string MethodsXml(int count) {
  static const char* const kSets[][2] = {
      {"<classification trebleDodging=\"true\">Surprise</classification>", "8"},
      {"<classification plain=\"true\">Bob</classification>", "6"},
      {"<classification trebleDodging=\"true\">Delight</classification>", "10"},
      {"<classification trebleDodging=\"true\">Treble Bob</classification>", "8"},
      {"<classification>Alliance</classification>", "12"},
      {"<classification>Place</classification>", "5"},
      {"<classification little=\"true\" plain=\"true\">Bob</classification>", "6"},
      {"<classification differential=\"true\">Hybrid</classification>", "9"}};
  static const char* const kClassWords[] = {"Surprise", "Bob", "Delight", "Treble Bob",
                                            "Alliance", "Place", "Little Bob", "Hybrid"};
  static const char* const kStages[] = {"Major", "Minor", "Royal", "Major",
                                        "Maximus", "Doubles", "Minor", "Caters"};
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<collection xmlns=\"http://www.cccbr.org.uk/"
      "methods/schemas/2007/05/methods\" version=\"0.1\">\n";
  const int perSet = 250;
  for (int n = 0; n < count;) {
    const size_t shape = static_cast<size_t>(n / perSet) % std::size(kSets);
    xml += "<methodSet><properties>" + std::string(kSets[shape][0]) + "<stage>" +
           kSets[shape][1] + "</stage><lengthOfLead>32</lengthOfLead></properties>\n";
    for (int i = 0; i < perSet && n < count; ++i, ++n) {
      const std::string name = "Sample" + std::to_string(n) + " Ch\u00E2teau";
      xml += "<method id=\"m" + std::to_string(n) + "\"><name>" + name + "</name><title>" + name +
             " " + kClassWords[shape] + " " + kStages[shape] +
             "</title><notation>x38x14x1258x36x14x58x16x78,12</notation><performances>"
             "<firstTowerbellPeal><date>19" + std::to_string(10 + n % 90) + "-0" +
             std::to_string(1 + n % 9) + "-1" + std::to_string(n % 10) +
             "</date><location><town>Sampleton</town></location></firstTowerbellPeal>"
             "</performances></method>\n";
    }
    xml += "</methodSet>\n";
  }
  return xml + "</collection>\n";
}

// A fresh index directory with one generated file in it.
struct Workspace {
  explicit Workspace(const std::string& name, const std::string& contents) {
    directory = std::filesystem::temp_directory_path() / ("tolvane_bench_" + name);
    std::filesystem::remove_all(directory);
    std::filesystem::create_directories(directory);
    file = (directory / name).string();
    std::ofstream(file, std::ios::binary) << contents;
  }
  ~Workspace() { std::filesystem::remove_all(directory); }
  void FreshIndexes() {
    tv::CloseIndexSet();
    tv::SteeplexXref().Clear();
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
      if (entry.path().string() != file) std::filesystem::remove(entry.path());
    }
    tv::OpenIndexSet(directory.string() + "/");
  }
  std::filesystem::path directory;
  std::string file;
};

void BM_TowerCsv7000(benchmark::State& state) {
  tv::HeadlessPlatform platform;
  tv::ScopedServices services(nullptr, nullptr, &platform);
  Workspace work("dove.csv", TowerCsv(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    state.PauseTiming();
    work.FreshIndexes();
    state.ResumeTiming();
    tv::TowerCsvSummary summary;
    const tv::Status status = tv::ImportTowerCsv(work.file, summary);
    if (!status.ok() || summary.imported != static_cast<uint32_t>(state.range(0))) {
      state.SkipWithError(("import failed: " + status.message() + "\n" + summary.Text()).c_str());
      break;
    }
    state.counters["imported"] = summary.imported;
  }
  tv::CloseIndexSet();
}
BENCHMARK(BM_TowerCsv7000)->Arg(7000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_MethodsXml20000(benchmark::State& state) {
  tv::HeadlessPlatform platform;
  tv::ScopedServices services(nullptr, nullptr, &platform);
  Workspace work("methods.xml", MethodsXml(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    state.PauseTiming();
    work.FreshIndexes();
    state.ResumeTiming();
    tv::MethodXmlSummary summary;
    const tv::Status status = tv::ImportMethodsXml(work.file, summary);
    if (!status.ok() || summary.added != static_cast<uint32_t>(state.range(0))) {
      state.SkipWithError(("import failed: " + status.message() + "\n" + summary.Text()).c_str());
      break;
    }
    state.counters["added"] = summary.added;
  }
  tv::CloseIndexSet();
}
BENCHMARK(BM_MethodsXml20000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
