// The folders panel at work: the next names it shows and keeps, the
// parameters its choosers write, and the roots it refuses.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>

#include "app/foldernaming.h"
#include "settings/conversions.h"
#include "support/installation.h"
#include "ui/dossiersframe.h"
#include "ui/sourcesframe.h"

namespace {

class Folders : public ::testing::Test {
 protected:
  Folders() : list_("Tessivo 6.1.3 fr de Orbelin", installation_.locations()) {
    installation_.writeIni("");
    parameters_ = BuildParameterTable(list_, installation_.defaults());
    hooks_.tell = [this](const QString& text) { told_ << text; };
    hooks_.inform = [this](const QString& text) { informed_ << text; };
    hooks_.showPanel = [this](int panel) { panels_ << panel; };
    hooks_.videoGauge = [this](std::int64_t total) { videoTotal_ = total; };
    naming_ = std::make_unique<TFolderNaming>(folders_, sources_, parameters_, hooks_);
  }

  void Start(const QString& folder) {
    parameters_.VideoDirectory->value = folder;
    naming_->Start(QDateTime(QDate(2026, 3, 5), QTime(9, 4, 7)));
  }

  Installation installation_;
  TparameterList list_;
  TParameters parameters_;
  TDossiersFrame folders_;
  TSourcesFrame sources_;
  TFolderHooks hooks_;
  std::unique_ptr<TFolderNaming> naming_;
  QStringList told_, informed_;
  QList<int> panels_;
  std::int64_t videoTotal_ = -1;
};

TEST_F(Folders, names_follow_the_folder_the_root_the_session_date_and_the_counter) {
  const QString clips = QDir::homePath() + "/Clips";
  Start(clips);
  // The first names of a session carry 0.
  EXPECT_EQ(naming_->NomVideo(), clips + "/Video_050326_090407_0.avi");
  EXPECT_EQ(naming_->NomImage(), installation_.defaults().picturesFolder + "/Image_00000.bmp");
  naming_->NomVideoSuivant();
  naming_->NomVideoSuivant();
  EXPECT_EQ(naming_->NomVideoSuivant(), clips + "/Video_050326_090407_3.avi");
  // Both labels show the file's name.
  EXPECT_EQ(folders_.LabelVideo->text(), "Video_050326_090407_3.avi");
  EXPECT_EQ(sources_.LabelVideo->text(), "Video_050326_090407_3.avi");
  // A folder ending with its separator gets no second one.
  folders_.VideoDirEdit->setText(clips + "/");
  EXPECT_EQ(naming_->NomVideo(), clips + "/Video_050326_090407_3.avi");
  EXPECT_EQ(parameters_.VideoDirectory->value, clips + "/");
  // Changing the folder twice keeps the number.
  folders_.VideoDirEdit->setText("/tmp/a/");
  folders_.VideoDirEdit->setText("/tmp/b");
  EXPECT_EQ(naming_->NomVideo(), "/tmp/b/Video_050326_090407_3.avi");
  EXPECT_EQ(naming_->counters().compteurVideo(), 4);
  // A missing folder still gives names; its drive is the mount it would be on.
  EXPECT_EQ(naming_->DisqueVideo(), TFolderNaming::DriveOf("/tmp"));
  EXPECT_GT(videoTotal_, 0);
}

TEST_F(Folders, the_format_changes_the_extension_only_and_the_root_and_date_rename) {
  Start("/home/u/Clips/");
  naming_->SetCaptureFormat(fcWav);
  EXPECT_EQ(naming_->NomVideo(), "/home/u/Clips/Video_050326_090407_0.wav");
  naming_->SetCaptureFormat(fcMpeg2Native);
  EXPECT_EQ(folders_.LabelVideo->text(), "Video_050326_090407_0.mpg");
  naming_->SetCaptureFormat(fcDvType2Native);
  EXPECT_EQ(sources_.LabelVideo->text(), "Video_050326_090407_0.avi");
  // Root and date are shown at once, with the same number.
  folders_.VideoRacineEdit->setText("");
  emit folders_.VideoRacineEdit->editingFinished();
  folders_.cbVideoDate->click();
  EXPECT_EQ(naming_->NomVideo(), "/home/u/Clips/_0.avi");
  EXPECT_EQ(naming_->NomVideoSuivant(), "/home/u/Clips/_1.avi");
  // The root and the date box are copied into the parameters on saving
  // only.
  EXPECT_EQ(parameters_.VideoRacine->value, "Video");
  naming_->CopyToParameters();
  EXPECT_EQ(parameters_.VideoRacine->value, "");
  EXPECT_FALSE(parameters_.VideoDate->value);
}

TEST_F(Folders, a_root_with_a_separator_is_refused_and_the_last_root_kept) {
  Start("/home/u/Clips");
  folders_.VideoRacineEdit->setText("Mariage");
  folders_.VideoRacineEdit->setText("Mariage/2026");
  EXPECT_EQ(folders_.VideoRacineEdit->text(), "Mariage");
  ASSERT_EQ(told_.size(), 1);
  EXPECT_EQ(told_[0], "Une racine de nom de fichier ne peut pas contenir « / » : la racine précédente est gardée.");
  emit folders_.VideoRacineEdit->editingFinished();
  EXPECT_EQ(naming_->NomVideo(), "/home/u/Clips/Mariage_050326_090407_0.avi");
  folders_.ImageRacineEdit->setText("../Photos");
  EXPECT_EQ(folders_.ImageRacineEdit->text(), "Image");
}

TEST_F(Folders, images_their_type_and_the_panels_the_labels_open) {
  Start("/home/u/Clips");
  folders_.ImageDirEdit->setText("/home/u/Images/");
  folders_.cbImageDate->click();
  EXPECT_EQ(naming_->NomImage(), "/home/u/Images/Image_050326_090407_00000.bmp");
  naming_->SetImageExtension(1);
  EXPECT_EQ(naming_->NomImage(), "/home/u/Images/Image_050326_090407_00000.jpg");
  EXPECT_EQ(parameters_.ExtensionDesImages->value, 1);
  naming_->SetImageByImage(true);
  EXPECT_EQ(folders_.LabelImage->text(), "Capture Image/Image dans Vidéo");
  naming_->SetImageByImage(false);
  EXPECT_EQ(folders_.LabelImage->text(), "Image_050326_090407_00000.jpg");
  // The choosers write their parameters.
  folders_.feScenolog->choose = [](const QString&) { return QString("/opt/scenes/scenes"); };
  folders_.feScenolog->Choose();
  EXPECT_EQ(parameters_.Scenolog->value, "/opt/scenes/scenes");
  folders_.PlugInDirEdit->choose = [](const QString&) { return QString("/opt/plugins"); };
  folders_.PlugInDirEdit->Choose();
  EXPECT_EQ(parameters_.PluginsDir->value, "/opt/plugins/");
  // A cancelled choice changes nothing.
  folders_.VideoDirEdit->choose = [](const QString&) { return QString(); };
  folders_.VideoDirEdit->Choose();
  EXPECT_EQ(folders_.VideoDirEdit->text(), "/home/u/Clips");
  // Each label leads to its panel.
  emit sources_.LabelVideoClicked();
  emit folders_.LabelVideoClicked();
  emit folders_.LabelImageClicked();
  EXPECT_EQ(panels_, (QList<int>{pnFolders, pnSources, pnImageExtraction}));
}

}  // namespace

TEST_F(Folders, another_plugin_folder_is_kept_for_the_next_run_and_said_once) {
  Start("/tmp/videos/");
  parameters_.PluginsDir->value = "/opt/tessivo/";
  QString answer = "/opt/tessivo";  // the dialog's folder, without its separator
  folders_.PlugInDirEdit->choose = [&](const QString&) { return answer; };
  folders_.PlugInDirEdit->Choose();
  EXPECT_TRUE(informed_.isEmpty());  // the same folder: nothing said
  answer = "/home/u/plugins";
  folders_.PlugInDirEdit->Choose();
  EXPECT_EQ(parameters_.PluginsDir->value, "/home/u/plugins/");
  ASSERT_EQ(informed_.size(), 1);
  EXPECT_EQ(informed_.front(),
            "Les plugs-in trouvés dans le dossier /home/u/plugins/\nne seront activés qu'au prochain lancement de "
            "Tessivo\n\nVous devriez le relancer maintenant.");
  folders_.PlugInDirEdit->Choose();
  EXPECT_EQ(informed_.size(), 1);
}
