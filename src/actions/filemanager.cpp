#include "actions/filemanager.h"

#include <QDir>
#include <QFileInfo>

#include "texts.h"

namespace {

template <typename Action>
Action* Make(TActionContext& context, QObject* owner, TCustomOBActionList& list, const char* id, const QString& script,
             const char* caption, const char* hint, const QString& key = {}) {
  auto* action = new Action(context, owner);
  action->InternalId = QString::fromLatin1(id);
  action->ScriptName = script;
  action->setText(QString::fromUtf8(caption));
  action->setToolTip(QString::fromUtf8(hint));
  action->setStatusTip(action->toolTip());
  if (!key.isEmpty()) action->setShortcut(QKeySequence(key));
  list.Add(action);
  return action;
}

}  // namespace

TFileManager::TFileManager(TActionContext& context, QObject* owner) {
  naNewFile = Make<TNopeAction>(context, owner, list_, "naNewFile", "NewScript", texts::kFileNew, texts::kFileNewHint,
                                "Ctrl+N");
  naNewFile->InternalApply = [this] { New(); };
  waInitialDir = Make<TWidestringAction>(context, owner, list_, "waInitialDir", "InitialDirScript",
                                         texts::kFileInitialDir, texts::kFileInitialDirHint);
  waOpenFile = Make<TWidestringAction>(context, owner, list_, "waOpenFile", "OpenScript", texts::kFileOpen,
                                       texts::kFileOpenHint, "Ctrl+O");
  waOpenFile->IncludePrefs = false;
  waOpenFile->InternalPrepare = [this](QString& value) {
    if (!chooseOpen) return false;
    value = chooseOpen();
    return !value.isEmpty();
  };
  waOpenFile->InternalApply = [this] { Open(waOpenFile->value()); };
  waCurrentFileName = Make<TWidestringAction>(context, owner, list_, "waCurrentFileName", "CurrentScriptName",
                                              texts::kFileCurrent, texts::kFileCurrentHint);
  baOpenLastFile = Make<TBooleanAction>(context, owner, list_, "baOpenLastFile", "OpenLastScript",
                                        texts::kFileOpenLast, texts::kFileOpenLastHint);
  baOpenLastFile->DefaultValue = true;
  baOpenLastFile->SetQuietly(true);
  naPasteFile = Make<TNopeAction>(context, owner, list_, "naPasteFile", "PasteScript", texts::kFilePaste,
                                  texts::kFilePasteHint, "Ctrl+V");
  naPasteFile->InternalApply = [this] { Paste(); };
  naSaveFile = Make<TNopeAction>(context, owner, list_, "naSaveFile", "SaveScript", texts::kFileSave,
                                 texts::kFileSaveHint, "Ctrl+S");
  naSaveFile->InternalApply = [this] { Save(); };
  waSaveFileAs = Make<TWidestringAction>(context, owner, list_, "waSaveFileAs", "SaveScriptAs", texts::kFileSaveAs,
                                         texts::kFileSaveAsHint, "Ctrl+Shift+S");
  waSaveFileAs->IncludePrefs = false;
  waSaveFileAs->InternalPrepare = [this](QString& value) {
    if (!chooseSave) return false;
    value = chooseSave();
    if (value.isEmpty()) return false;
    if (QFileInfo::exists(value) && askYesNo &&
        !askYesNo(QString::fromUtf8(texts::kFileOverwriteQuestion) + value + " ?"))
      return false;
    return true;
  };
  waSaveFileAs->InternalApply = [this] { SaveAs(waSaveFileAs->value()); };
  naCloseFile = Make<TNopeAction>(context, owner, list_, "naCloseFile", "CloseScript", texts::kFileClose,
                                  texts::kFileCloseHint, "Ctrl+F");
  naCloseFile->InternalApply = [this] { Close(); };
  naParentFolder = Make<TNopeAction>(context, owner, list_, "naParentFolder", "ScriptParentFolder",
                                     texts::kFileParentFolder, texts::kFileParentFolderHint, "F9");
  naParentFolder->InternalApply = [this] { ParentFolder(); };
  for (int i = 0; i < kRecentCount; ++i) {
    const QString number = QString::number(i + 1);
    const QByteArray caption = (number + ' ').toUtf8();
    naRecent[i] = Make<TNopeAction>(context, owner, list_, "naRecent", "Recent" + number, caption.constData(),
                                    texts::kFileRecentHint);
    naRecent[i]->InternalId += number;
    naRecent[i]->InternalApply = [this, i] { OpenRecent(i); };
    const QByteArray name = ("Filename" + number).toUtf8();
    waRecentFilename[i] = Make<TWidestringAction>(context, owner, list_, "waRecentFilename", "RecentFilename" + number,
                                                  name.constData(), "");
    waRecentFilename[i]->InternalId += number;
    waRecentFilename[i]->InternalApply = [this] { ShowRecent(); };
  }
  list_.OnLoadFromPrefs = [this] { ShowRecent(); };
}

