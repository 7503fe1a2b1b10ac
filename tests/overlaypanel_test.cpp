// The overlay panel: what each control writes into the overlay record, the
// shift's text, the time-shift editor; then from the main window, the
// overlay switched on by choosing what to show, the sliders, the shift's
// opening rule, and the preview following what is typed.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateEdit>
#include <QFontComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

#include "actions/superaction.h"
#include "capture/mediamodule.h"
#include "media/filters/vx_scenedetect.h"
#include "media/filters/vx_superposer.h"
#include "support/simulatedwindow.h"
#include "ui/incrusterframe.h"

namespace {

TEST(IncrusterFrame, the_shift_reads_in_days_or_whole_hours) {
  EXPECT_EQ(TIncrusterFrame::DecalageText(2.0 / 24), "2 heures");
  EXPECT_EQ(TIncrusterFrame::DecalageText(1 + 2.0 / 24 + 3.0 / 1440 + 4.0 / 86400), "1 jours 02h 03m 04s");
  // Negative shifts show negative parts.
  EXPECT_EQ(TIncrusterFrame::DecalageText(-1.5 / 24), "0 jours -01h -30m 00s");
  EXPECT_EQ(TIncrusterFrame::DecalageText(-3.0 / 24), "-3 heures");
  EXPECT_DOUBLE_EQ(TIncrusterFrame::WholeSeconds(45000.5 + 0.4 / 86400), 45000.5);
}

TEST(IncrusterFrame, each_control_writes_its_field_and_loading_says_nothing) {
  TIncrusterFrame frame;
  QSignalSpy changed(&frame, &TIncrusterFrame::changed);
  TincrustRec record;
  record.alignement = alSubtitle;
  record.borderSize = 3;
  record.autoFontSize = false;
  record.font.size = 30;
  record.font.name = "Une police absente";
  record.incrust1 = "Mariage";
  frame.Load(record);
  EXPECT_EQ(changed.count(), 0);
  EXPECT_EQ(frame.record(), record);
  EXPECT_FALSE(frame.tbLeftAlign->isChecked() || frame.tbCenter->isChecked() || frame.tbRightAlign->isChecked());
  EXPECT_EQ(frame.tbBorder->text(), "3");
  EXPECT_EQ(frame.cbSize->currentText(), "30");
  EXPECT_EQ(frame.edPerso1->text(), "Mariage");
  EXPECT_EQ(frame.FontComboBox->currentIndex(), 0);  // not installed: the first font

  frame.cbSize->setCurrentText("abc");  // not a size: only "auto" goes
  EXPECT_FALSE(frame.record().autoFontSize);
  EXPECT_EQ(frame.record().font.size, 30);
  frame.cbSize->setCurrentText("36");
  EXPECT_EQ(frame.record().font.size, 36);
  frame.cbSize->setCurrentText("auto");
  EXPECT_TRUE(frame.record().autoFontSize);
  frame.tbBold->click();
  EXPECT_TRUE(frame.record().font.bold);
  frame.tbCenter->click();
  EXPECT_EQ(frame.record().alignement, alCenter);
  frame.pmBorder->actions().first()->trigger();
  EXPECT_EQ(frame.record().borderSize, 0);
  EXPECT_EQ(frame.tbBorder->text(), "");
  frame.chooseColour = [](const QColor&) { return std::optional<QColor>(QColor(255, 0, 0)); };
  frame.colorMenu->actions().last()->trigger();
  EXPECT_EQ(frame.record().font.color, 0x0000FFu);  // red, as 0xBBGGRR
  frame.cbDatecode2->setCurrentText("d mmm yyyy");
  EXPECT_EQ(frame.record().formatDate2, "d mmm yyyy");
  EXPECT_GE(changed.count(), 8);

  QSignalSpy subtitle(&frame, &TIncrusterFrame::subtitleChosen);
  frame.tbSousTitre->click();
  EXPECT_EQ(subtitle.count(), 1);

  QSignalSpy shown(&frame, &TIncrusterFrame::shown);
  frame.JvImgBtn2->click();  // "Timecode"
  EXPECT_EQ(frame.record().whatIncrust, wiTimecode);
  EXPECT_EQ(shown.count(), 1);
  EXPECT_FALSE(frame.tbDecalage->isEnabled());  // a shift for dates only
  frame.JvImgBtn5->click();
  EXPECT_TRUE(frame.tbDecalage->isEnabled());

  QSignalSpy timing(&frame, &TIncrusterFrame::timingChanged);
  frame.rbScene->setChecked(true);
  frame.edDuree->setText("x");
  EXPECT_EQ(frame.when(), 2);
  EXPECT_EQ(frame.duree(), 0);
  EXPECT_EQ(timing.count(), 2);
}

TEST(IncrusterFrame, the_time_shift_is_the_new_date_less_the_old_one) {
  TIncrusterFrame frame;
  frame.show();
  const double old = 45000.5;  // 15/03/2023 12:00:00
  frame.OpenDecalage(old);
  EXPECT_TRUE(frame.decalageOpen());
  EXPECT_EQ(frame.labOldDate->text(), "Ancienne date: 15/03/2023 12:00:00");
  EXPECT_EQ(frame.seHeure->value(), 12);
  frame.seHeure->setValue(14);
  EXPECT_EQ(frame.labDecalage->text(), "2 heures");
  EXPECT_NEAR(frame.record().decalageHoraire, 2.0 / 24, 1e-9);
  frame.DateEdit2->setDate(QDate(2023, 3, 16));
  frame.seMinute->setValue(3);
  frame.seSeconde->setValue(4);
  EXPECT_EQ(frame.labDecalage->text(), "1 jours 02h 03m 04s");
  frame.resetBtn->click();
  EXPECT_EQ(frame.record().decalageHoraire, 0.0);
  EXPECT_EQ(frame.labDecalage->text(), "");
  frame.CloseDecalage();
  EXPECT_FALSE(frame.decalageOpen());
  EXPECT_FALSE(frame.tbDecalage->isChecked());

  // The typing fields say when they take and leave the focus.
  QSignalSpy typing(&frame, &TIncrusterFrame::typing);
  frame.activateWindow();
  frame.edPerso1->setFocus();
  frame.edDuree->setFocus();
  QApplication::processEvents();
  ASSERT_GE(typing.count(), 1);
  EXPECT_TRUE(typing.first().first().toBool());
}

// --- From the main window ---------------------------------------------------------------

class OverlayWindow : public SimulatedWindow {
 protected:
  TIncrusterFrame& frame() { return *form_->incrusterFrame(); }
  Tvx_Superposer& overlay() { return engine_.dm().Superposer(); }
  TCustomSuperAction& command(const char* name) { return *form_->al().FindByObjectName(name); }
};

TEST_F(OverlayWindow, choosing_what_to_show_switches_the_overlay_on_and_tells_the_filter) {
  Start({"Preview Locked=0"});
  ASSERT_FALSE(command("taIncruster").IsChecked());
  frame().JvImgBtn2->click();  // "Timecode"
  EXPECT_TRUE(command("taIncruster").IsChecked());
  EXPECT_TRUE(form_->parameters().WantIncrust->value);
  EXPECT_TRUE(overlay().incrustEnabled());
  EXPECT_EQ(overlay().incrust().whatIncrust, wiTimecode);
  EXPECT_TRUE(form_->statusTexts()[1].contains(" in"));
  EXPECT_EQ(command("taIncruster").text(), "Stopper l'incrustation");

  // "when" and its duration go with whenincrust; "Néant" switches it off.
  frame().rbUnique->setChecked(true);
  frame().edDuree->setText("7");
  EXPECT_EQ(form_->parameters().WhenIncrust->value, 1);
  EXPECT_EQ(form_->parameters().DureeIncruster->value, 7);
  frame().JvImgBtn4->click();
  EXPECT_FALSE(command("taIncruster").IsChecked());
  EXPECT_FALSE(overlay().incrustEnabled());
  EXPECT_FALSE(form_->statusTexts()[1].contains(" in"));

  // The panels' tool bars side by side, whatever their captions.
  const QRect actions = form_->findChild<QWidget*>("actionsToolbar")->geometry();
  const QRect panels = form_->findChild<QWidget*>("panelsToolbar")->geometry();
  EXPECT_FALSE(actions.intersects(panels));
}

TEST_F(OverlayWindow, the_sliders_place_the_text_and_the_subtitle_gives_way_to_centre) {
  Start({"Preview Locked=0"});
  QSlider& x = *form_->xslider();
  QSlider& y = *form_->yslider();
  EXPECT_TRUE(x.isHidden());
  command("acSliders").Execute();
  EXPECT_TRUE(x.isVisible() && y.isVisible());
  EXPECT_TRUE(command("taIncruster").IsChecked());  // shown sliders: the overlay on
  EXPECT_EQ(command("acSliders").text(), "Masquer les curseurs de l'incrustation");

  frame().tbSousTitre->click();
  EXPECT_EQ(x.value(), 500);
  EXPECT_EQ(overlay().incrust().alignement, alSubtitle);
  x.setValue(600);
  EXPECT_EQ(overlay().incrust().alignement, alCenter);
  EXPECT_EQ(overlay().incrust().xPos, 600);
  EXPECT_TRUE(frame().tbCenter->isChecked());
  y.setValue(830);
  EXPECT_EQ(overlay().incrust().yPos, 100);

  // Kept, and loaded again the same way.
  form_->close();
  form_.reset();
  Restart();
  EXPECT_EQ(form_->yslider()->value(), 830);
  EXPECT_EQ(form_->xslider()->value(), 600);
  EXPECT_EQ(frame().record().alignement, alCenter);
  EXPECT_TRUE(command("taIncruster").IsChecked());  // "Want Incrust" was kept
  EXPECT_TRUE(overlay().incrustEnabled());
}

TEST_F(OverlayWindow, the_time_shift_needs_a_recording_date_in_datecode_mode) {
  Start({QString::fromUtf8("Source video=Webcam simulée"), "Preview Locked=0"});
  frame().JvImgBtn1->click();  // "Datecode", from a webcam
  frame().tbDecalage->click();
  EXPECT_FALSE(frame().decalageOpen());

  // The clock: the editor opens on now, to the second.
  now_ = QDateTime(QDate(2024, 7, 14), QTime(10, 5, 9, 400));
  frame().JvImgBtn5->click();
  command("taDecalage").Execute();
  EXPECT_TRUE(frame().decalageOpen());
  EXPECT_EQ(frame().labOldDate->text(), "Ancienne date: 14/07/2024 10:05:09");
  EXPECT_EQ(command("taDecalage").text(), "Masquer décalage");
  frame().seHeure->setValue(12);
  EXPECT_NEAR(overlay().incrust().decalageHoraire, 2.0 / 24, 1e-6);
  command("taDecalage").Execute();
  EXPECT_FALSE(frame().decalageOpen());
  EXPECT_EQ(command("taDecalage").text(), "Ajouter un décalage");
}

TEST_F(OverlayWindow, the_camcorder_date_opens_the_time_shift) {
  Start({"Preview Locked=0"});
  ASSERT_TRUE(WaitFor([this] {
    const TVideoSource* video = engine_.context.CurrentVideoSource;
    return video && video->SceneDetector && video->SceneDetector->currentHasDate();
  }));
  frame().JvImgBtn1->click();
  frame().tbDecalage->click();
  EXPECT_TRUE(frame().decalageOpen());
  EXPECT_TRUE(frame().labOldDate->text().startsWith("Ancienne date: "));
}

// The text typed shows in the picture at once, and typing fast takes no
// picture away from the preview.
TEST_F(OverlayWindow, typing_own_text_changes_the_picture_and_drops_no_frame) {
  Start({"Preview Locked=0"});
  frame().tbLeftAlign->click();
  form_->xslider()->setValue(60);
  form_->yslider()->setValue(930 - 200);  // the white bar at the top left
  frame().edPerso1->setText("");
  frame().JvImgBtn3->click();  // "Perso"
  ASSERT_TRUE(overlay().incrustEnabled());
  const QImage before = FreshFrame();
  const std::uint64_t seen = engine_.renderer().framesReceived();
  frame().edPerso1->setText("WWWWWWWW");
  ASSERT_TRUE(WaitFor([&] { return engine_.renderer().framesReceived() >= seen + 2; }));
  const QImage after = engine_.renderer().LatestFrame();
  const QRect text(0, 0, after.width() / 3, after.height() / 3);
  EXPECT_LT(MeanLuma(after.copy(text)), MeanLuma(before.copy(text)) - 3);

  int typed = 0;
  QTimer typist;
  QObject::connect(&typist, &QTimer::timeout, [&] { frame().edPerso1->setText(QString::number(++typed)); });
  const std::uint64_t start = engine_.renderer().framesReceived();
  typist.start(10);
  Pump(2000);
  typist.stop();
  EXPECT_GE(typed, 100);
  EXPECT_GE(engine_.renderer().framesReceived() - start, 48u);  // 25 frames a second
}

}  // namespace
