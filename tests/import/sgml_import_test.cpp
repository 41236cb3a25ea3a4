// The SGML imports: the new dialect read back from our own Full form, the old dialect, the
// tenor check, the merge by date and sequence, the import log and the command's prompt.
#include <gtest/gtest.h>

#include "output/sgml_writer.h"
#include "refdb/assoc.h"
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

// Regression: the re-import was compared with the first import's own output, so a county, an
// association written in full or a person's own title lost on the way went unseen.
TEST_F(SgmlImport, FullFormReadsBackToTheSameText) {
  const std::string input =
      "<k>2003-01-01/1<s>RW41234<s>Bell News<sc>Date corrected<a>Yorkshire Association"
      "<t>Ashby<tc>Leics<td>S Mary<tw>24-2-7<h>3h5<n>5040<m>Cambridge<mc>Surprise<ms>Major"
      "<c>Revd John Smith<ca>Ann Jones (Jnr)<cm>5040 Cambridge &lt;5 part><cn>No 3"
      "<r>Ann Jones<ra>Jnr<r>John Smith<rt>Revd<rc><r>Bob Brown<ra>Jnr<rb>3-4<r>"
      "<f>First peal, & \"last\" &amp;amp;&#13;&#10;of the year<v>Not counted<x>kept\r\n"
      "<k>2003-02-01<i>h<t>Ilkley<tw>15<n>5056<m>Plain<mc>Bob<ms>Major<r>Ann Jones<ra>Jnr"
      "<r>Bob Brown<b>Carl White\r\n";
  Import("new-sgml", "/work/in.sgm", input);
  ASSERT_EQ(Peals().size(), 2u);
  EXPECT_EQ(Peals()[0]->ringers.size(), 4u);
  EXPECT_EQ(Person(Peals()[0]->conductor), "Revd John Smith");
  EXPECT_EQ(Peals()[0]->extras[kFootnote],
            std::vector<std::string>{"First peal, & \"last\" &amp;\r\nof the year"});
  EXPECT_EQ(Peals()[1]->tenor, 15);
  EXPECT_EQ(FullText(Peals()), input);

  // Into an empty ledger over empty indexes: the text alone must carry everything.
  CloseIndexSet();
  OpenIndexSet("/other/");
  CTolvaneDoc empty;
  files.SetContents("/work/out.sgm", input);
  ASSERT_TRUE(ImportPealFile(empty, *FindImportFormat("new-sgml"), "/work/out.sgm").ok());
  std::vector<CPeal*> again;
  for (uint32_t n : empty.PealsOf(kMainBuffer)) again.push_back(empty.PealAt(n));
  EXPECT_EQ(FullText(again), input);
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

// Regression: a replacement with fewer fields stripped the peal (ringers, time, footnotes, a
// withdrawn peal's Validity entry) and the replaced record was thrown away.
TEST_F(SgmlImport, ReplacementKeepsEveryFieldItLacksAndTheOldRecordIsDeleted) {
  Import("new-sgml", "/work/a.sgm",
         "<k>2003-01-01/1<a>Yorkshire Association<t>Ashby<tw>10-0-0<h>3h<n>5040<m>Cambridge"
         "<mc>Surprise<ms>Major<c>John Smith<ca>Ann Jones<r>Ann Jones<rt>Mrs<r>Bob Brown<rc>"
         "<f>First peal<v>WITHDRAWN\r\n");
  const CPeal before = *Peals()[0];
  // The replacement brings its own composer but no arranger, ringers or lists.
  Import("new-sgml", "/work/b.sgm", "<k>2003-01-01/1<c>Carl White<n>5056\r\n");
  ASSERT_EQ(Peals().size(), 1u);
  const CPeal& after = *Peals()[0];
  EXPECT_EQ(after.changes, 5056);
  EXPECT_EQ(Person(after.composer), "Carl White");
  EXPECT_EQ(after.arranger, before.arranger);
  EXPECT_EQ(after.association, before.association);
  EXPECT_EQ(after.tower, before.tower);
  EXPECT_EQ(after.method, before.method);
  EXPECT_EQ(after.conductor, before.conductor);
  EXPECT_EQ(after.time, before.time);
  EXPECT_EQ(after.tenor, before.tenor);
  EXPECT_EQ(after.ringers, before.ringers);
  EXPECT_EQ(after.extras, before.extras);
  // Undelete finds the record that was replaced, as it was.
  const std::vector<uint32_t> deleted = doc.PealsOf(kDeletedBuffer);
  ASSERT_EQ(deleted.size(), 1u);
  const CPeal& old = *doc.PealAt(deleted[0]);
  EXPECT_EQ(old.changes, 5040);
  EXPECT_EQ(old.composer, before.composer);
  EXPECT_EQ(old.extras, before.extras);
}

// The Short form names the association by its short form and the Keys form holds keys: read
// as the exchange form, either would make junk entries or strip the peals it replaced.
TEST_F(SgmlImport, ShortAndKeysFormsAreRefusedAndChangeNothing) {
  Import("new-sgml", "/work/a.sgm", "<k>2003-01-01/1<a>Yorkshire Association<n>5040<r>Ann Jones\r\n");
  const CPeal before = *Peals()[0];
  const int32_t assocs = AssocIndex().Count();
  for (const char* text : {"<k>2003-01-01/1<a>YA<t>Ashby<m>Cambridge<mc>Surprise<ms>Major\r\n",
                           "<d>1/1/2003<z>1<a>3<n>5040<r:1>4\r\n"}) {
    files.SetContents("/work/s.sgm", text);
    const Status s = ImportPealFile(doc, *FindImportFormat("new-sgml"), "/work/s.sgm");
    EXPECT_EQ(s.code(), StatusCode::BadData) << text;
    EXPECT_NE(s.message().find("/work/s.sgm is in the SGML "), std::string::npos) << s.message();
    EXPECT_NE(s.message().find("Full form"), std::string::npos) << s.message();
  }
  ASSERT_EQ(Peals().size(), 1u);
  EXPECT_EQ(Peals()[0]->ringers, before.ringers);
  EXPECT_EQ(AssocIndex().Count(), assocs);
  EXPECT_TRUE(doc.PealsOf(kDeletedBuffer).empty());
}

// Regression: a byte-order mark, a blank line or a title before the first record made the
// import read nothing and report success.
TEST_F(SgmlImport, WhatComesBeforeTheFirstRecordIsSkipped) {
  for (const char* lead : {"\xEF\xBB\xBF", "\r\n\r\n", "Peals of 2003\r\n", "<title>Peals\r\n"}) {
    CTolvaneDoc fresh;
    files.SetContents("/work/a.sgm", std::string(lead) + "<k>2003-01-01/1<n>5040\r\n");
    ImportCounts counts;
    ASSERT_TRUE(ImportPealFile(fresh, *FindImportFormat("new-sgml"), "/work/a.sgm", &counts).ok());
    EXPECT_EQ(counts.appended, 1u) << lead;
    EXPECT_EQ(fresh.PealAt(1)->date, MakeDate(1, 1, 2003));
    EXPECT_TRUE(fresh.PealAt(1)->extras[kExtra].empty());
  }
}

TEST_F(SgmlImport, FileWithoutARecordIsNoPealsFoundAndChangesNothing) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "new-sgml"},       {"just some text\r\n", "new-sgml"},
      {"", "old-sgml"},       {"just some text\r\n", "old-sgml"},
      {"<performances></performances>", "performances"}};
  for (const auto& [text, kind] : cases) {
    files.SetContents("/work/empty.sgm", text);
    {
      const Status s = ImportPealFile(doc, *FindImportFormat(kind), "/work/empty.sgm");
      EXPECT_EQ(s.code(), StatusCode::BadData) << kind << " " << text;
      EXPECT_EQ(s.message(), "no peals found in /work/empty.sgm");
    }
  }
  EXPECT_EQ(doc.lastPealNumber, 0u);
  EXPECT_FALSE(doc.modified);
}