void TFileManager::Close() {
  if (modified_ && askYesNo && askYesNo(QString::fromUtf8(texts::kFileSaveQuestion))) Save();
  SetCurrent({});
  state_ = State::NoFile;
  modified_ = false;
}

void TFileManager::New() {
  if (OnBeforeChange) OnBeforeChange();
  Close();
  const QString folder = waInitialDir->value();
  QString name = NewFileName;
  if (!name.endsWith(DefaultExt)) name += DefaultExt;
  SetCurrent(folder.isEmpty() ? name : QDir(folder).filePath(name));
  state_ = State::New;
  if (OnNewFile) OnNewFile();
  modified_ = false;
}

bool TFileManager::Open(const QString& path) {
  if (!QFileInfo(path).isFile()) return false;
  if (OnBeforeChange) OnBeforeChange();
  Close();
  SetCurrent(path);
  state_ = State::Opened;
  if (OnOpenFile) OnOpenFile(path);
  PutOnTop(path);
  modified_ = false;
  return true;
}

void TFileManager::Save() {
  if (state_ == State::Opened) {
    if (OnSaveFile) OnSaveFile(currentFile());
    modified_ = false;
    return;
  }
  // A new file (or none) is named first.
  waSaveFileAs->ExecuteFromUser();
}

bool TFileManager::SaveAs(const QString& path) {
  if (path.isEmpty()) return false;
  SetCurrent(path);
  if (OnSaveFile) OnSaveFile(path);
  state_ = State::Opened;
  PutOnTop(path);
  modified_ = false;
  return true;
}

void TFileManager::Paste() {
  const QStringList files = clipboardFiles ? clipboardFiles() : QStringList();
  if (!files.isEmpty()) Open(files.first());
}

void TFileManager::Drop(const QStringList& paths) {
  // Paths are compared exactly: two names differing in case are two files.
  if (!paths.isEmpty() && paths.first() != currentFile()) Open(paths.first());
}

void TFileManager::ParentFolder() {
  if (reveal && !currentFile().isEmpty()) reveal(currentFile());
}

void TFileManager::OpenRecent(int index) {
  if (index < 0 || index >= kRecentCount) return;
  const QString path = waRecentFilename[index]->value();
  if (!path.isEmpty()) Open(path);
}

QStringList TFileManager::recent() const {
  QStringList paths;
  for (const TWidestringAction* entry : waRecentFilename) paths << entry->value();
  return paths;
}

QString TFileManager::RecentCaption(int number, const QString& path) {
  const QString shortened = path.size() <= kRecentCaptionLength
                                ? path
                                : QStringLiteral("...") + path.right(kRecentCaptionLength - 3);
  return QString::number(number) + ' ' + shortened;
}

// The entries above the file's old place move down by one; a file not
// listed pushes the last entry out.
void TFileManager::PutOnTop(const QString& path) {
  QStringList paths = recent();
  qsizetype old = paths.indexOf(path);
  if (old < 0) old = kRecentCount - 1;
  for (qsizetype i = old; i > 0; --i) paths[i] = paths[i - 1];
  paths[0] = path;
  for (int i = 0; i < kRecentCount; ++i) waRecentFilename[i]->SetQuietly(paths[i]);
  ShowRecent();
}

void TFileManager::ShowRecent() {
  for (int i = 0; i < kRecentCount; ++i) {
    const QString path = waRecentFilename[i]->value();
    naRecent[i]->setText(RecentCaption(i + 1, path));
    naRecent[i]->setVisible(i < kRecentShown && !path.isEmpty() && QFileInfo::exists(path));
  }
  if (OnRecentChanged) OnRecentChanged();
}
