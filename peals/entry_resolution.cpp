// Exact resolution of a typed name: every entry the text names, the nearest ones when it names
// none, and the refusal that lists them.
#include "peals/entry_resolution.h"

#include <algorithm>

#include "core/text.h"
#include "refdb/index.h"
#include "refdb/person.h"
#include "refdb/tower.h"

namespace tv {
namespace {

// The key of a "#KEY" text; 0 for any other text.
int32_t KeyOf(std::string_view text) {
  if (text.size() < 2 || text.front() != '#' || text.size() > 10) return 0;
  int64_t key = 0;
  for (const char c : text.substr(1)) {
    if (c < '0' || c > '9') return 0;
    key = key * 10 + (c - '0');
  }
  return key <= INT32_MAX ? static_cast<int32_t>(key) : 0;
}

bool IsLink(const CIndex& index, int32_t key) { return key > 0 && key < index.Count(); }

// True when the text names the entry: its name, its other plain forms, or its typed form.
bool Names(CIndex& index, int32_t key, std::string_view text) {
  const CIndObj* object = index.Lookup(key);
  if (!object) return false;
  if (index.CompareEntry(key, text, true) == 0) return true;
  if (EqualsNoCase(object->GetName(0), text)) return true;
  if (const auto* person = dynamic_cast<const CPerson*>(object)) {
    return EqualsNoCase(person->FullName(), text) ||
           EqualsNoCase(person->firstNames + " " + person->surname, text);
  }
  if (const auto* tower = dynamic_cast<const CTower*>(object)) {
    return EqualsNoCase(tower->PlaceWithCountyAt(false, 0), text);
  }
  return false;
}

// Every entry in index order, each once even over damaged links.
template <typename Visit>
void ForEachEntry(CIndex& index, Visit visit) {
  int32_t key = index.First();
  for (int32_t steps = 0; IsLink(index, key) && steps < index.Count(); ++steps) {
    if (!visit(key)) return;
    key = index.Entry(key).next;
  }
}

// The entries around the one the chooser would open on: two before it, it, and two after. For a
// text that no entry's name holds.
std::vector<int32_t> NearestEntries(CIndex& index, std::string_view text) {
  int32_t at = text.empty() ? 0 : index.FindEntry(text, 0);
  if (!IsLink(index, at)) at = index.Last();
  if (!IsLink(index, at)) return {};
  int32_t start = at;
  for (int i = 0; i < 2 && IsLink(index, index.Entry(start).prev); ++i) {
    start = index.Entry(start).prev;
  }
  std::vector<int32_t> keys;
  for (int32_t k = start; IsLink(index, k) && keys.size() < 5; k = index.Entry(k).next) {
    if (std::find(keys.begin(), keys.end(), k) != keys.end()) break;
    keys.push_back(k);
  }
  return keys;
}

std::string Listed(CIndex& index, const std::vector<int32_t>& keys) {
  std::string text;
  for (const int32_t key : keys) {
    if (!text.empty()) text += "; ";
    text += EntryLine(index, key);
  }
  return text;
}

CEntryResolution Refused(std::string message) {
  CEntryResolution result;
  result.message = std::move(message);
  return result;
}

}  // namespace

std::string EntryLine(CIndex& index, int32_t key) {
  return std::to_string(key) + " " + index.NameOf(key, 0);
}

CEntryResolution ResolveEntry(CIndex& index, std::string_view text, EntryMatch match) {
  const std::string quoted = "'" + std::string(text) + "'";
  if (const int32_t key = KeyOf(text); key != 0) {
    if (key < index.Count() && index.Lookup(key)) return {.key = key};
    return Refused("no entry has the key " + std::string(text));
  }
  if (text.empty()) return Refused("an empty text names no entry");
  std::vector<int32_t> named;
  std::vector<int32_t> containing;  // entries whose name holds the text, for a refusal
  const std::string lowered = LowerCase(text);
  size_t count = 0;
  ForEachEntry(index, [&](int32_t key) {
    if (Names(index, key, text)) {
      ++count;
      if (named.size() < kMaxListed) named.push_back(key);
    } else if (containing.size() < kMaxListed &&
               LowerCase(index.NameOf(key, 0)).find(lowered) != std::string::npos) {
      containing.push_back(key);
    }
    return true;
  });
  if (count == 1) return {.key = named.front()};
  if (match == EntryMatch::Nearest) {
    const int32_t key = index.FindEntry(text, 0);
    if (IsLink(index, key) && index.Lookup(key)) return {.key = key};
    return Refused("no entry at or after " + quoted);
  }
  CEntryResolution result;
  if (count == 0) {
    result.candidates = containing.empty() ? NearestEntries(index, text) : containing;
    result.message = "no entry is " + quoted;
    if (!result.candidates.empty()) result.message += "; the nearest: " + Listed(index, result.candidates);
  } else {
    result.candidates = named;
    result.message = quoted + " names " + std::to_string(count) + " entries" +
                     (count > named.size() ? ", among them: " : ": ") + Listed(index, named);
  }
  return result;
}

}  // namespace tv
