// The rules of a trace view, edited in a table: one row per rule (on, action, field, text or
// regular expression, case, pattern, colours), in the order they apply. Every change applies at
// once to the view (`changed`), to the messages already there; a rule whose pattern does not
// compile is marked with the reason and does nothing.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "viewer/TraceRules.h"

class QTableWidget;

namespace zeb {

class TraceRulesDialog : public QDialog {
  Q_OBJECT

 public:
  // `apply` takes the rules after every change and returns, per rule, why it does nothing (or an
  // empty text).
  TraceRulesDialog(std::vector<TraceRule> rules,
                   std::function<std::vector<std::string>(const std::vector<TraceRule>&)> apply,
                   QWidget* parent = nullptr);

  const std::vector<TraceRule>& Rules() const { return rules_; }
  QTableWidget* Table() const { return table_; }
  // Adds a rule at the end, as the Add button does, and applies it.
  void AddRule(const TraceRule& rule);

 private:
  void Fill();
  void FillRow(int row);
  void Apply();
  void Move(int by);

  std::vector<TraceRule> rules_;
  std::function<std::vector<std::string>(const std::vector<TraceRule>&)> apply_;
  QTableWidget* table_ = nullptr;
  bool filling_ = false;
};

}  // namespace zeb
