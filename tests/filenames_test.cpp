#include <gtest/gtest.h>

#include "control/filenames.h"
#include "settings/conversions.h"

namespace {

// The preferences applied on 5 March 2026 at 09:04:07.
TNamePattern Clips(bool withDate = true) {
  return {"/home/u/Clips", "Video", withDate, QDateTime(QDate(2026, 3, 5), QTime(9, 4, 7))};
}

}  // namespace

TEST(FileNames, video_names_carry_the_root_the_session_date_and_the_counter) {
  EXPECT_EQ(VideoFileName(Clips(), 3, fcDvType2Native), "/home/u/Clips/Video_050326_090407_3.avi");
  EXPECT_EQ(VideoFileName(Clips(false), 3, fcDvType2Native), "/home/u/Clips/Video_3.avi");
  // A folder that ends with "/" (the root of a disk) gets no second one.
  TNamePattern root = Clips(false);
  root.folder = "/media/disque/";
  EXPECT_EQ(VideoFileName(root, 0, fcDvType1Native), "/media/disque/Video_0.avi");
  // An empty root leaves the name starting with "_".
  root.root.clear();
  EXPECT_EQ(FileNamePart(VideoFileName(root, 3, fcDvType2Native)), "_3.avi");
  // The counter has no leading zeros, and the format gives the extension only.
  const struct {
    int format;
    const char* name;
  } formats[] = {{fcMpeg2Native, "Video_12345.mpg"}, {fcMpeg1Native, "Video_12345.mpg"},
                 {fcWmv, "Video_12345.wmv"},         {fcWav, "Video_12345.wav"},
                 {fcMp3, "Video_12345.mp3"},         {fcImageByImage, "Video_12345.avi"},
                 {fcAviNative, "Video_12345.avi"}};
  for (const auto& f : formats) EXPECT_EQ(FileNamePart(VideoFileName(Clips(false), 12345, f.format)), f.name);
}

TEST(FileNames, image_names_have_five_digits_and_the_image_type) {
  TNamePattern images{"/home/u/Images", "Image", false, QDateTime(QDate(2026, 3, 5), QTime(9, 4, 7))};
  EXPECT_EQ(ImageFileName(images, 12, 1), "/home/u/Images/Image_00012.jpg");
  EXPECT_EQ(ImageFileName(images, 7, 0), "/home/u/Images/Image_00007.bmp");
  EXPECT_EQ(ImageFileName(images, 123456, 0), "/home/u/Images/Image_23456.bmp");  // the last five digits
  EXPECT_EQ(ImageFileName(images, 100000, 1), "/home/u/Images/Image_00000.jpg");
  EXPECT_EQ(ImageFileName(images, 1, 2), "/home/u/Images/Image_00001");  // no known type: no extension
  images.withDate = true;
  EXPECT_EQ(FileNamePart(ImageFileName(images, 0, 1)), "Image_050326_090407_00000.jpg");
}

TEST(FileNames, a_name_shown_again_keeps_its_number_and_the_next_one_takes_a_new_one) {
  TFileNames names;
  TNamePattern pattern = Clips(false);
  // At start the first names carry 0.
  EXPECT_EQ(FileNamePart(names.NomVideoSuivant(pattern, fcDvType2Native)), "Video_0.avi");
  EXPECT_EQ(FileNamePart(names.NomImageSuivant(pattern, 0)), "Video_00000.bmp");
  // Two changes of folder, then of format: the shown name keeps its number.
  pattern.folder = "/home/u/Autre";
  EXPECT_EQ(names.VideoAgain(pattern, fcDvType2Native), "/home/u/Autre/Video_0.avi");
  pattern.folder = "/home/u/Encore";
  EXPECT_EQ(names.VideoAgain(pattern, fcDvType2Native), "/home/u/Encore/Video_0.avi");
  EXPECT_EQ(names.VideoAgain(pattern, fcMpeg2Native), "/home/u/Encore/Video_0.mpg");
  EXPECT_EQ(names.ImageAgain(pattern, 1), "/home/u/Encore/Video_00000.jpg");
  // A file closed: the next name takes the next number.
  EXPECT_EQ(FileNamePart(names.NomVideoSuivant(pattern, fcMpeg2Native)), "Video_1.mpg");
  EXPECT_EQ(names.compteurVideo(), 2);
  EXPECT_EQ(names.compteurImage(), 1);
}
