// The application manager in the main window: its commands and their
// states across a restart, the script and help windows they show, a macro
// of them replayed, the mail and home page addresses.
#include <gtest/gtest.h>

#include <QUrl>

#include "app/applicationmanager.h"
#include "app/helpform.h"
#include "app/scriptform.h"
#include "support/simulatedwindow.h"

class AppliMan : public SimulatedWindow {
 protected:
  TOBAppliMan& am() { return form_->appliMan(); }
};

TEST_F(AppliMan, the_pages_exclude_one_another_and_the_states_survive_a_restart) {
  Start();
  am().caOptions->SetChecked(true);
  am().caCustom->SetChecked(true);
  EXPECT_FALSE(am().caOptions->IsChecked());
  am().caAbout->SetChecked(true);
  EXPECT_TRUE(am().caAbout->IsChecked());
  EXPECT_FALSE(am().caOptions->IsChecked());
  EXPECT_FALSE(am().caCustom->IsChecked());
  am().caScript->SetChecked(true);
  EXPECT_TRUE(am().scriptForm().isVisible());
  form_->close();
  Restart();
  EXPECT_TRUE(am().caAbout->IsChecked());
  EXPECT_FALSE(am().caCustom->IsChecked());
  // Loaded, not applied: the script window waits to be asked for.
  EXPECT_TRUE(am().caScript->IsChecked());
  EXPECT_FALSE(am().scriptForm().isVisible());
}

TEST_F(AppliMan, closing_the_script_or_help_window_unchecks_its_command) {
  Start();
  am().caScript->SetChecked(true);
  am().caHelp->SetChecked(true);
  EXPECT_TRUE(am().helpForm().isVisible());
  am().scriptForm().close();
  am().helpForm().close();
  EXPECT_FALSE(am().caScript->IsChecked());
  EXPECT_FALSE(am().caHelp->IsChecked());
  // The help window lists the manager's commands and the script window's.
  ASSERT_EQ(am().helpForm().pages->count(), 2);
  EXPECT_EQ(am().helpForm().pages->tabText(0), "Application");
  EXPECT_EQ(am().helpForm().pages->tabText(1), "Scripts");
  EXPECT_EQ(am().helpForm().Page(0)->count(), am().list().actions().size());
}

TEST_F(AppliMan, a_recorded_macro_of_its_commands_replays) {
  Start();
  TScriptForm& window = am().scriptForm();
  window.naStartMacro->trigger();
  am().caHelp->SetChecked(true);
  am().caOptions->SetChecked(true);
  window.naStopMacro->trigger();
  const QStringList lines = window.Editor->toPlainText().split('\n');
  EXPECT_EQ(lines.mid(1), (QStringList{"", "begin", "    setHelp(True);", "    setOptions(True);", "end."}));
  am().caHelp->SetChecked(false);
  am().caOptions->SetChecked(false);
  window.naExecuteMacro->trigger();
  EXPECT_TRUE(window.Memo->toPlainText().endsWith("*** Exécution réussie ***")) << window.Memo->toPlainText().toStdString();
  EXPECT_TRUE(am().caHelp->IsChecked());
  EXPECT_TRUE(am().caOptions->IsChecked());
}

TEST_F(AppliMan, the_first_bounds_centre_the_window_and_the_mail_names_the_program) {
  Start();
  TRectValue first;
  am().raFormSave->InternalDefault(first);
  const QRect area = form_->screen()->availableGeometry();
  EXPECT_EQ(first.right - first.left, form_->width());
  EXPECT_EQ(first.left, (area.width() - form_->width()) / 2);
  QList<QByteArray> opened;
  am().openAddress = [&](const QByteArray& address) { opened << address; };
  am().naEMail->ApplyAction();
  am().naHomePage->ApplyAction();
  ASSERT_EQ(opened.size(), 2);
  EXPECT_TRUE(opened[0].startsWith("mailto:contact@tessivo.example.org?subject=A%20propos%20de%20Tessivo"))
      << opened[0].constData();
  EXPECT_EQ(opened[1], "https://tessivo.example.org/");
}

#include "app/aproposframe.h"

TEST_F(AppliMan, the_about_panel_names_the_program_its_credits_and_its_addresses) {
  Start();
  TAproposFrame& about = *form_->aproposFrame();
  EXPECT_EQ(about.JvLabel1->text(), "Tessivo 6.1.3 fr");
  const QString text = about.le1->toPlainText();
  for (const char* credited : {"Qt", "GStreamer", "libjpeg-turbo", "Orbelin", "20/04/2022"})
    EXPECT_TRUE(text.contains(credited)) << credited;
  EXPECT_EQ(about.leHome->toPlainText(), "* Homepage de Tessivo");
  EXPECT_EQ(about.leMail->toPlainText(), "* E-mail de Orbelin");
  EXPECT_EQ(about.leMail->OnMailHint("contact@tessivo.example.org"),
            "Cliquez pour envoyer un e-mail à contact@tessivo.example.org");
  EXPECT_EQ(about.leHome->OnUrlHint("https://tessivo.example.org/"),
            "Cliquez ici pour ouvrir le site web https://tessivo.example.org/\r\ndans votre navigateur par défaut");
  QList<QByteArray> opened;
  about.openAddress = [&](const QByteArray& address) { opened << address; };
  about.leMail->OnMailClick("contact@tessivo.example.org");
  ASSERT_EQ(opened.size(), 1);
  EXPECT_TRUE(opened[0].startsWith("mailto:contact@tessivo.example.org?subject=A%20propos%20de%20Tessivo%206.1.3%20fr"));
  // Alt+A's panel holds it.
  form_->findChild<QAction*>("acApropos")->trigger();
  EXPECT_TRUE(about.isVisible());
}
