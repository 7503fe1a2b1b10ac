// The file manager of an editing window: no file, a new file not saved yet,
// or a file opened or saved; the current name, whether it was modified, the
// ten recent files; and its commands, persistable under their script names.
// The window supplies its own steps (what new, open and save do to its
// text) and the desktop's questions and dialogs.
#pragma once

#include <QObject>
#include <QStringList>
#include <array>
#include <functional>

#include "actions/abstractaction.h"

class TFileManager {
 public:
  enum class State { NoFile, New, Opened };
  static constexpr int kRecentCount = 10;
  static constexpr int kRecentShown = 5;
  static constexpr int kRecentCaptionLength = 50;

  // The commands are made as children of `owner`, with the script names of
  // the script window ("NewScript", "OpenScript", "InitialDirScript"...).
  TFileManager(TActionContext& context, QObject* owner);

  QString DefaultExt = QStringLiteral(".txt");
  QString NewFileName = QStringLiteral("script.txt");

  // The window's steps.
  std::function<void()> OnNewFile;
  std::function<void(const QString& path)> OnOpenFile, OnSaveFile;
  // Run before new, open or a recent file (the window stops a recording).
  std::function<void()> OnBeforeChange;
  // The desktop: a warning answered Yes (true) or No; the open and save
  // dialogs (empty: cancelled); the files copied in the file manager; the
  // folder of a file shown.
  std::function<bool(const QString& question)> askYesNo;
  std::function<QString()> chooseOpen, chooseSave;
  std::function<QStringList()> clipboardFiles;
  std::function<void(const QString& path)> reveal;
  // The recent menu changed.
  std::function<void()> OnRecentChanged;

  State state() const { return state_; }
  QString currentFile() const { return waCurrentFileName->value(); }
  bool modified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }

  // The steps (each also behind its command).
  void Close();
  void New();
  bool Open(const QString& path);
  void Save();
  bool SaveAs(const QString& path);
  void Paste();
  // The first dropped file, when it is not the current one.
  void Drop(const QStringList& paths);
  void ParentFolder();
  void OpenRecent(int index);

  // Most recent first; an entry whose file is gone stays listed but hidden.
  QStringList recent() const;
  // Number, a blank and the path shortened to 50 characters.
  static QString RecentCaption(int number, const QString& path);

  TCustomOBActionList& list() { return list_; }

  TNopeAction* naNewFile;
  TWidestringAction* waInitialDir;
  TWidestringAction* waOpenFile;
  TWidestringAction* waCurrentFileName;
  TBooleanAction* baOpenLastFile;
  TNopeAction* naPasteFile;
  TNopeAction* naSaveFile;
  TWidestringAction* waSaveFileAs;
  TNopeAction* naCloseFile;
  TNopeAction* naParentFolder;
  std::array<TNopeAction*, kRecentCount> naRecent{};
  std::array<TWidestringAction*, kRecentCount> waRecentFilename{};

 private:
  void PutOnTop(const QString& path);
  void ShowRecent();
  void SetCurrent(const QString& path) { waCurrentFileName->SetQuietly(path); }

  State state_ = State::NoFile;
  bool modified_ = false;
  TCustomOBActionList list_;
};
