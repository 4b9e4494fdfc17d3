#include "viewer/window/TraceRulesDialog.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zeb {

namespace {

enum Column { kOn, kAction, kField, kMatch, kCase, kPattern, kForeground, kBackground, kColumns };

QComboBox* Combo(const QStringList& items, int current) {
  auto* combo = new QComboBox;
  combo->addItems(items);
  combo->setCurrentIndex(current);
  return combo;
}

QString ColourName(std::uint32_t colour) {
  return colour == kNoColour ? QObject::tr("none")
                             : QColor::fromRgb(static_cast<QRgb>(colour)).name();
}

}  // namespace

TraceRulesDialog::TraceRulesDialog(
    std::vector<TraceRule> rules,
    std::function<std::vector<std::string>(const std::vector<TraceRule>&)> apply, QWidget* parent)
    : QDialog(parent), rules_(std::move(rules)), apply_(std::move(apply)) {
  setWindowTitle(tr("Trace Rules"));
  table_ = new QTableWidget(0, kColumns, this);
  table_->setHorizontalHeaderLabels({tr("On"), tr("Action"), tr("Field"), tr("Match"), tr("Case"),
                                     tr("Pattern"), tr("Text colour"), tr("Background")});
  QHeaderView* header = table_->horizontalHeader();
  for (const auto& [column, width] : {std::pair{kOn, 36},
                                      {kAction, 110},
                                      {kField, 100},
                                      {kMatch, 80},
                                      {kCase, 44},
                                      {kForeground, 90},
                                      {kBackground, 90}}) {
    header->resizeSection(column, width);
  }
  header->setSectionResizeMode(kPattern, QHeaderView::Stretch);
  table_->verticalHeader()->hide();
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);

  auto* help = new QLabel(
      tr("Keep rules: only messages matching one of them are shown. Hide rules: matching messages "
         "are not (hiding wins). Highlight rules colour the first match. Text ignores case unless "
         "Case is on; Regex is an extended regular expression (RE2)."),
      this);
  help->setWordWrap(true);

  auto* add = new QPushButton(tr("&Add"), this);
  auto* remove = new QPushButton(tr("&Remove"), this);
  auto* up = new QPushButton(tr("&Up"), this);
  auto* down = new QPushButton(tr("&Down"), this);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(add, &QPushButton::clicked, this, [this] { AddRule(TraceRule()); });
  connect(remove, &QPushButton::clicked, this, [this] {
    const int row = table_->currentRow();
    if (row < 0) return;
    rules_.erase(rules_.begin() + row);
    Fill();
    Apply();
  });
  connect(up, &QPushButton::clicked, this, [this] { Move(-1); });
  connect(down, &QPushButton::clicked, this, [this] { Move(1); });
  connect(table_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
    if (filling_) return;
    TraceRule& rule = rules_[static_cast<std::size_t>(item->row())];
    if (item->column() == kOn) rule.enabled = item->checkState() == Qt::Checked;
    if (item->column() == kCase) rule.caseSensitive = item->checkState() == Qt::Checked;
    if (item->column() == kPattern) rule.pattern = item->text().toStdString();
    Apply();
  });
  connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
    if (column != kForeground && column != kBackground) return;
    TraceRule& rule = rules_[static_cast<std::size_t>(row)];
    std::uint32_t& colour = column == kForeground ? rule.foreground : rule.background;
    const QColor chosen = QColorDialog::getColor(
        colour == kNoColour ? QColor(Qt::white) : QColor::fromRgb(static_cast<QRgb>(colour)), this,
        tr("Colour"));
    colour = chosen.isValid() ? (chosen.rgb() & 0xFFFFFFU) : kNoColour;
    FillRow(row);
    Apply();
  });

  auto* side = new QVBoxLayout;
  for (QPushButton* b : {add, remove, up, down})
    side->addWidget(b);
  side->addStretch();
  auto* middle = new QHBoxLayout;
  middle->addWidget(table_);
  middle->addLayout(side);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(help);
  layout->addLayout(middle);
  layout->addWidget(buttons);
  resize(860, 360);
  Fill();
  Apply();
}

