#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QSettings>

#include "settings/conversions.h"
#include "settings/inifile.h"
#include "settings/parametertable.h"
#include "support/installation.h"

namespace {

const QString kSection = kParameterSection;
const QString kSignature = "Tessivo 6.1.3 fr de Orbelin";

// Every key of the table, in the order the stores hold them.
const QStringList kKeyOrder = {
    "Volume",
    "Standard DV",
    "Profile wmv",
    "FrequenceDV",
    "RatioDV",
    "Ratio DivX",
    "Correction Sync",
    "Framerate",
    "IncrustRec",
    "Durée Incruster",
    "When Incrust",
    "No Datecode",
    "Décalage horaire",
    "Décalage avancé",
    "Extension des images",
    "Qualité jpeg",
    "Version wmv",
    "Valeur Intervallomètre",
    "Unités Intervallomètre",
    "Panneau actif",
    "Aspect ratio",
    "WideScreen",
    "Plugins Dir",
    "Video Directory",
    "Video Racine",
    "Image Directory",
    "Image Racine",
    "Scenolog",
    "Source video",
    "Source Audio",
    "Capture Format",
    "Audio Type",
    "Sound Card Entry",
    "Profil Windows media",
    "Profil wmv favori",
    "Profil par défaut",
    "Divx favori",
    "Want Mp3",
    "Frequence DV native",
    "Garder Format DV",
    "Demi Taille",
    "Notifier",
    "Internal Deinterlacer",
    "EcranGauche",
    "Preview Locked",
    "Activer Superposition",
    "Want Incrust",
    "Want vert Flip",
    "Want Horz flip",
    "Want Widescreen",
    "Want video source",
    "Want audio source",
    "Want Format capture",
    "Raccourcis Sort",
    "Fullscreen On",
    "Reduced on",
    "Mute On",
    "Stopper camera DV 1 en quittant",
    "Stopper camera DV 2 en quittant",
    "Video Date",
    "Image date",
    "Show Video Pilot DV",
    "Show Audio Pilot DV",
    "Sauver préférences en quittant",
    "Confirmer Image",
    "Confirmer Video",
    "Mpeg2 Ratio Normal",
    "scn",
    "DV demi si DivX",
    "Beeps",
    "Sources Exclues",
    "Video Input Select",
    "Freeze Preview",
    "Freeze Capture",
};

const QStringList kIncrustRecLines = {
    "IncrustRec\\Incrust1",
    "IncrustRec\\Incrust2",
    "IncrustRec\\FormatDate1",
    "IncrustRec\\FormatDate2",
    "IncrustRec\\Decalage Horaire",
    "IncrustRec\\FontRec\\FontName",
    "IncrustRec\\FontRec\\FontSize",
    "IncrustRec\\FontRec\\FontColor",
    "IncrustRec\\FontRec\\FontBold",
    "IncrustRec\\FontRec\\FontItalic",
    "IncrustRec\\FontRec\\FontUnderline",
    "IncrustRec\\FontRec\\FontStrikeOut",
    "IncrustRec\\Autofontsize",
    "IncrustRec\\BorderSize",
    "IncrustRec\\What Incrust",
    "IncrustRec\\Alignement",
    "IncrustRec\\BorderColor",
    "IncrustRec\\Xpos",
    "IncrustRec\\Ypos",
};

struct Loaded {
  std::unique_ptr<TparameterList> list;
  TParameters p;
};

Loaded Load(const Installation& installation) {
  Loaded loaded;
  loaded.list = std::make_unique<TparameterList>(kSignature, installation.locations());
  loaded.p = BuildParameterTable(*loaded.list, installation.defaults());
  return loaded;
}

// Gives every parameter a value other than its default, different per key.
void ChangeEveryValue(TparameterList& list) {
  int n = 1;
  for (const auto& parameter : list.parameters()) {
    ++n;
    if (auto* integer = dynamic_cast<TIntegerParameter*>(parameter.get()))
      integer->value = -1000 - n;
    else if (auto* real = dynamic_cast<TRealParameter*>(parameter.get()))
      real->value = n + 0.125;
    else if (auto* boolean = dynamic_cast<TBooleanParameter*>(parameter.get()))
      boolean->value = !boolean->value;
    else if (auto* text = dynamic_cast<TWideStringParameter*>(parameter.get()))
      text->value = "é " + parameter->key();
    else if (auto* byte = dynamic_cast<TByteParameter*>(parameter.get()))
      byte->value = static_cast<std::uint8_t>(200 + n % 50);
    else if (auto* rec = dynamic_cast<TincrustRecParameter*>(parameter.get())) {
      rec->value = {"ligne 1 = %d",
                    "ligne 2",
                    "dddddd tt",
                    "ddddd t",
                    -0.5,
                    {"DejaVu Sans", 30, 0x00FF00, true, true, false, true},
                    false,
                    5,
                    wiReel,
                    alSubtitle,
                    0x123456,
                    -3,
                    2000};
    }
  }
}

void ExpectSameValues(const TparameterList& saved, const TparameterList& loaded) {
  ASSERT_EQ(saved.parameters().size(), loaded.parameters().size());
  for (size_t i = 0; i < saved.parameters().size(); ++i) {
    const TParameter* a = saved.parameters()[i].get();
    const TParameter* b = loaded.parameters()[i].get();
    SCOPED_TRACE(a->key().toStdString());
    if (auto* x = dynamic_cast<const TIntegerParameter*>(a))
      EXPECT_EQ(x->value, dynamic_cast<const TIntegerParameter*>(b)->value);
    else if (auto* x = dynamic_cast<const TRealParameter*>(a))
      EXPECT_EQ(x->value, dynamic_cast<const TRealParameter*>(b)->value);
    else if (auto* x = dynamic_cast<const TBooleanParameter*>(a))
      EXPECT_EQ(x->value, dynamic_cast<const TBooleanParameter*>(b)->value);
    else if (auto* x = dynamic_cast<const TWideStringParameter*>(a))
      EXPECT_EQ(x->value, dynamic_cast<const TWideStringParameter*>(b)->value);
    else if (auto* x = dynamic_cast<const TByteParameter*>(a))
      EXPECT_EQ(x->value, dynamic_cast<const TByteParameter*>(b)->value);
    else if (auto* x = dynamic_cast<const TincrustRecParameter*>(a))
      EXPECT_TRUE(x->value == dynamic_cast<const TincrustRecParameter*>(b)->value);
    else
      ADD_FAILURE() << "unknown parameter kind";
  }
}

QStringList NamesInSection(const QStringList& lines) {
  QStringList names;
  bool inSection = false;
  for (const QString& line : lines) {
    if (line.trimmed().startsWith('['))
      inSection = line.trimmed() == kSection;
    else if (inSection && line.contains('='))
      names << line.left(line.indexOf('='));
  }
  return names;
}

}  // namespace

