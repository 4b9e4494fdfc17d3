#include "viewer/TraceShownList.h"

#include <algorithm>

namespace zeb {

void TraceShownList::Refilter(const TraceStore& store, const TraceRuleSet& rules, Serial upTo) {
  rows_.clear();
  next_ = store.First();
  Append(JudgeNew(store, rules, upTo));
}

std::vector<TraceShownList::Serial> TraceShownList::JudgeNew(const TraceStore& store,
                                                             const TraceRuleSet& rules,
                                                             Serial upTo) {
  std::vector<Serial> rows;
  Serial s = std::max(next_, store.First());
  const Serial end = std::min(store.End(), upTo);
  if (!rules.Filters()) {
    if (end > s) rows.reserve(end - s);
    for (; s < end; ++s)
      rows.push_back(s);
  } else if (s < end) {
    rules.Judge(store, s, end, rows);
    s = end;
  }
  next_ = s;
  return rows;
}

void TraceShownList::Append(const std::vector<Serial>& rows) {
  rows_.insert(rows_.end(), rows.begin(), rows.end());
}

void TraceShownList::ForgetDropped(const TraceStore& store) {
  rows_.erase(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(Dropped(store)));
  next_ = std::max(next_, store.First());
}

std::size_t TraceShownList::RowAtOrAfter(Serial s) const {
  return static_cast<std::size_t>(std::lower_bound(rows_.begin(), rows_.end(), s) - rows_.begin());
}

}  // namespace zeb
