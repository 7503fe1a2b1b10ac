// The shortcut window: every command of a list with its key, switch and
// token, sorted by the column whose header was clicked last, and run by a
// double-click. It lives as long as the program, shown and hidden.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

class QKeyEvent;
class QTableWidget;
class TActionList;
class TCustomSuperAction;
class TRaccourcisSortParameter;

class TRaccourcisForm : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kColumns = 4;

  explicit TRaccourcisForm(QWidget* parent = nullptr);

  // The sort column, kept across restarts (0 caption, 1 key, 2 switch, 3
  // token; any other value lists nothing); none: by caption.
  void SetSortParameter(TRaccourcisSortParameter* sort) { sort_ = sort; }

  // "Les commandes de <title>".
  void FormCreate(const QString& fullTitle);
  // Fills the grid from the list, which is kept for the next sort.
  void ChargerCommandes(const TActionList* list);

  QTableWidget* grid() const { return grid_; }
  // The command on a data row (from 0), or none.
  TCustomSuperAction* commandAt(int row) const;
  // A header click: sorts by that column.
  void SortBy(int column);
  // A double-click on a data row runs its command.
  void RunRow(int row);

  // Closing by the close box runs the show/hide command, which hides it.
  std::function<void()> OnCloseBox;
  // A key the list has no use for (F11, the commands' keys) goes on to the
  // main window's commands; true when one took it.
  std::function<bool(QKeyEvent* event)> OnUnusedKey;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  TRaccourcisSortParameter* sort_ = nullptr;
  QTableWidget* grid_;
  const TActionList* list_ = nullptr;
  std::vector<QPointer<TCustomSuperAction>> rows_;
};
