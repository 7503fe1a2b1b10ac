// The options panel from the main window: the compressors found and the one
// chosen, the MP3 bitrate kept in its own setting, the DV frequency rule,
// the Windows Media profile a capture would use, and the reactions of the
// boxes that act at once.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>
#include <QSlider>
#include <QTabWidget>

#include "actions/superaction.h"
#include "capture/mediamodule.h"
#include "capture/wmvprofiles.h"
#include "media/filters/vx_superposer.h"
#include "support/simulatedwindow.h"
#include "ui/optionsframe.h"

namespace {

class OptionsWindow : public SimulatedWindow {
 protected:
  void SetUp() override {
    mp3File_ = installation_.folder().file("mp3.ini");
    adjust_ = [this](FormEnvironment& environment) {
      environment.mp3SettingsFile = mp3File_;
      if (compressors_) environment.listCompressors = [this] { return *compressors_; };
      if (noMp3_) environment.mp3Available = [] { return false; };
    };
  }
  TOptionsFrame& options() { return *form_->optionsFrame(); }
  QStringList DivxItems() { return Items(options().cbDivx); }
  bool TabShown(QWidget* page) { return options().PageControl->isTabVisible(options().PageControl->indexOf(page)); }
  void Restart2() {
    form_->close();
    form_.reset();
    Restart();
  }

