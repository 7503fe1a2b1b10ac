#include "ui/listeframe.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QSet>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "texts.h"
#include "ui/textgauge.h"

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

}  // namespace

TListeFrame::TListeFrame(QWidget* parent) : QWidget(parent) {
  setObjectName("ListeFrame");
  auto* outer = new QVBoxLayout(this);
  auto* title = new QLabel(Text(texts::kListeTitle), this);
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  outer->addWidget(title);
  Label1 = new QLabel(Text(texts::kListeLabel), this);
  outer->addWidget(Label1);
  fl = new QListWidget(this);
  fl->setObjectName("fl");
  fl->setToolTip(Text(texts::kListeHint));
  fl->setSelectionMode(QAbstractItemView::ExtendedSelection);
  fl->setContextMenuPolicy(Qt::CustomContextMenu);
  outer->addWidget(fl, 1);
  labselect = new QLabel(this);
  labselect->setObjectName("labselect");
  outer->addWidget(labselect);

  auto* space = new QGroupBox(Text(texts::kListeFreeSpace), this);
  auto* grid = new QGridLayout(space);
  tgVideo = new TTextGauge(TTextGauge::Kind::Remaining, space);
  tgVideo->setObjectName("tgVideo");
  tgVideo->SetAlertValue(kVideoAlertMB);
  tgImage = new TTextGauge(TTextGauge::Kind::Remaining, space);
  tgImage->setObjectName("tgImage");
  tgImage->SetAlertValue(kImageAlertMB);
  grid->addWidget(new QLabel(Text(texts::kListeVideos), space), 0, 0);
  grid->addWidget(new QLabel(Text(texts::kListeImages), space), 0, 1);
  grid->addWidget(tgVideo, 1, 0);
  grid->addWidget(tgImage, 1, 1);
  outer->addWidget(space);
  auto* cpuLabel = new QLabel(Text(texts::kListeCpu), this);
  cpuLabel->setToolTip(Text(texts::kListeCpuHint));
  outer->addWidget(cpuLabel);
  tgCPU = new TTextGauge(TTextGauge::Kind::Percent, this);
  tgCPU->setObjectName("tgCPU");
  tgCPU->setToolTip(Text(texts::kListeCpuHint));
  tgCPU->SetAlertValue(kCpuAlertPercent);
  outer->addWidget(tgCPU, 0, Qt::AlignHCenter);

  CPU = new QTimer(this);
  CPU->setInterval(kCpuIntervalMs);
  CPU->start();
  FreeSpace = new QTimer(this);
  FreeSpace->setInterval(kFreeSpaceIntervalMs);
  FreeSpace->start();

  pmListe = new QMenu(this);
  pmListe->setObjectName("pmListe");
  miInfos = pmListe->addAction(Text(texts::kMenuInfos));
  miDossierParent = pmListe->addAction(Text(texts::kMenuParentFolder));
  miOuvrir = pmListe->addAction(Text(texts::kMenuOpenAssociated));
  miScenolog = pmListe->addAction(Text(texts::kMenuOpenScenolog));
  QMenu* sort = pmListe->addMenu(Text(texts::kMenuSort));
  miTriNom = sort->addAction(Text(texts::kMenuSortName));
  miTriTaille = sort->addAction(Text(texts::kMenuSortSize));
  miTriDate = sort->addAction(Text(texts::kMenuSortDate));
  miTriExtension = sort->addAction(Text(texts::kMenuSortExtension));
  connect(miTriNom, &QAction::triggered, this, [this] { Sort(TSortOrder::Name); });
  connect(miTriTaille, &QAction::triggered, this, [this] { Sort(TSortOrder::Size); });
  connect(miTriDate, &QAction::triggered, this, [this] { Sort(TSortOrder::Date); });
  connect(miTriExtension, &QAction::triggered, this, [this] { Sort(TSortOrder::Extension); });
  connect(fl, &QListWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { pmListe->popup(fl->viewport()->mapToGlobal(at)); });
  connect(fl, &QListWidget::itemSelectionChanged, this, &TListeFrame::RefreshCount);
  connect(fl, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { emit itemDoubleClicked(fl->row(item)); });
  RefreshCount();
}

void TListeFrame::Add(const TDataFichier& file) {
  // The list stays in the order its label names; equal ones in the order
  // they came.
  const auto at = std::upper_bound(files_.begin(), files_.end(), file, [this](const TDataFichier& a, const TDataFichier& b) {
    return SortsBefore(a, b, order_);
  });
  const int row = static_cast<int>(at - files_.begin());
  files_.insert(at, file);
  auto* item = new QListWidgetItem(file.name());
  item->setToolTip(file.fileName);
  fl->insertItem(row, item);
  RefreshCount();
}

void TListeFrame::Sort(TSortOrder order) {
  order_ = order;
  SortFiles(files_, order);
  Fill();
}

void TListeFrame::Fill() {
  // The user's selection survives the files added while it is made.
  QSet<QString> chosen;
  for (const QListWidgetItem* item : fl->selectedItems()) chosen.insert(item->toolTip());
  const QString currentFile = fl->currentItem() ? fl->currentItem()->toolTip() : QString();
  const QSignalBlocker quiet(fl);
  fl->clear();
  for (const TDataFichier& file : files_) {
    auto* item = new QListWidgetItem(file.name(), fl);
    item->setToolTip(file.fileName);
    if (file.fileName == currentFile) fl->setCurrentItem(item, QItemSelectionModel::NoUpdate);
    item->setSelected(chosen.contains(file.fileName));
  }
  RefreshCount();
}

std::vector<const TDataFichier*> TListeFrame::selected() const {
  std::vector<const TDataFichier*> chosen;
  for (int row = 0; row < fl->count() && row < int(files_.size()); ++row)
    if (fl->item(row)->isSelected()) chosen.push_back(&files_[row]);
  if (chosen.empty())
    if (const TDataFichier* file = current()) chosen.push_back(file);
  return chosen;
}

const TDataFichier* TListeFrame::current() const {
  const int row = fl->currentRow();
  return row >= 0 && row < int(files_.size()) ? &files_[row] : nullptr;
}

void TListeFrame::RefreshCount() {
  labselect->setText(CountLabel(files_.size(), order_));
  fl->setEnabled(!files_.empty());
}
