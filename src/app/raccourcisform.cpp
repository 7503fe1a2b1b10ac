#include "app/raccourcisform.h"

#include <QCloseEvent>
#include <QCollator>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableWidget>
#include <algorithm>

#include "actions/keys.h"
#include "actions/superaction.h"
#include "settings/parameters.h"
#include "texts.h"

namespace {

constexpr int kColumnWidths[TRaccourcisForm::kColumns] = {238, 80, 60, 100};
constexpr int kRowHeight = 18;
const QColor kHeaderColour(240, 251, 255);

QString Text(const char* text) { return QString::fromUtf8(text); }

}  // namespace

TRaccourcisForm::TRaccourcisForm(QWidget* parent) : QWidget(parent, Qt::Window), grid_(new QTableWidget(this)) {
  setObjectName("RaccourcisForm");
  setGeometry(282, 217, 516, 446);
  grid_->setObjectName("StringGrid1");
  grid_->setColumnCount(kColumns);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  grid_->setShowGrid(true);
  grid_->verticalHeader()->hide();
  grid_->verticalHeader()->setDefaultSectionSize(kRowHeight);
  grid_->horizontalHeader()->setSectionsClickable(true);
  grid_->viewport()->setCursor(Qt::PointingHandCursor);
  QPalette cells = grid_->palette();
  cells.setColor(QPalette::Base, cells.color(QPalette::Button));
  grid_->setPalette(cells);
  grid_->horizontalHeader()->setStyleSheet(
      QStringLiteral("QHeaderView::section { background: %1; border: none; border-right: 1px solid palette(mid);"
                     " border-bottom: 1px solid palette(mid); padding: 0 4px; }")
          .arg(kHeaderColour.name()));
  connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this, &TRaccourcisForm::SortBy);
  connect(grid_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { RunRow(row); });
}

void TRaccourcisForm::FormCreate(const QString& fullTitle) {
  setWindowTitle(Text(texts::kShortcutsCaption).arg(fullTitle));
}

void TRaccourcisForm::resizeEvent(QResizeEvent* event) {
  grid_->setGeometry(rect());
  QWidget::resizeEvent(event);
}

void TRaccourcisForm::ChargerCommandes(const TActionList* list) {
  if (!list) return;
  list_ = list;
  const int column = sort_ ? sort_->value : 0;
  QCollator order;
  order.setCaseSensitivity(Qt::CaseInsensitive);
  // The column's text first, then caption and name: an empty cell sorts
  // before any text, so the commands without a key come first.
  struct Entry {
    QString first, rest;
    TCustomSuperAction* command;
  };
  const auto before = [&](const Entry& a, const Entry& b) {
    const int first = order.compare(a.first, b.first);
    return first != 0 ? first < 0 : order.compare(a.rest, b.rest) < 0;
  };
  std::vector<Entry> pairs;
  for (TCustomSuperAction* command : list->actions()) {
    if (command->text().isEmpty()) continue;
    Entry entry{QString(), command->text() + command->objectName(), command};
    switch (column) {
      case 0: break;
      case 1: entry.first = KeyText(command->shortcut()); break;
      case 2: entry.first = command->Switch(); break;
      case 3: entry.first = command->Token(); break;
      default: continue;
    }
    const auto place = std::lower_bound(pairs.begin(), pairs.end(), entry, before);
    if (place != pairs.end() && !before(entry, *place)) continue;  // an equal text only once
    pairs.insert(place, entry);
  }
  grid_->clearContents();
  grid_->setColumnCount(kColumns);
  grid_->setRowCount(static_cast<int>(pairs.size()));
  grid_->setHorizontalHeaderLabels({Text(texts::kShortcutsFunctions), Text(texts::kShortcutsKeys),
                                    Text(texts::kShortcutsSwitches), Text(texts::kShortcutsScript)});
  for (int c = 0; c < kColumns; ++c) grid_->setColumnWidth(c, kColumnWidths[c]);
  rows_.clear();
  for (int row = 0; row < static_cast<int>(pairs.size()); ++row) {
    TCustomSuperAction* command = pairs[static_cast<std::size_t>(row)].command;
    rows_.emplace_back(command);
    const QString cells[kColumns] = {command->text(), KeyText(command->shortcut()), command->Switch(),
                                     command->Token()};
    for (int c = 0; c < kColumns; ++c) grid_->setItem(row, c, new QTableWidgetItem(cells[c]));
  }
}

TCustomSuperAction* TRaccourcisForm::commandAt(int row) const {
  return row >= 0 && row < static_cast<int>(rows_.size()) ? rows_[static_cast<std::size_t>(row)].data() : nullptr;
}

void TRaccourcisForm::SortBy(int column) {
  if (sort_) sort_->value = static_cast<std::uint8_t>(column);
  ChargerCommandes(list_);
}

void TRaccourcisForm::RunRow(int row) {
  if (TCustomSuperAction* command = commandAt(row)) command->Execute();
}

void TRaccourcisForm::keyPressEvent(QKeyEvent* event) {
  if (OnUnusedKey && OnUnusedKey(event)) return;
  QWidget::keyPressEvent(event);
}

void TRaccourcisForm::closeEvent(QCloseEvent* event) {
  // Still visible here: the command's shown-state handler hides the window.
  if (OnCloseBox) OnCloseBox();
  hide();
  event->ignore();
}
