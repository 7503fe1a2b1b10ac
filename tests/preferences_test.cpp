#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>

#include "settings/inifile.h"
#include "settings/orbelinpreferences.h"
#include "settings/preferencesman.h"
#include "support/installation.h"

namespace {

struct Asked {
  int times = 0;
  QString caption;
};

TOrbelinPreferences::ModeChooser Answer(std::optional<TSavePreferences> answer, Asked& asked) {
  return [answer, &asked](const QString& caption) {
    ++asked.times;
    asked.caption = caption;
    return answer;
  };
}

}  // namespace

TEST(IniStore, keys_are_sections_found_without_regard_to_case) {
  Installation installation;
  {
    TIniPreferencesMan store(installation.iniPath());
    EXPECT_EQ(store.lines(), QStringList{"[]"});
    EXPECT_TRUE(store.WriteString("Version", "v1"));
    EXPECT_TRUE(store.OpenKey("acPlein", false));  // created whatever the flag
    EXPECT_TRUE(store.WriteBool("Checked", true));
    EXPECT_TRUE(store.OpenKey("Sous", true));
    EXPECT_EQ(store.currentPath(), "acPlein\\Sous");
    EXPECT_TRUE(store.WriteInteger("N", 3));
    store.CloseKey();
    EXPECT_TRUE(store.WriteFloat("Taux", 2.5));
    store.CloseKey();
    EXPECT_TRUE(store.WriteString("ExeName", "/x"));  // at the end of the root section
    // A section ends at the next header: the blank line before it is its own.
    EXPECT_EQ(store.lines(), (QStringList{"[]", "Version=v1", "", "ExeName=/x", "[acPlein]", "Checked=True", "",
                                          "Taux=2.5", "[acPlein\\Sous]", "N=3"}));
  }
  TIniPreferencesMan again(installation.iniPath());
  EXPECT_TRUE(again.OpenKey("ACPLEIN", false));
  bool checked = false;
  EXPECT_TRUE(again.ReadBool("checked", checked));
  EXPECT_TRUE(checked);
  QStringList keys;
  again.CloseKey();
  again.GetKeyNames(keys);
  EXPECT_EQ(keys, (QStringList{"acPlein", "acPlein\\Sous"}));
}

TEST(IniStore, root_keys_leave_out_the_parameters_section_of_the_same_file) {
  Installation installation;
  installation.writeIni(IniFile::Encode(
      {"[]", "Version=v1", "[\\Software\\Orbelin\\Tessivo]", "Volume=5000", "[acPlein]", "Checked=True"}));
  TIniPreferencesMan store(installation.iniPath());
  QStringList keys;
  store.GetKeyNames(keys);
  EXPECT_EQ(keys, QStringList{"acPlein"});
}

TEST(IniStore, values_read_as_their_kind_allows) {
  Installation installation;
  installation.writeIni(IniFile::Encode({"[]", "B1=true", "B2=False", "I=douze", "F=1,25", "[Autre]", "B1=True"}));
  TIniPreferencesMan store(installation.iniPath());
  bool flag = true;
  EXPECT_FALSE(store.ReadBool("B1", flag));  // only "True" and "False", exactly
  EXPECT_TRUE(flag);
  EXPECT_TRUE(store.ReadBool("B2", flag));
  EXPECT_FALSE(flag);
  int number = 7;
  EXPECT_TRUE(store.ReadInteger("I", number));
  EXPECT_EQ(number, 0);
  double real = 9.0;
  EXPECT_TRUE(store.ReadFloat("F", real));
  EXPECT_EQ(real, 1.25);
  EXPECT_FALSE(store.ReadFloat("Absent", real));
  EXPECT_EQ(real, 0.0);
  EXPECT_TRUE(store.DeleteValue("b2"));
  EXPECT_FALSE(store.DeleteValue("B2"));
  QStringList names;
  store.GetValueNames(names);
  EXPECT_EQ(names, (QStringList{"B1", "I", "F"}));
}