  QString mp3File_;
  std::optional<std::vector<TCompressorEntry>> compressors_;
  bool noMp3_ = false;
};

TEST_F(OptionsWindow, the_installed_mpeg4_encoder_gives_two_entries_and_xvid_is_chosen) {
  Start();
  EXPECT_EQ(DivxItems(), (QStringList{"DivX (avenc_mpeg4)", "Xvid (avenc_mpeg4)"}));
  EXPECT_EQ(options().cbDivx->currentIndex(), 1);
  EXPECT_TRUE(TabShown(options().tsDivx));
  Tdm& dm = engine_.dm();
  ASSERT_TRUE(dm.divx.get());
  EXPECT_STREQ(GST_OBJECT_NAME(gst_element_get_factory(dm.divx.get())), "avenc_mpeg4");
  EXPECT_EQ(dm.divxFourCC, "XVID");
  options().cbDivx->setCurrentIndex(0);
  EXPECT_EQ(dm.divxFourCC, "DX50");
  EXPECT_EQ(form_->parameters().DivxFavori->value, "DivX (avenc_mpeg4)");
  Restart2();
  EXPECT_EQ(options().cbDivx->currentText(), "DivX (avenc_mpeg4)");  // the favourite
}

TEST_F(OptionsWindow, compressor_names_are_filtered_and_a_gone_favourite_gives_the_default) {
  compressors_ = std::vector<TCompressorEntry>{{"DivX Pro 5", "avenc_mpeg4", "DX50"},
                                               {"Cinepak", "avenc_mpeg4", "DX50"},
                                               {"Codec Xvid", "avenc_mpeg4", "XVID"}};
  Start({"Divx favori=Ancien codec"});
  EXPECT_EQ(DivxItems(), (QStringList{"DivX Pro 5", "Codec Xvid"}));
  EXPECT_EQ(options().cbDivx->currentText(), "Codec Xvid");
  EXPECT_EQ(form_->parameters().DivxFavori->value, "Ancien codec");  // kept until the user chooses
  options().cbDivx->setCurrentIndex(0);
  EXPECT_EQ(form_->parameters().DivxFavori->value, "DivX Pro 5");

  compressors_ = std::vector<TCompressorEntry>{{"XVID MPEG-4", "avenc_mpeg4", "XVID"}};
  Restart2();
  EXPECT_EQ(DivxItems(), QStringList{"XVID MPEG-4"});
  EXPECT_EQ(options().cbDivx->currentIndex(), 0);

  compressors_ = std::vector<TCompressorEntry>{{"Cinepak", "avenc_mpeg4", "DX50"}};
  Restart2();
  EXPECT_FALSE(TabShown(options().tsDivx));
  EXPECT_EQ(form_->parameters().DivxFavori->value, "DivX Pro 5");  // still the last choice
}

TEST_F(OptionsWindow, the_mp3_bitrate_is_kept_in_its_own_setting) {
  Start();
  EXPECT_TRUE(options().labMp3Note->isHidden());
  EXPECT_FALSE(options().cbBitrate->isHidden());
  options().cbBitrate->setCurrentText("96");
  EXPECT_EQ(QSettings(mp3File_, QSettings::IniFormat).value("Bitrate").toInt(), 96);
  EXPECT_EQ(g_object_class_find_property(G_OBJECT_GET_CLASS(engine_.dm().mp3.get()), "bitrate") != nullptr, true);
  int bitrate = 0;
  g_object_get(engine_.dm().mp3.get(), "bitrate", &bitrate, nullptr);
  EXPECT_EQ(bitrate, 96);
  Restart2();
  EXPECT_EQ(options().cbBitrate->currentText(), "96");
  options().cbBitrate->setCurrentText("abc");
  EXPECT_EQ(options().cbBitrate->currentText(), "128");
  EXPECT_EQ(QSettings(mp3File_, QSettings::IniFormat).value("Bitrate").toInt(), 128);

  // A rate the list does not offer leaves the selection alone.
  {
    QSettings(mp3File_, QSettings::IniFormat).setValue("Bitrate", 100);
  }
  Restart2();
  EXPECT_EQ(options().cbBitrate->currentText(), "32");  // the list's first, untouched
  EXPECT_EQ(QSettings(mp3File_, QSettings::IniFormat).value("Bitrate").toInt(), 100);
}

TEST_F(OptionsWindow, without_the_mp3_encoder_the_note_says_what_to_install) {
  noMp3_ = true;
  Start();
  EXPECT_FALSE(options().labMp3Note->isHidden());
  EXPECT_TRUE(options().labMp3Note->text().contains("gstreamer1.0-plugins-good"));
  for (QWidget* hidden : {static_cast<QWidget*>(options().cbMp3), static_cast<QWidget*>(options().cbBitrate),
                          static_cast<QWidget*>(options().gbMp3)})
    EXPECT_TRUE(hidden->isHidden());
}

TEST_F(OptionsWindow, the_dv_frequency_counts_from_one_and_defaults_to_44_1) {
  Start({"FrequenceDV=3"});
  EXPECT_EQ(TOptionsFrame::Selected(options().rgFrequence), 2);  // 48.000 Hz
  options().rgFrequence->button(0)->click();
  EXPECT_EQ(form_->parameters().FrequenceDV->value, 1);
  Restart2();
  EXPECT_EQ(TOptionsFrame::Selected(options().rgFrequence), 0);
  form_->close();
  form_.reset();
  Start({"FrequenceDV=0"});
  EXPECT_EQ(TOptionsFrame::Selected(options().rgFrequence), 1);  // 44.100 Hz
}

TEST_F(OptionsWindow, the_profile_follows_the_preset_switch_and_the_version) {
  Start({"Profil par défaut=1", "Profile wmv=2", "Version wmv=0"});
  if (!WindowsMediaAvailable()) GTEST_SKIP() << "no Windows Media encoders here";
  EXPECT_EQ(Items(options().cbProfils).size(), int(WmvProfiles(0).size()));
  EXPECT_EQ(options().cbProfils->itemText(3), WmvProfiles(0)[3].name);
  EXPECT_FALSE(options().gbProfilsDefaut->isHidden());
  EXPECT_TRUE(options().gbProfils->isHidden());
  EXPECT_EQ(form_->SelectedWmvProfileRow(), 2);  // "Low", the pre-set one
  options().cbProfils->setCurrentIndex(3);
  EXPECT_EQ(form_->SelectedWmvProfileRow(), 2);  // still the pre-set one

  options().cbProfilParDefaut->click();  // all the profiles
  EXPECT_FALSE(form_->parameters().ProfilParDefaut->value);
  EXPECT_FALSE(options().gbProfils->isHidden());
  EXPECT_EQ(form_->SelectedWmvProfileRow(), 3);
  form_->SelectWmvProfile(0);
  EXPECT_EQ(form_->SelectedWmvProfileRow(), 0);  // position 0 is a profile too
  EXPECT_EQ(form_->WmvProfileMenu()->actions().size(), int(WmvProfiles(0).size()));

  options().rgVersion->button(2)->click();  // "8"
  EXPECT_EQ(options().cbProfils->itemText(0), WmvProfiles(2)[0].name);
  EXPECT_STREQ(WmvProfiles(2)[0].videoEncoder, "avenc_wmv2");
  EXPECT_STREQ(WmvProfiles(0)[0].videoEncoder, "avenc_wmv1");
  options().cbProfils->setCurrentIndex(4);
  Restart2();
  EXPECT_EQ(TOptionsFrame::Selected(options().rgVersion), 2);
  EXPECT_EQ(options().cbProfils->currentIndex(), 4);  // the favourite
  form_->close();
  form_.reset();
  Start({"Profil par défaut=0", "Profil wmv favori=Un profil disparu"});
  EXPECT_EQ(options().cbProfils->currentIndex(), 0);
}

TEST_F(OptionsWindow, the_boxes_that_act_at_once) {
  Start({"Notifier=1", "Extension des images=0"});
  EXPECT_FALSE(selection().deviceLostHandler());
  options().cbNotifier->click();  // off: the graph's device-lost event is followed
  EXPECT_FALSE(form_->parameters().Notifier->value);
  EXPECT_TRUE(selection().deviceLostHandler());

  EXPECT_TRUE(options().gbQualite->isHidden());
  options().rgExtension->button(1)->click();
  EXPECT_EQ(form_->parameters().ExtensionDesImages->value, 1);
  EXPECT_FALSE(options().gbQualite->isHidden());
  EXPECT_TRUE(form_->statusTexts()[0].startsWith("JPG"));
  options().tbQualite->setValue(80);
  EXPECT_EQ(options().labQualite->text(), "80");

  TCustomSuperAction* overlay = form_->al().FindByObjectName("taIncruster");
  options().cbActiverSuperposition->click();
  EXPECT_FALSE(form_->parameters().ActiverSuperposition->value);
  EXPECT_FALSE(overlay->isVisible());
  EXPECT_FALSE(engine_.dm().Superposer().activerSuperposition);
  options().cbActiverSuperposition->click();
  EXPECT_TRUE(overlay->isVisible());

  // "Hauteur d'image DivX <= 288" waits for the save at exit.
  const bool half = form_->parameters().DemiTaille->value;
  options().cbDemiTaille->click();
  EXPECT_EQ(form_->parameters().DemiTaille->value, half);
  options().leNoDatecode->setText("--");
  EXPECT_EQ(form_->parameters().NoDatecode->value, "--");
  Restart2();
  EXPECT_EQ(form_->parameters().DemiTaille->value, !half);
  EXPECT_EQ(options().tbQualite->value(), 80);
  EXPECT_EQ(options().leNoDatecode->text(), "--");
  EXPECT_TRUE(options().cbNotifier->isChecked() == false);
}

}  // namespace
