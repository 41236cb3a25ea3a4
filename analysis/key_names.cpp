// Row names, stand-by entries, index order of keys, and new indexes of a list's keys.
#include "analysis/key_names.h"

#include <vector>

namespace tv {

std::string StandByName(int32_t key) { return "#" + std::to_string(key); }

CIndObj* ObjectOrStandBy(CIndex& index, int32_t key,
                         const std::function<std::unique_ptr<CIndObj>(const std::string&)>& make) {
  if (CIndObj* object = index.Lookup(key)) return object;
  if (key <= 0) return nullptr;  // entry 0 is the index's header, never an object
  index.AddWithKey(make(StandByName(key)), key);
  return index.Lookup(key);
}

std::string NameOrStandBy(CIndex& index, int32_t key,
                          const std::function<std::unique_ptr<CIndObj>(const std::string&)>& make) {
  const CIndObj* object = ObjectOrStandBy(index, key, make);
  return object ? object->GetName(0) : StandByName(key);
}

int CompareKeyObjects(CIndex& index, int32_t a, int32_t b) {
  if (a == b) return 0;
  const CIndObj* first = index.Lookup(a);
  const CIndObj* second = index.Lookup(b);
  if (first) return first->Compare(second);
  if (second) return -second->Compare(nullptr);
  return a < b ? -1 : 1;
}

namespace {

// An index in memory over another one's objects, for writing a subset of its entries.
class CSubsetIndex : public CIndex {
 public:
  CSubsetIndex(CIndex& base, const std::function<std::unique_ptr<CIndObj>()>& newObject)
      : CIndex(base), m_newObject(newObject) {}
  std::unique_ptr<CIndObj> NewObject() override { return m_newObject(); }

 private:
  std::function<std::unique_ptr<CIndObj>()> m_newObject;
};

}  // namespace

void WriteIndexOfKeys(CIndex& base, const std::function<std::unique_ptr<CIndObj>()>& newObject,
                      const std::vector<int32_t>& keys, File& data, File& index) {
  CSubsetIndex subset(base, newObject);
  for (const int32_t key : keys) {
    if (CIndObj* object = base.Lookup(key)) subset.Insert(object, key, false);
  }
  subset.WriteCompacted(data, index);
}

}  // namespace tv
