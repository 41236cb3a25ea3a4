// The SGML imports: the new dialect read back from our own Full form, the old dialect, the
// tenor check, the merge by date and sequence, the import log and the command's prompt.
#include <gtest/gtest.h>

#include "output/sgml_writer.h"
#include "refdb/composition.h"
#include "refdb/tower.h"
#include "tests/import/import_fixture.h"

namespace tv {
namespace {

using SgmlImport = ImportTest;

std::string FullText(const std::vector<CPeal*>& peals) {
  std::string text;
  for (const CPeal* peal : peals) text += SgmlFull(*peal) + "\r\n";
  return text;
}

TEST_F(SgmlImport, FullFormReadsBackToTheSameText) {
  Import("new-sgml", "/work/in.sgm",
         "<k>2003-01-01/1<s>RW41234<s>Bell News<sc>Date corrected<a>Yorkshire Association"
         "<t>Ashby<td>St Mary<tw>24-2-7<h>3h05<n>5040<m>Cambridge<mc>Surprise<ms>Major"
         "<c>John Smith<ca>Ann Jones<cm>5040 Cambridge (5 part)<cn>No 3"
         "<r>Ann Jones<r>John Smith<rc><r>Bob Brown<ra>Jnr<rb>3-4<r>\r\n"
         "<f>First peal\r\n<v>Not counted<x>kept\r\n"
         "<k>2003-02-01<i>h<tw>15<n>5056<m>Plain<mc>Bob<ms>Major<r>Ann Jones<r>Bob Brown"
         "<b>Carl White\r\n");
  const std::string first = FullText(Peals());
  ASSERT_EQ(Peals().size(), 2u);
  EXPECT_EQ(Peals()[0]->ringers.size(), 4u);
  EXPECT_EQ(Person(Peals()[0]->conductor), "John Smith");
  EXPECT_EQ(Peals()[1]->tenor, 15);
  for (const char* part : {"<s>RW41234<s>Bell News<sc>Date corrected", "<tw>24-2-7<h>3h5<n>5040",
                           "<r>John Smith<rc><r>Bob Brown<ra>Jnr<rb>3-4<r><f>First peal",
                           "<cm>5040 Cambridge (5 part)<cn>No 3", "<b>Carl White"}) {
    EXPECT_NE(first.find(part), std::string::npos) << part << " in " << first;
  }

  // Into an empty ledger over empty indexes: the text alone must carry everything.
  CloseIndexSet();
  OpenIndexSet("/other/");
  CTolvaneDoc empty;
  files.SetContents("/work/out.sgm", first);
  ASSERT_TRUE(ImportPealFile(empty, *FindImportFormat("new-sgml"), "/work/out.sgm").ok());
  std::vector<CPeal*> again;
  for (uint32_t n : empty.PealsOf(kMainBuffer)) again.push_back(empty.PealAt(n));
  EXPECT_EQ(FullText(again), first);
}

TEST_F(SgmlImport, SecondImportReplacesSequencedPealsAndAppendsTheRest) {
  const std::string text = "<k>2003-01-01/1<n>5040<f>one\r\n<k>2003-02-01<n>5056\r\n";
  ImportCounts counts = Import("new-sgml", "/work/a.sgm", text);
  EXPECT_EQ(counts.appended, 2u);
  EXPECT_EQ(Log(), "2003-01-01/1 1\n2003-02-01 2\n");
  counts = Import("new-sgml", "/work/a.sgm", text);
  EXPECT_EQ(counts.replaced, 1u);
  EXPECT_EQ(counts.appended, 1u);
  // The log starts afresh; a replaced peal logs no number.
  EXPECT_EQ(Log(), "2003-01-01/1 2003-02-01 3\n");
  const auto peals = Peals();
  ASSERT_EQ(peals.size(), 3u);
  EXPECT_EQ(peals[0]->pealNumber, 1u);
  EXPECT_EQ(peals[0]->extras[kFootnote], std::vector<std::string>{"one"});
  EXPECT_EQ(doc.currentBuffer, kMainBuffer);
  EXPECT_EQ(doc.bufferPositions[kMainBuffer], 3u);
  EXPECT_TRUE(doc.modified);
}

TEST_F(SgmlImport, ReplacementTakesOverTowerComposerAndComposition) {
  Import("new-sgml", "/work/a.sgm",
         "<k>2003-01-01/1<t>Ashby<tw>10-0-0<n>5040<m>Cambridge<mc>Surprise<ms>Major"
         "<c>John Smith<ca>Ann Jones<cm>5040 (3 part)\r\n");
  const CPeal before = *Peals()[0];
  ASSERT_NE(before.tower, 0u);
  ASSERT_NE(before.composition, 0u);
  // The new record names its tower in a tag the dialect does not know.
  Import("new-sgml", "/work/b.sgm", "<k>2003-01-01/1<l>Ashby<n>5000\r\n");
  ASSERT_EQ(Peals().size(), 1u);
  const CPeal& after = *Peals()[0];
  EXPECT_EQ(after.pealNumber, 1u);
  EXPECT_EQ(after.changes, 5000);
  EXPECT_EQ(after.tower, before.tower);
  EXPECT_EQ(after.tenor, 1120);
  EXPECT_EQ(after.composer, before.composer);
  EXPECT_EQ(after.arranger, before.arranger);
  EXPECT_EQ(after.composition, before.composition);
  EXPECT_EQ(after.extras[kExtra], std::vector<std::string>{""});  // "l:Ashby" emptied
}

TEST_F(SgmlImport, NewDialectTagsLandInTheirLists) {
  Import("new-sgml", "/work/a.sgm",
         "<k>2003-01-01/2<f>Peal WITHDRAWN<f>Rung half-muffled<s>Ringing World<zz>odd"
         "<x>as is<ra>orphan\r\n");
  const CPeal& peal = *Peals()[0];
  EXPECT_EQ(peal.sequence, 2);
  EXPECT_EQ(peal.extras[kValidity], std::vector<std::string>{"Peal WITHDRAWN"});
  EXPECT_EQ(peal.extras[kFootnote], std::vector<std::string>{"Rung half-muffled"});
  EXPECT_EQ(peal.extras[kSource], std::vector<std::string>{"Ringing World"});
  EXPECT_EQ(peal.extras[kExtra], (std::vector<std::string>{"zz:odd", "as is", "ra:orphan"}));
  // No tower, method or composition tags: nothing is added to those indexes.
  EXPECT_EQ(peal.tower, 0u);
  EXPECT_EQ(peal.method, 0u);
  EXPECT_EQ(TowerIndex().First(), 0);
  EXPECT_EQ(MethodIndex().First(), 0);
}

TEST_F(SgmlImport, RingersBeyondTheLastPositionAreKeptAsUnresolvedItems) {
  std::string text = "<k>2003-01-01";
  for (int i = 0; i < kMaxStoredRingers; ++i) text += "<r>";
  text += "<r>Ann Jones<ra>Jnr<rc><r>Bob Brown\r\n";
  Import("new-sgml", "/work/a.sgm", text);
  const CPeal& peal = *Peals()[0];
  EXPECT_EQ(peal.ringers.size(), static_cast<size_t>(kMaxStoredRingers));
  EXPECT_EQ(peal.conductor, 0u);
  EXPECT_EQ(peal.extras[kExtra],
            (std::vector<std::string>{"r:Ann Jones", "ra:Jnr", "rc:", "r:Bob Brown"}));
}

TEST_F(SgmlImport, SequenceTooLargeForItsByteIsNotWrapped) {
  Import("new-sgml", "/work/a.sgm", "<k>2003-01-01/1\r\n");
  Import("new-sgml", "/work/b.sgm", "<k>2003-01-01/257\r\n");
  ASSERT_EQ(Peals().size(), 2u);  // not taken for peal 1
  EXPECT_EQ(doc.PealAt(2)->sequence, 0);
  EXPECT_EQ(doc.PealAt(2)->extras[kExtra], std::vector<std::string>{"k:2003-01-01/257"});
}

TEST_F(SgmlImport, OldDialectRecords) {
  Import("old-sgml", "/work/a.pea",
         "<q>W<p>2003-01-01 1@12<g>Yorkshire Association<w>24<l>Ashby, Leics, St Mary"
         "<b>1<n>Ann Jones<b>2<n>Smith (Jnr)*<b>3-4<n>Carl White<m>Cambridge S.<s>Major"
         "<t>3h05<r>5040<o>not a date<zz>odd\r\n"
         "<q>A<p>2003-01-02 2<f>Peal WITHDRAWN\r\n"
         "<q>B<n>Dan Green\r\n");
  const auto peals = Peals();
  ASSERT_EQ(peals.size(), 3u);
  // A status without its date key, after a dated record: undated, tags kept.
  EXPECT_EQ(peals[0]->extras[kExtra], std::vector<std::string>{"q:B"});
  ASSERT_EQ(peals[0]->ringers.size(), 1u);
  EXPECT_EQ(Person(peals[0]->ringers[0]), "Dan Green");

  const CPeal& first = *peals[1];
  EXPECT_EQ(first.date, MakeDate(1, 1, 2003));
  EXPECT_EQ(first.sequence, 1);
  EXPECT_EQ(first.extras[kValidity], std::vector<std::string>{"q:W"});
  EXPECT_EQ(first.tenor, 2688);
  EXPECT_EQ(first.time, 185);
  EXPECT_EQ(first.changes, 5040);
  EXPECT_NE(first.tower, 0u);
  EXPECT_EQ(TowerOf(12), static_cast<int32_t>(first.tower));
  ASSERT_EQ(first.ringers.size(), 3u);
  EXPECT_EQ(Person(first.ringers[1]), "Smith");
  EXPECT_EQ(first.extras[kSuffix], (std::vector<std::string>{"", "Jnr"}));
  EXPECT_EQ(first.conductor, first.ringers[1]);
  EXPECT_EQ(first.extras[kBellString], (std::vector<std::string>{"", "", "3-4"}));
  EXPECT_EQ(Method(first.method), "Cambridge Surprise Major");
  EXPECT_EQ(first.extras[kExtra], (std::vector<std::string>{"o:not a date", "zz:odd"}));

  const CPeal& second = *peals[2];
  EXPECT_EQ(second.sequence, 2);
  EXPECT_EQ(second.extras[kValidity], std::vector<std::string>{"Peal WITHDRAWN"});
  EXPECT_TRUE(second.extras[kExtra].empty());  // status "A" leaves no trace

  // The date key, the added association, the tenor against the new tower (which has none),
  // the added ringers and method, then the peal number.
  const std::string log = Log();
  EXPECT_EQ(log.rfind("2003-01-01 1@12  ->", 0), 0u) << log;
  EXPECT_NE(log.find(" 2688  ->Ann Jones"), std::string::npos) << log;
  EXPECT_NE(log.find(" ->Cambridge Surprise Major 1\n"), std::string::npos) << log;
}

TEST_F(SgmlImport, CheckComparesTenorsForExternalKeysBelow8000) {
  for (auto [key, tenor] : {std::pair{2, 2700}, {3, 1100}}) {
    auto record = std::make_unique<CSteeplex>();
    record->location = "Ashby";
    record->tenorWeight = static_cast<uint16_t>(tenor);
    SteeplexIndex().AddWithKey(std::move(record), key);
  }
  Import("check-sgml", "/work/a.pea",
         "<q>A<p>2003-01-01 1@2<w>24<q>A<p>2003-01-02 1@3<w>10\r\n"
         "<q>A<p>2003-01-03 1@8000<w>10<q>A<p>2003-01-04 1@4<w>1\r\n");
  EXPECT_EQ(Log(),
            "2003-01-01 1@2 12 2688 2700\n"
            "2003-01-02 1@3 20 1120 1100\n"
            "2003-01-03 1@8000 0 0 0\n"
            "2003-01-04 1@4 112 112 0\n");
  EXPECT_TRUE(Peals().empty());
}

TEST_F(SgmlImport, CommandPromptsWithTheFormatsNameAndFilter) {
  files.SetContents("/work/1997.sgm", "<k>2003-01-01<n>5040\r\n");
  platform.QueueOpenFile(std::nullopt);
  ImportCommand(doc, ImportKind::NewSgml);
  EXPECT_FALSE(files.Exists("/work/debug.txt"));
  platform.QueueOpenFile("/work/missing.pea");
  ImportCommand(doc, ImportKind::OldSgml);
  EXPECT_FALSE(files.Exists("/work/debug.txt"));
  platform.QueueOpenFile("/work/1997.sgm");
  ImportCommand(doc, ImportKind::NewSgml);
  EXPECT_EQ(Peals().size(), 1u);
  ASSERT_EQ(platform.filePrompts.size(), 3u);
  EXPECT_EQ(platform.filePrompts[0].defaultName, "1997.sgm");
  EXPECT_EQ(platform.filePrompts[0].filter, "Peal Files (*.sgm)|*.sgm||");
  EXPECT_EQ(platform.filePrompts[1].defaultName, "1997.pea");
  EXPECT_EQ(platform.filePrompts[1].filter, "Peal Files (*.pea)|*.pea||");
  // A file that is not there is said so; an import says what it did.
  EXPECT_EQ(platform.messages,
            (std::vector<std::string>{"/work/missing.pea was not found.",
                                      "Imported from 1997.sgm: 1 new peal, 0 replaced; no new index entries."}));
}

}  // namespace
}  // namespace tv
