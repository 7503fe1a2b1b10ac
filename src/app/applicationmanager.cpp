#include "app/applicationmanager.h"

#include <QApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QUrl>

#include "app/helpform.h"
#include "app/scriptform.h"
#include "help/mail.h"
#include "texts.h"

namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

}  // namespace

TCheckAction* TOBAppliMan::Check(const char* id, const char* script, const char* caption, const QString& key) {
  auto* action = new TCheckAction(context_, &owner_);
  action->setObjectName(QString::fromLatin1(id));
  action->InternalId = action->objectName();
  action->ScriptName = QString::fromLatin1(script);
  action->TrueCaption = action->FalseCaption = Text(caption);
  action->setText(Text(caption));
  action->setShortcut(QKeySequence(key));
  list_.Add(action);
  return action;
}

TNopeAction* TOBAppliMan::Plain(const char* id, const char* script, const char* caption, const QString& key) {
  auto* action = new TNopeAction(context_, &owner_);
  action->setObjectName(QString::fromLatin1(id));
  action->InternalId = action->objectName();
  action->ScriptName = QString::fromLatin1(script);
  action->setText(Text(caption));
  action->setShortcut(QKeySequence(key));
  list_.Add(action);
  return action;
}

TRectAction* TOBAppliMan::CameraRect(int number) {
  auto* raCam = new TRectAction(context_, &owner_);
  raCam->setObjectName(QStringLiteral("raCam%1").arg(number));
  raCam->InternalId = raCam->objectName();
  raCam->ScriptName = number == 1 ? QStringLiteral("raCam1") : QStringLiteral("Cam2");
  raCam->setText(QStringLiteral("Cam%1").arg(number));
  raCam->ApplyWhenLoad = true;
  raCam->InternalDefault = [this](TRectValue& value) {
    if (defaultCamcorderRect) value = TRectValue::FromQRect(defaultCamcorderRect());
  };
  raCam->InternalBeforeSave = [this, number](TRectValue& value) {
    if (QWidget* camcorder = camcorderWindow ? camcorderWindow(number) : nullptr)
      value = TRectValue::FromQRect(camcorder->geometry());
  };
  raCam->InternalApply = [this, number, raCam] {
    const QRect bounds = raCam->value().ToQRect();
    QWidget* camcorder = camcorderWindow ? camcorderWindow(number) : nullptr;
    if (camcorder && bounds.width() > 0 && bounds.height() > 0) camcorder->setGeometry(bounds);
  };
  list_.Add(raCam);
  return raCam;
}

TOBAppliMan::TOBAppliMan(QWidget& window, TActionContext& context, const QString& fullTitle)
    : window_(window), context_(context) {
  TOBScript::Desktop desktop;
  desktop.showMessage = [this](const QString& text) {
    QMessageBox::information(&window_, window_.windowTitle(), text);
  };
  desktop.processMessages = [] { QApplication::processEvents(); };
  script_ = std::make_unique<TOBScript>(desktop);
  scriptForm_ = std::make_unique<TScriptForm>(context, *script_, fullTitle);
  helpForm_ = std::make_unique<THelpForm>();
  openAddress = [](const QByteArray& address) { QDesktopServices::openUrl(QUrl::fromEncoded(address)); };

  caScript = Check("caScript", "Script", texts::kAppScript, "F12");
  caScript->OnAfterTrueApply = [this] { scriptForm_->ShowForm(); };
  caScript->OnAfterFalseApply = [this] { scriptForm_->hide(); };
  scriptForm_->onClosed = [this] {
    if (caScript->IsChecked()) caScript->SetChecked(false);
  };
  caHelp = Check("caHelp", "Help", texts::kAppHelp, "F1");
  caHelp->OnAfterTrueApply = [this] {
    helpForm_->show();
    helpForm_->raise();
    helpForm_->activateWindow();
  };
  caHelp->OnAfterFalseApply = [this] { helpForm_->hide(); };
  helpForm_->onClosed = [this] {
    if (caHelp->IsChecked()) caHelp->SetChecked(false);
  };
  scriptForm_->onHelp = [this] { caHelp->SetChecked(true); };
  // The three full-window pages exclude one another; no page is attached in
  // this program, so only the states change.
  caAbout = Check("caAbout", "About", texts::kAppAbout, "F11");
  caOptions = Check("caOptions", "Options", texts::kAppOptions, "F10");
  caCustom = Check("caCustom", "Custom", texts::kAppCustom, "Alt+F10");
  const auto exclusive = [](TCheckAction* chosen, std::initializer_list<TCheckAction*> others) {
    chosen->OnBeforeTrueApply = [others = std::vector<TCheckAction*>(others)] {
      for (TCheckAction* other : others)
        if (other->IsChecked()) other->SetChecked(false);
    };
  };
  exclusive(caAbout, {caOptions, caCustom});
  exclusive(caOptions, {caAbout, caCustom});
  exclusive(caCustom, {caAbout, caOptions});

  naQuit = Plain("naQuit", "Quit", texts::kCommandQuit, "Alt+F4");
  naQuit->InternalApply = [this] { window_.close(); };
  naEMail = Plain("naEMail", "EMail", texts::kAppEMail, "Alt+F5");
  naEMail->InternalApply = [this, fullTitle] {
    openAddress(MailtoAddress(Text(texts::kContactAddress), Text(texts::kAppMailSubject).arg(fullTitle), {}));
  };
  naHomePage = Plain("naHomePage", "HomePage", texts::kAppHomePage, "Alt+F6");
  naHomePage->InternalApply = [this] { openAddress(QByteArray(texts::kHomePageAddress)); };

  // The main window's bounds, applied as soon as they are loaded; the first
  // time, the window's size centred on its screen.
  raFormSave = new TRectAction(context_, &owner_);
  raFormSave->setObjectName("raFormSave");
  raFormSave->InternalId = "raFormSave";
  raFormSave->ScriptName = "FormSave";
  raFormSave->ApplyWhenLoad = true;
  raFormSave->InternalDefault = [this](TRectValue& value) {
    const QScreen* shown = window_.screen() ? window_.screen() : QGuiApplication::primaryScreen();
    const QSize area = shown ? shown->availableGeometry().size() : window_.size();
    const QPoint topLeft((area.width() - window_.width()) / 2, (area.height() - window_.height()) / 2);
    value = TRectValue::FromQRect(QRect(topLeft, window_.size()));
  };
  raFormSave->InternalBeforeSave = [this](TRectValue& value) { value = TRectValue::FromQRect(window_.geometry()); };
  raFormSave->InternalApply = [this] {
    const QRect bounds = raFormSave->value().ToQRect();
    if (bounds.width() >= window_.minimumWidth() && bounds.height() >= window_.minimumHeight())
      window_.setGeometry(bounds);
  };
  list_.Add(raFormSave);
  raCam1 = CameraRect(1);
  raCam2 = CameraRect(2);

  // Scripts call these commands by their script names, so that a recorded
  // "setHelp(True);" replays.
  attachment_ = script_->Attach([this] { return list_.ScriptProcedures(); });
  for (TCustomAbstractAction* action : scriptForm_->list().actions()) scriptCommands_.Add(action);
  for (TCustomAbstractAction* action : scriptForm_->ficman().list().actions()) scriptCommands_.Add(action);
  helpForm_->AddPage(Text(texts::kHelpPageApplication), list_);
  helpForm_->AddPage(Text(texts::kHelpPageScripts), scriptCommands_);
}

TOBAppliMan::~TOBAppliMan() {
  script_->Detach(attachment_);
  // The windows go before the component they use.
  helpForm_.reset();
  scriptForm_.reset();
}
