#include <gtest/gtest.h>

#include "app/identity.h"
#include "app/versiongate.h"

TEST(Identity, texts_built_from_the_constants) {
  EXPECT_EQ(identity::Version(), "6.1.3");
  EXPECT_EQ(identity::BuildDateText(), "20/04/2022");
  EXPECT_EQ(identity::FullTitle(), "Tessivo 6.1.3 fr");
  EXPECT_EQ(identity::MainWindowCaption(), "Tessivo 6.1.3 fr de Orbelin");
  EXPECT_EQ(identity::PreferenceSignature(), "Tessivo 6.1.3 fr de Orbelin");
  EXPECT_EQ(identity::PreferenceVersionText(), "Tessivo 6.1.3 fr de Orbelin");
  EXPECT_EQ(identity::VersionTraceLine(), "Version 6.1.3.54 du 20/4/2022");
}

TEST(VersionGate, this_machine_has_what_the_program_needs) {
  // The set-up script installs every required element; a failure here names
  // what is missing.
  const FrameworkReport report = CheckMediaFramework();
  EXPECT_TRUE(report.missingElements.isEmpty()) << report.missingElements.join(", ").toStdString();
  EXPECT_TRUE(FrameworkIsSufficient(report)) << report.versionText.toStdString();
}

TEST(VersionGate, a_sufficient_framework_asks_nothing) {
  int asked = 0;
  const auto ask = [&](const QString&) { return ++asked, false; };
  EXPECT_TRUE(PassVersionGate({"1.22.0", {}}, ask));
  EXPECT_TRUE(PassVersionGate({"1.20.0", {}}, ask));
  EXPECT_TRUE(PassVersionGate({"2.0.1", {}}, ask));
  EXPECT_EQ(asked, 0);
}

TEST(VersionGate, an_old_or_incomplete_framework_asks_and_the_answer_decides) {
  QString shown;
  const auto no = [&](const QString& warning) { return shown = warning, false; };
  const auto yes = [&](const QString& warning) { return shown = warning, true; };

  EXPECT_FALSE(PassVersionGate({"1.18.4", {}}, no));
  EXPECT_EQ(shown,
            "Vous avez GStreamer 1.18.4.\n"
            "Il faut avoir au moins GStreamer 1.20 pour faire tourner correctement Tessivo version 6.1.3 fr.\n"
            "Voulez-vous continuer quand même? Si oui, l'application risque de ne pas bien fonctionner.");
  EXPECT_TRUE(PassVersionGate({"1.18.4", {}}, yes));

  EXPECT_FALSE(PassVersionGate({"Erreur", {}}, no));
  EXPECT_TRUE(shown.startsWith("Vous avez GStreamer Erreur.\n"));

  EXPECT_FALSE(PassVersionGate({"1.22.0", {"dvdemux", "avimux"}}, no));
  EXPECT_EQ(shown.section('\n', 1, 1), "Éléments GStreamer absents : dvdemux, avimux.");
}

TEST(Identity, system_name_names_the_kernel) { EXPECT_TRUE(identity::SystemVersionName().contains(" - noyau ")); }