// Regression: "<tc>" carries the county's short form but was looked up by full name, and the
// county 0 that resulted took a tower of any county.
TEST_F(SgmlImport, CountyTagIsFoundByItsShortFormAndNeverTakesAnotherCountysTower) {
  Import("new-sgml", "/work/a.sgm",
         "<k>2003-01-01/1<t>Newton<tc>Ches<td>S Mary\r\n<k>2003-01-02/1<t>Newton<tc>Norf<td>S Mary\r\n");
  const auto peals = Peals();
  ASSERT_EQ(peals.size(), 2u);
  EXPECT_NE(peals[0]->tower, peals[1]->tower);
  auto county = [](uint32_t tower) {
    return dynamic_cast<const CTower*>(TowerIndex().Lookup(static_cast<int32_t>(tower)))->CountyNameAt(0);
  };
  EXPECT_EQ(county(peals[1]->tower), "Norf");
  const int32_t counties = CountyIndex().Count();
  const int32_t towers = TowerIndex().Count();
  // Found again by its short form; an unknown county makes its own entry.
  Import("new-sgml", "/work/b.sgm",
         "<k>2004-01-01/1<t>Newton<tc>Norf<td>S Mary\r\n<k>2004-01-02/1<t>Newton<tc>Norf<td>S Mary\r\n"
         "<k>2004-01-03/1<t>Newton<tc>Suff<td>S Mary\r\n");
  const auto more = Peals();
  ASSERT_EQ(more.size(), 5u);
  EXPECT_EQ(more[2]->tower, peals[1]->tower);
  EXPECT_EQ(more[3]->tower, peals[1]->tower);
  EXPECT_NE(more[4]->tower, peals[0]->tower);
  EXPECT_NE(more[4]->tower, peals[1]->tower);
  EXPECT_EQ(county(more[4]->tower), "Suff");
  EXPECT_EQ(CountyIndex().Count(), counties + 1);
  EXPECT_EQ(TowerIndex().Count(), towers + 1);
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

// Regression: values beyond their field wrapped: a page of the year before the peal became
// RW 181234, and 3000000000 changes became -1294967296.
TEST_F(SgmlImport, NumbersTooLargeForTheirFieldsAreKeptAsUnresolvedItems) {
  Import("new-sgml", "/work/a.sgm",
         "<k>2003-01-01<s>RW21234\r\n"     // page 1234 of 2002, before the peal's year
         "<k>2003-01-02<s>RW191234\r\n"    // 16 years on: beyond the 4-bit year offset
         "<k>2003-01-03<s>RW5000\r\n"      // a page beyond the 12 bits of a page
         "<k>2003-01-04<s>RW41234<n>5040<h>3h05\r\n"  // all fit
         "<k>2003-01-05<n>3000000000\r\n"
         "<k>2003-01-06<h>1100h\r\n");
  Import("old-sgml", "/work/b.pea", "<q>W<p>2003-01-07 1<r>2147483648<t>1093h<x>RW21234\r\n");
  const auto peals = Peals();
  ASSERT_EQ(peals.size(), 7u);
  const std::vector<std::vector<std::string>> unresolved = {
      {"s:RW21234"}, {"s:RW191234"}, {"s:RW5000"}, {}, {"n:3000000000"}, {"h:1100h"},
      {"r:2147483648", "t:1093h", "x:RW21234"}};
  for (size_t i = 0; i < peals.size(); ++i) {
    EXPECT_EQ(peals[i]->extras[kExtra], unresolved[i]) << i;
    if (i != 3) {
      EXPECT_EQ(peals[i]->rwPage, 0) << i;
      EXPECT_EQ(peals[i]->changes, 0) << i;
      EXPECT_EQ(peals[i]->time, 0) << i;
    }
  }
  EXPECT_EQ(peals[3]->RwPageNumber(false), 41234);
  EXPECT_EQ(peals[3]->changes, 5040);
  EXPECT_EQ(peals[3]->time, 185);
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