TEST(ParameterTable, first_run_has_every_key_in_order_with_its_default) {
  Installation installation;
  const Loaded loaded = Load(installation);
  EXPECT_EQ(loaded.list->mode(), TSavePreferences::spNone);
  QStringList keys;
  for (const auto& parameter : loaded.list->parameters()) keys << parameter->key();
  EXPECT_EQ(keys, kKeyOrder);

  const TParameters& p = loaded.p;
  EXPECT_EQ(p.Volume->value, 5000);
  EXPECT_EQ(p.FrequenceDV->value, 3);
  EXPECT_EQ(p.Framerate->value, 18.0);
  EXPECT_EQ(p.NoDatecode->value, "N/A");
  EXPECT_EQ(p.CaptureFormat->value, fcDefault);
  EXPECT_EQ(p.VideoInputSelect->value, -1);
  EXPECT_EQ(p.PluginsDir->value, installation.folder().path() + "/");
  EXPECT_EQ(p.VideoDirectory->value, "/home/u/Vidéos/");
  EXPECT_EQ(p.ImageDirectory->value, "/home/u/Images/");
  EXPECT_EQ(p.SoundCardEntry->value, "Line In");
  EXPECT_TRUE(p.IncrustRec->value == TincrustRec{});
  EXPECT_EQ(p.IncrustRec->value.font.name, "Arial");
  EXPECT_EQ(p.IncrustRec->value.xPos, 914);
  EXPECT_EQ(p.FreezeCapture, loaded.list->parameters().back().get());
}