TEST(IniStore, saving_keeps_the_parameter_section_as_the_file_has_it_now) {
  // Store as loaded at start-up; the parameters were saved since.
  const QStringList store = {"[]", "Version=v", "", kParameterSection, "Volume=5000", "", "[raCam1]", "Left=1"};
  const QStringList file = {"[]", "Version=old", kParameterSection, "Volume=42", "Framerate=25"};
  EXPECT_EQ(MergeIniSections(store, file, kParameterSection),
            (QStringList{"[]", "Version=v", "", kParameterSection, "Volume=42", "Framerate=25", "[raCam1]", "Left=1"}));
  // A store that never saw the parameter section gains it.
  EXPECT_EQ(MergeIniSections({"[]", "A=1"}, file, kParameterSection),
            (QStringList{"[]", "A=1", kParameterSection, "Volume=42", "Framerate=25"}));
  // A file without it leaves the store as it is.
  EXPECT_EQ(MergeIniSections(store, {"[]"}, kParameterSection), store);
}

TEST(RegistryStore, reads_as_the_registry_would_without_type_checks) {
  Installation installation;
  {
    QSettings settings = Installation::registry();
    settings.setValue("raCam1/Left", "AB");  // a string where a number belongs
    settings.setValue("Drapeau", 2);
    settings.setValue("Texte", "Bonjour");
  }
  TRegPreferencesMan store(
      std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, "Orbelin", "Tessivo"));
  bool flag = true;
  EXPECT_TRUE(store.ReadBool("Drapeau", flag));  // found, but 2 is neither false nor true
  EXPECT_TRUE(flag);
  QString text;
  EXPECT_TRUE(store.ReadString("Texte", text));
  EXPECT_EQ(text, "Bonjour");
  EXPECT_FALSE(store.OpenKey("raCam2", false));
  ASSERT_TRUE(store.OpenKey("raCam1", false));
  int left = 0;
  EXPECT_TRUE(store.ReadInteger("Left", left));
  EXPECT_EQ(left, 'A' | 'B' << 16);  // the first four bytes of its UTF-16 text
  store.CloseKey();
  EXPECT_EQ(store.currentPath(), "");
  EXPECT_TRUE(store.WriteFloat("Taux", 29.97));
  double real = 0;
  EXPECT_TRUE(store.ReadFloat("Taux", real));
  EXPECT_EQ(real, 29.97);
}

TEST(PreferencesComponent, first_run_asks_at_close_and_an_unanswered_question_keeps_the_program) {
  Installation installation;
  Asked asked;
  TOrbelinPreferences preferences(installation.locations(), Answer(std::nullopt, asked));
  int shown = 0, saved = 0;
  preferences.OnSavePrefs = [&] { ++saved; };
  preferences.ShowHook([&] { ++shown; });
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(preferences.mode(), TSavePreferences::spNone);

  EXPECT_FALSE(preferences.CloseQueryHook({}));
  EXPECT_EQ(asked.caption, "Enregistrement des préférences de Tessivo");
  EXPECT_FALSE(preferences.CloseQueryHook({}));  // asked again at the next close
  EXPECT_EQ(asked.times, 2);
  // A close nobody watches (a signal) is not held up by the question.
  bool ownerClosed = false;
  EXPECT_TRUE(preferences.CloseQueryHook([&] { ownerClosed = true; }, true));
  EXPECT_TRUE(ownerClosed);
  EXPECT_EQ(asked.times, 2);
  EXPECT_EQ(saved, 0);
  EXPECT_FALSE(QFile::exists(installation.iniPath()));
  EXPECT_FALSE(Installation::registryExists());
}