void TraceRulesDialog::AddRule(const TraceRule& rule) {
  rules_.push_back(rule);
  Fill();
  table_->setCurrentCell(table_->rowCount() - 1, kPattern);
  Apply();
}

void TraceRulesDialog::Move(int by) {
  const int row = table_->currentRow();
  const int to = row + by;
  if (row < 0 || to < 0 || to >= static_cast<int>(rules_.size())) return;
  std::swap(rules_[static_cast<std::size_t>(row)], rules_[static_cast<std::size_t>(to)]);
  Fill();
  table_->setCurrentCell(to, kPattern);
  Apply();
}

void TraceRulesDialog::Fill() {
  filling_ = true;
  table_->setRowCount(static_cast<int>(rules_.size()));
  for (int row = 0; row < table_->rowCount(); ++row)
    FillRow(row);
  filling_ = false;
}

void TraceRulesDialog::FillRow(int row) {
  const bool wasFilling = filling_;
  filling_ = true;
  const TraceRule& rule = rules_[static_cast<std::size_t>(row)];
  const auto check = [](bool on) {
    auto* item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    return item;
  };
  table_->setItem(row, kOn, check(rule.enabled));
  table_->setItem(row, kCase, check(rule.caseSensitive));
  table_->setItem(row, kPattern, new QTableWidgetItem(QString::fromStdString(rule.pattern)));
  const auto combo = [&](int column, const QStringList& items, int current, auto set) {
    QComboBox* box = Combo(items, current);
    connect(box, &QComboBox::currentIndexChanged, this, [this, box, set](int index) {
      // The row the box is in now: rows move when rules are removed or moved.
      for (int r = 0; r < table_->rowCount(); ++r) {
        for (int c = 0; c < kColumns; ++c) {
          if (table_->cellWidget(r, c) == box) {
            set(rules_[static_cast<std::size_t>(r)], index);
            Apply();
            return;
          }
        }
      }
    });
    table_->setCellWidget(row, column, box);
  };
  combo(kAction, {tr("Keep"), tr("Hide"), tr("Highlight")}, static_cast<int>(rule.action),
        [](TraceRule& r, int i) { r.action = static_cast<TraceRule::Action>(i); });
  combo(kField, {tr("Message"), tr("Process")}, static_cast<int>(rule.field),
        [](TraceRule& r, int i) { r.field = static_cast<TraceRule::Field>(i); });
  combo(kMatch, {tr("Text"), tr("Regex")}, rule.regex ? 1 : 0,
        [](TraceRule& r, int i) { r.regex = i == 1; });
  for (const int column : {kForeground, kBackground}) {
    const std::uint32_t colour = column == kForeground ? rule.foreground : rule.background;
    auto* item = new QTableWidgetItem(ColourName(colour));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setToolTip(tr("Double-click to choose; Cancel for none"));
    if (colour != kNoColour) item->setBackground(QColor::fromRgb(static_cast<QRgb>(colour)));
    table_->setItem(row, column, item);
  }
  filling_ = wasFilling;
}

void TraceRulesDialog::Apply() {
  const std::vector<std::string> problems = apply_(rules_);
  const bool wasFilling = filling_;
  filling_ = true;
  for (int row = 0; row < table_->rowCount(); ++row) {
    QTableWidgetItem* pattern = table_->item(row, kPattern);
    const std::string why = static_cast<std::size_t>(row) < problems.size()
                                ? problems[static_cast<std::size_t>(row)]
                                : std::string();
    pattern->setToolTip(why.empty() ? QString()
                                    : tr("Does nothing: %1").arg(QString::fromStdString(why)));
    pattern->setForeground(why.empty() ? QBrush() : QBrush(Qt::red));
  }
  filling_ = wasFilling;
}

}  // namespace zeb
