// The application manager: the main window's persistable commands (the
// second list of the key dispatch, saved with the preferences, called by
// scripts and the command line), the script component and its two windows.
#pragma once

#include <QRect>
#include <QWidget>
#include <functional>
#include <memory>

#include "actions/abstractaction.h"
#include "actions/obscript.h"

class TScriptForm;
class THelpForm;

class TOBAppliMan {
 public:
  // `window` is the window served: naQuit closes it, raFormSave keeps its
  // bounds.
  TOBAppliMan(QWidget& window, TActionContext& context, const QString& fullTitle);
  ~TOBAppliMan();
  TOBAppliMan(const TOBAppliMan&) = delete;
  TOBAppliMan& operator=(const TOBAppliMan&) = delete;

  TCustomOBActionList& list() { return list_; }
  const TCustomOBActionList& list() const { return list_; }
  TOBScript& script() { return *script_; }
  TScriptForm& scriptForm() { return *scriptForm_; }
  THelpForm& helpForm() { return *helpForm_; }

  // The camcorder windows whose bounds raCam1 and raCam2 keep, and where
  // they go the first time.
  std::function<QWidget*(int number)> camcorderWindow;
  std::function<QRect()> defaultCamcorderRect;
  // The desktop: an address opened (a page, a mail).
  std::function<void(const QByteArray& address)> openAddress;

  TCheckAction* caScript;
  TCheckAction* caHelp;
  TCheckAction* caAbout;
  TCheckAction* caOptions;
  TCheckAction* caCustom;
  TNopeAction* naQuit;
  TNopeAction* naEMail;
  TNopeAction* naHomePage;
  TRectAction* raFormSave;
  TRectAction* raCam1;
  TRectAction* raCam2;

 private:
  TCheckAction* Check(const char* id, const char* script, const char* caption, const QString& key);
  TNopeAction* Plain(const char* id, const char* script, const char* caption, const QString& key);
  TRectAction* CameraRect(int number);

  QWidget& window_;
  TActionContext& context_;
  QObject owner_;  // of the commands
  TCustomOBActionList list_;
  TCustomOBActionList scriptCommands_;  // the script window's, for the help window
  std::unique_ptr<TOBScript> script_;
  std::unique_ptr<TScriptForm> scriptForm_;
  std::unique_ptr<THelpForm> helpForm_;
  int attachment_ = 0;
};