TEST(ParameterTable, mode_choice_follows_the_ini_file_then_the_saved_program_path) {
  Installation installation;
  // The store was saved by this very program: registry mode.
  installation.registry().setValue("ExeName", installation.exePath());
  EXPECT_EQ(ChoosePreferenceMode(installation.locations()), TSavePreferences::spRegistre);

  // The same program reached through a link is the same program.
  QFile::link(installation.exePath(), installation.folder().file("lien"));
  EXPECT_EQ(ChoosePreferenceMode(PreferenceLocations::ForProgram(installation.folder().file("lien"))),
            TSavePreferences::spRegistre);

  // Paths are compared exactly: another case is another file.
  installation.registry().setValue("ExeName", installation.folder().file("TESSIVO"));
  EXPECT_EQ(ChoosePreferenceMode(installation.locations()), TSavePreferences::spNone);

  // An INI file beside the program wins, whatever the store says.
  installation.writeIni("");
  EXPECT_EQ(ChoosePreferenceMode(installation.locations()), TSavePreferences::spPortable);
}

TEST(ParameterTable, preferences_of_another_installation_are_ignored_and_left_untouched) {
  Installation installation;
  {
    QSettings other = installation.registry();
    other.setValue("ExeName", "/opt/autre/tessivo");
    other.setValue("Volume", 77);
  }
  Loaded loaded = Load(installation);
  EXPECT_EQ(loaded.list->mode(), TSavePreferences::spNone);
  EXPECT_EQ(loaded.p.Volume->value, 5000);
  loaded.p.Volume->value = 1;
  EXPECT_TRUE(SaveParameters(*loaded.list));  // mode "none" writes nothing
  EXPECT_EQ(installation.registry().value("Volume").toInt(), 77);
  EXPECT_EQ(installation.registry().value("ExeName").toString(), "/opt/autre/tessivo");
  EXPECT_FALSE(QFile::exists(installation.folder().file("Tessivo.ini")));
}

TEST(ParameterTable, portable_save_writes_the_header_values_then_every_key_in_order) {
  Installation installation;
  installation.writeIni("[Autre section]\r\nGarder=oui\r\n");
  Loaded loaded = Load(installation);
  ASSERT_EQ(loaded.list->mode(), TSavePreferences::spPortable);
  ASSERT_TRUE(SaveParameters(*loaded.list));

  const QStringList lines = installation.iniLines();
  ASSERT_GE(lines.size(), 4);
  EXPECT_EQ(lines.mid(0, 3), (QStringList{"[Autre section]", "Garder=oui", kSection}));
  const QByteArray raw = installation.folder().read("Tessivo.ini");
  EXPECT_TRUE(raw.startsWith("\xFF\xFE"));
  EXPECT_TRUE(raw.endsWith(QByteArray("\r\0\n\0", 4)));

  QStringList expected = {"Signature", "DerniereSauvegarde", "ExeName"};
  for (const QString& key : kKeyOrder) {
    if (key == "IncrustRec")
      expected << kIncrustRecLines;
    else
      expected << key;
  }
  EXPECT_EQ(NamesInSection(lines), expected);
  EXPECT_TRUE(lines.contains("Signature=" + kSignature));
  EXPECT_TRUE(lines.contains("ExeName=" + installation.exePath()));
  EXPECT_TRUE(lines.contains("Volume=5000"));
  EXPECT_TRUE(lines.contains("Want Mp3=1"));
  EXPECT_TRUE(lines.contains("Audio Type=#@vide§#"));
  EXPECT_TRUE(lines.contains("IncrustRec\\Alignement=2"));
  const QString saved = lines[4];
  EXPECT_TRUE(
      QRegularExpression("^DerniereSauvegarde=\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d$").match(saved).hasMatch())
      << saved.toStdString();
}

TEST(ParameterTable, both_stores_round_trip_every_key) {
  for (TSavePreferences mode : {TSavePreferences::spPortable, TSavePreferences::spRegistre}) {
    SCOPED_TRACE(static_cast<int>(mode));
    Installation installation;
    if (mode == TSavePreferences::spPortable)
      installation.writeIni("");
    else
      installation.registry().setValue("ExeName", installation.exePath());

    Loaded first = Load(installation);
    ASSERT_EQ(first.list->mode(), mode);
    ChangeEveryValue(*first.list);
    ASSERT_TRUE(SaveParameters(*first.list));

    const Loaded second = Load(installation);
    ASSERT_EQ(second.list->mode(), mode);
    ExpectSameValues(*first.list, *second.list);
    EXPECT_EQ(second.p.IncrustRec->value.whatIncrust, wiReel);
    EXPECT_EQ(second.p.IncrustRec->value.alignement, alSubtitle);
  }
}

