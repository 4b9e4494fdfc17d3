// The rows a trace view shows: the numbers of the held messages that pass its rules, in the
// order they came. The view judges new messages as they come (TakeNew), all of them again when
// the rules change (Refilter), and forgets the rows of messages the store has dropped.
#pragma once

#include <cstddef>
#include <deque>
#include <vector>

#include "viewer/TraceRules.h"
#include "viewer/TraceStore.h"

namespace zeb {

class TraceShownList {
 public:
  using Serial = TraceStore::Serial;

  static constexpr Serial kAll = ~Serial{0};

  // Judges every held message before `upTo` anew (a paused view judges those it had).
  void Refilter(const TraceStore& store, const TraceRuleSet& rules, Serial upTo = kAll);
  // Judges the messages added since the last judgement and returns the rows they make, which
  // Append then adds (in two steps, so that a view can be told before the rows change).
  std::vector<Serial> JudgeNew(const TraceStore& store, const TraceRuleSet& rules,
                               Serial upTo = kAll);
  void Append(const std::vector<Serial>& rows);
  // How many rows, all at the front, show messages the store no longer holds; ForgetDropped
  // removes them.
  std::size_t Dropped(const TraceStore& store) const { return RowAtOrAfter(store.First()); }
  void ForgetDropped(const TraceStore& store);
  // Messages from here on have not been judged (while a view is paused, say).
  Serial NextToJudge() const { return next_; }

  std::size_t Size() const { return rows_.size(); }
  Serial At(std::size_t row) const { return rows_[row]; }
  // The row of message `s`, or of the first shown after it; Size() when there is none.
  std::size_t RowAtOrAfter(Serial s) const;

 private:
  std::deque<Serial> rows_;
  Serial next_ = 1;
};

}  // namespace zeb
