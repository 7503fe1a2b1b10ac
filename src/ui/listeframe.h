// The session list panel: every file written in this session with its
// popup menu, the count and sort label, and the gauges of free space on the
// video and image drives and of the busiest processor. The panel keeps the
// records in the order shown; the main window handles the menu and timers.
#pragma once

#include <QWidget>
#include <vector>

#include "control/sessionfiles.h"

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QTimer;
class TTextGauge;

class TListeFrame : public QWidget {
  Q_OBJECT
 public:
  explicit TListeFrame(QWidget* parent = nullptr);

  static constexpr int kCpuIntervalMs = 500;
  static constexpr int kFreeSpaceIntervalMs = 2000;
  static constexpr int kVideoAlertMB = 500;
  static constexpr int kImageAlertMB = 100;
  static constexpr int kCpuAlertPercent = 80;

  QLabel* Label1 = nullptr;
  QListWidget* fl = nullptr;
  QLabel* labselect = nullptr;
  TTextGauge* tgVideo = nullptr;
  TTextGauge* tgImage = nullptr;
  TTextGauge* tgCPU = nullptr;
  QTimer* CPU = nullptr;
  QTimer* FreeSpace = nullptr;
  QMenu* pmListe = nullptr;
  QAction* miInfos = nullptr;
  QAction* miDossierParent = nullptr;
  QAction* miOuvrir = nullptr;
  QAction* miScenolog = nullptr;
  QAction* miTriNom = nullptr;
  QAction* miTriTaille = nullptr;
  QAction* miTriDate = nullptr;
  QAction* miTriExtension = nullptr;

  // Adds a record at its place in the current order.
  void Add(const TDataFichier& file);
  void Sort(TSortOrder order);
  TSortOrder sortOrder() const { return order_; }
  // Records in the order shown.
  const std::vector<TDataFichier>& files() const { return files_; }
  // The selected records in the order shown; the current one first when
  // none is selected.
  std::vector<const TDataFichier*> selected() const;
  const TDataFichier* current() const;
  // The count and sort label, and the list enabled only with items.
  void RefreshCount();

 signals:
  void itemDoubleClicked(int row);

 private:
  void Fill();

  std::vector<TDataFichier> files_;
  TSortOrder order_ = TSortOrder::Name;
};