TEST(ParameterTable, empty_strings_use_the_marker_and_never_load_empty_over_a_default) {
  Installation installation;
  installation.writeIni("");
  Loaded first = Load(installation);
  first.p.NoDatecode->value = "";
  first.p.WantVideoSource->value = "";
  ASSERT_TRUE(SaveParameters(*first.list));
  const QStringList lines = installation.iniLines();
  EXPECT_TRUE(lines.contains("No Datecode=#@vide§#"));
  EXPECT_TRUE(lines.contains("Want video source=#@vide§#"));

  const Loaded second = Load(installation);
  EXPECT_EQ(second.p.NoDatecode->value, "N/A");
  EXPECT_EQ(second.p.WantVideoSource->value, "");
}

TEST(ParameterTable, ini_values_convert_as_they_can) {
  Installation installation;
  installation.writeIni(IniFile::Encode({
      kSection,
      "Volume=fort",           // present, not a number: 0
      "Durée Incruster= 12 ",  // trimmed
      "Framerate=12,5",        // either decimal separator
      "Décalage horaire=0.25",
      "Want Mp3=",  // anything but "0" is true
      "Notifier= 0 ",
      "Capture Format=257",   // one byte: 257 keeps 1
      "Video Racine= Film ",  // strings keep their spaces
      "IncrustRec\\Alignement=258",
      "IncrustRec\\Xpos=abc",
  }));
  const Loaded loaded = Load(installation);
  const TParameters& p = loaded.p;
  EXPECT_EQ(p.Volume->value, 0);
  EXPECT_EQ(p.DureeIncruster->value, 12);
  EXPECT_EQ(p.Framerate->value, 12.5);
  EXPECT_EQ(p.DecalageHoraire->value, 0.25);
  EXPECT_TRUE(p.WantMp3->value);
  EXPECT_FALSE(p.Notifier->value);
  EXPECT_EQ(p.CaptureFormat->value, 1);
  EXPECT_EQ(p.VideoRacine->value, " Film ");
  EXPECT_EQ(p.IncrustRec->value.alignement, 2);
  EXPECT_EQ(p.IncrustRec->value.xPos, 0);
  EXPECT_EQ(p.IncrustRec->value.yPos, 914);  // absent: default
  EXPECT_EQ(p.QualiteJpeg->value, 50);       // absent: default
}

TEST(ParameterTable, ini_files_in_utf16_big_endian_and_utf8_are_read) {
  const QString text = kSection + "\r\nVideo Racine=Été\r\nVolume=4200\r\n";
  QByteArray bigEndian("\xFE\xFF", 2);
  for (QChar c : text) bigEndian.append(static_cast<char>(c.unicode() >> 8)).append(static_cast<char>(c.unicode()));
  for (const QByteArray& bytes : {bigEndian, text.toUtf8(), "\xEF\xBB\xBF" + text.toUtf8()}) {
    Installation installation;
    installation.writeIni(bytes);
    const Loaded loaded = Load(installation);
    EXPECT_EQ(loaded.p.VideoRacine->value, "Été");
    EXPECT_EQ(loaded.p.Volume->value, 4200);
  }
}

TEST(ParameterTable, a_damaged_ini_file_loads_what_it_can_and_is_never_made_worse) {
  Installation installation;
  // Cut in the middle of a line: the complete lines count.
  QByteArray cut = IniFile::Encode({kSection, "Volume=4200", "Video Racine=Film"});
  cut.chop(7);
  installation.writeIni(cut);
  Loaded loaded = Load(installation);
  EXPECT_EQ(loaded.p.Volume->value, 4200);
  EXPECT_EQ(loaded.p.VideoRacine->value, "Fi");
  EXPECT_TRUE(SaveParameters(*loaded.list));
  EXPECT_EQ(Load(installation).p.Volume->value, 4200);

  // An INI "file" that cannot be read is not replaced.
  Installation unreadable;
  QDir(unreadable.folder().path()).mkdir("Tessivo.ini");
  Loaded fromFolder = Load(unreadable);
  EXPECT_EQ(fromFolder.list->mode(), TSavePreferences::spPortable);
  EXPECT_EQ(fromFolder.p.Volume->value, 5000);
  EXPECT_FALSE(SaveParameters(*fromFolder.list));
  EXPECT_TRUE(QFileInfo(unreadable.folder().file("Tessivo.ini")).isDir());
}

