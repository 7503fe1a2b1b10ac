// The main window's session list: the files of the session, their menu,
// the free-space and processor gauges, and the companion scene program
// started on the listed files.
#include <QAction>
#include <QFileInfo>
#include <QListWidget>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QProcess>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>

#include "app/captureform.h"
#include "app/foldernaming.h"
#include "app/identity.h"
#include "control/cpuload.h"
#include "control/sessioncontrol.h"
#include "media/formats/dsfunctions.h"
#include "platform/shellutils.h"
#include "settings/conversions.h"
#include "texts.h"
#include "ui/listeframe.h"
#include "ui/sourcesframe.h"
#include "ui/textgauge.h"

Q_LOGGING_CATEGORY(lcListe, "tessivo.list")

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

}  // namespace

void TCaptureForm::BuildListe() {
  cpuMeter_ = std::make_unique<TCpuMeter>();
  connect(listeFrame_->CPU, &QTimer::timeout, this, &TCaptureForm::RefreshCpu);
  connect(listeFrame_->FreeSpace, &QTimer::timeout, this, &TCaptureForm::RefreshFreeSpace);
  connect(listeFrame_->miInfos, &QAction::triggered, this, &TCaptureForm::ListInfos);
  connect(listeFrame_->miDossierParent, &QAction::triggered, this, &TCaptureForm::ListParentFolder);
  connect(listeFrame_->miOuvrir, &QAction::triggered, this, &TCaptureForm::ListOpen);
  connect(listeFrame_->miScenolog, &QAction::triggered, this, &TCaptureForm::ListScenolog);
  connect(listeFrame_, &TListeFrame::itemDoubleClicked, this, [this](int row) {
    if (row >= 0 && row < int(listeFrame_->files().size())) OpenDocument(listeFrame_->files()[row].fileName);
  });
  // The acScenolog and acOuvrirDossierVideos buttons of the sources panel.
  connect(sourcesFrame_->sbScenolog, &QToolButton::clicked, this, [this] {
    if (TCustomSuperAction* action = al_.FindByObjectName("acScenolog")) action->Execute();
  });
  connect(sourcesFrame_->sbVideo, &QToolButton::clicked, this, [this] {
    if (TCustomSuperAction* action = al_.FindByObjectName("acOuvrirDossierVideos")) action->Execute();
  });
}

void TCaptureForm::saListeFrameExecute(QObject*) {
  RefreshGauges();
  ShowPanel(pnCapturedFiles);
  listeFrame_->RefreshCount();
}

void TCaptureForm::RefreshGauges() {
  RefreshCpu();
  RefreshFreeSpace();
}

void TCaptureForm::RefreshCpu() { listeFrame_->tgCPU->SetValue(cpuMeter_->Sample()); }

void TCaptureForm::RefreshFreeSpace() {
  if (!folderNaming_) return;
  listeFrame_->tgVideo->SetValue(DiskUsedMB(folderNaming_->DisqueVideo()));
  listeFrame_->tgImage->SetValue(DiskUsedMB(folderNaming_->DisqueImage()));
}

void TCaptureForm::ListInfos() {
  if (const TDataFichier* file = listeFrame_->current()) ShowInformation(InfosText(*file));
}

void TCaptureForm::ListParentFolder() {
  if (const TDataFichier* file = listeFrame_->current()) RevealFile(file->fileName);
}

void TCaptureForm::ListOpen() {
  for (const TDataFichier* file : listeFrame_->selected()) OpenDocument(file->fileName);
}

// Without a companion nothing is said here: the command says it.
void TCaptureForm::ListScenolog() {
  const QString companion = parameters_.Scenolog ? parameters_.Scenolog->value : QString();
  const TDataFichier* file = listeFrame_->current();
  if (!file || companion.isEmpty() || !QFileInfo(companion).isFile()) return;
  StartProgram(companion, {file->fileName});
}

void TCaptureForm::acScenologExecute(QObject*) {
  const QString companion = parameters_.Scenolog ? parameters_.Scenolog->value : QString();
  if (companion.isEmpty() || !QFileInfo(companion).isFile()) {
    ShowInformation(Text(texts::kScenologMissing));
    return;
  }
  const QStringList arguments = CompanionArguments(listeFrame_->files());
  if (arguments.isEmpty()) return;
  if (!StartProgram(companion, arguments)) ShowProblem(Text(texts::kScenologFailed));
}

void TCaptureForm::acOuvrirDossierVideosExecute(QObject*) {
  const std::vector<TDataFichier>& files = listeFrame_->files();
  if (!files.empty()) {
    RevealFile(files.back().fileName);
    return;
  }
  if (parameters_.VideoDirectory) OpenDocument(parameters_.VideoDirectory->value);
}

void TCaptureForm::ShowInformation(const QString& text) {
  if (environment_.inform) {
    environment_.inform(text);
    return;
  }
  QMessageBox::information(this, identity::kProductName, text);
}

// No shell: every character of every path reaches the program as it is.
bool TCaptureForm::StartProgram(const QString& program, const QStringList& arguments) {
  const bool started = environment_.startProgram ? environment_.startProgram(program, arguments)
                                                 : QProcess::startDetached(program, arguments);
  if (!started) qCWarning(lcListe) << "could not start" << program;
  return started;
}

void TCaptureForm::RevealFile(const QString& path) {
  if (environment_.revealFile)
    environment_.revealFile(path);
  else
    shell::RevealInExplorer(path);
}

bool TCaptureForm::OpenDocument(const QString& path) {
  return environment_.openDocument ? environment_.openDocument(path) : shell::OpenDocument(path);
}