TEST(PreferencesComponent, portable_choice_writes_the_stamp_and_removes_the_registry) {
  Installation installation;
  Installation::registry().setValue("Ancienne", 1);
  Asked asked;
  {
    TOrbelinPreferences preferences(installation.locations(), Answer(TSavePreferences::spPortable, asked));
    preferences.version = "Tessivo 6.1.3 fr de Orbelin";
    preferences.ShowHook({});
    ASSERT_EQ(preferences.mode(), TSavePreferences::spRegistre);  // the registry key existed
    preferences.SetMode(TSavePreferences::spNone);
    EXPECT_FALSE(Installation::registryExists());  // chosen by the user: deleted at once
    int saved = 0;
    preferences.OnSavePrefs = [&] {
      ++saved;
      EXPECT_TRUE(preferences.WriteRect("raCam1", QRect(QPoint(10, 20), QPoint(577, 151))));
    };
    EXPECT_TRUE(preferences.CloseQueryHook({}));
    EXPECT_EQ(saved, 1);
  }
  const QStringList lines = installation.iniLines();
  ASSERT_GE(lines.size(), 4);
  EXPECT_EQ(lines[0], "[]");
  EXPECT_EQ(lines[1], "Version=Tessivo 6.1.3 fr de Orbelin");
  EXPECT_TRUE(lines[2].startsWith("Dernière Sauvegarde="));
  EXPECT_EQ(lines[3], "ExeName=" + installation.exePath());
  EXPECT_TRUE(lines.contains("[raCam1]"));
  EXPECT_TRUE(lines.contains("Right=578"));

  // The next start finds the file, and with it the rectangle.
  TOrbelinPreferences next(installation.locations(), {});
  next.ShowHook({});
  EXPECT_EQ(next.mode(), TSavePreferences::spPortable);
  EXPECT_EQ(next.ReadRect("raCam1", {}), QRect(QPoint(10, 20), QPoint(577, 151)));
  EXPECT_EQ(next.previousProgramFolder(), installation.folder().path() + "/");
  // A rectangle never saved gives the default, and its section now exists.
  EXPECT_EQ(next.ReadRect("raCam2", QRect(1, 2, 3, 4)), QRect(1, 2, 3, 4));
}

TEST(PreferencesComponent, each_mode_deletes_the_stores_it_does_not_use) {
  Installation installation;
  installation.writeIni("");
  TOrbelinPreferences preferences(installation.locations(), {});
  preferences.ShowHook({});
  ASSERT_EQ(preferences.mode(), TSavePreferences::spPortable);

  preferences.SetMode(TSavePreferences::spRegistre);  // the INI file goes at once
  EXPECT_FALSE(QFile::exists(installation.iniPath()));
  EXPECT_TRUE(preferences.WriteString("acTest", "oui"));
  preferences.store().WriteString("ExeName", installation.exePath());
  preferences.SetMode(TSavePreferences::spPortable);  // the registry goes
  EXPECT_FALSE(Installation::registryExists());
  preferences.SetMode(TSavePreferences::spNone);  // both go
  EXPECT_FALSE(QFile::exists(installation.iniPath()));
  EXPECT_FALSE(Installation::registryExists());
  EXPECT_FALSE(preferences.WriteString("acTest", "oui"));
  EXPECT_EQ(preferences.ReadString("acTest", "défaut"), "défaut");
}

TEST(PreferencesComponent, another_installations_registry_is_kept_until_the_user_chooses) {
  Installation installation;
  Installation::registry().setValue("ExeName", "/opt/autre/tessivo");
  Asked asked;
  TOrbelinPreferences preferences(installation.locations(), Answer(TSavePreferences::spNone, asked));
  preferences.ShowHook({});
  // At start-up the parameters found the store foreign and chose "none".
  preferences.SetMode(TSavePreferences::spNone, ModeOrigin::Startup);
  EXPECT_TRUE(Installation::registryExists());
  // At close the user answers "Aucun": now it goes.
  EXPECT_TRUE(preferences.CloseQueryHook({}));
  EXPECT_EQ(asked.times, 1);
  EXPECT_FALSE(Installation::registryExists());
}