TEST(ParameterTable, registry_values_of_the_wrong_kind_give_defaults) {
  Installation installation;
  {
    QSettings registry = installation.registry();
    registry.setValue("ExeName", installation.exePath());
    registry.setValue("Volume", "fort");                    // not an integer
    registry.setValue("Video Racine", QByteArray("\1\2"));  // not a string
    registry.setValue("Framerate", QByteArray("\0\0", 2));  // not 8 bytes
    registry.setValue("Durée Incruster", 9);
    registry.setValue("IncrustRec/Incrust1", "Bonjour");
    registry.setValue("IncrustRec/Alignement", 258);
  }
  const Loaded loaded = Load(installation);
  ASSERT_EQ(loaded.list->mode(), TSavePreferences::spRegistre);
  EXPECT_EQ(loaded.p.Volume->value, 5000);
  EXPECT_EQ(loaded.p.VideoRacine->value, "Video");
  EXPECT_EQ(loaded.p.Framerate->value, 18.0);
  EXPECT_EQ(loaded.p.DureeIncruster->value, 9);
  // No "FontRec" sub-key: the default font, the rest as stored.
  EXPECT_EQ(loaded.p.IncrustRec->value.incrust1, "Bonjour");
  EXPECT_EQ(loaded.p.IncrustRec->value.alignement, 2);
  EXPECT_TRUE(loaded.p.IncrustRec->value.font == TFontRec{});

  // One bad field in the record: the whole record is the default.
  installation.registry().setValue("IncrustRec/FontRec/FontName", QByteArray("\1"));
  EXPECT_TRUE(Load(installation).p.IncrustRec->value == TincrustRec{});
}

TEST(Conversions, capture_format_names) {
  EXPECT_EQ(FormatCaptureName(0x81), "dv type 1 natif");
  EXPECT_EQ(FormatCaptureName(0), "");
  EXPECT_EQ(FormatCaptureName(6), "dv type 2 (recomp)");
  EXPECT_EQ(FormatCaptureName(13), "défaut");
  EXPECT_EQ(FormatCaptureName(0x8C), "mp3");
  EXPECT_EQ(FormatCaptureShortName(3), "natif");
  EXPECT_EQ(FormatCaptureShortName(6), "dv2 rec");
  EXPECT_EQ(FormatCaptureShortName(8), "Image/Image");
  EXPECT_EQ(FormatCaptureFromName("Aucun"), 0);
  EXPECT_EQ(FormatCaptureFromName("Wav"), 11);
  EXPECT_EQ(FormatCaptureFromName("wav"), 10);
  EXPECT_EQ(FormatCaptureFromName(""), 10);
  for (std::uint8_t code = 1; code <= 12; ++code) EXPECT_EQ(FormatCaptureFromName(FormatCaptureName(code)), code);
}

TEST(Conversions, dv_audio_frequency) {
  EXPECT_EQ(FrequenceDVHertz(3), 48000);
  EXPECT_EQ(FrequenceDVHertz(1), 32000);
  EXPECT_EQ(FrequenceDVHertz(2), 44100);
  EXPECT_EQ(FrequenceDVHertz(0), 44100);
  EXPECT_EQ(FrequenceDVHertz(7), 44100);
  EXPECT_EQ(FrequenceDVFromName("48000"), 3);
  EXPECT_EQ(FrequenceDVFromName("natif"), 0);
  EXPECT_EQ(FrequenceDVFromName("22050"), 0);
  EXPECT_EQ(NameOfCode(StandardDVNames(), 1), "Ntsc");
  EXPECT_EQ(NameOfCode(AspectRatioNames(), 4), "");
  EXPECT_EQ(CodeOfName(ProfileWmvNames(), "Internet", 1), 3);
  EXPECT_EQ(CodeOfName(ProfileWmvNames(), "Ultra", 1), 1);
}
