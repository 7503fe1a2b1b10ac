#include <gtest/gtest.h>

#include <QFile>

#include "media/formats/dsfunctions.h"
#include "media/formats/riff.h"
#include "platform/soundoutput.h"
#include "support/tempfolder.h"

TEST(MediaUtilities, fourcc_text_needs_four_printable_bytes) {
  EXPECT_EQ(FourCCToText('d' | 'v' << 8 | 's' << 16 | 'd' << 24), "dvsd");
  EXPECT_EQ(FourCCToText(1), "");
  EXPECT_EQ(FourCCToText(0x20202020), "    ");
  EXPECT_EQ(FourCCToText('X' | 'V' << 8 | 'I' << 16 | 0x1F << 24), "");
}

TEST(MediaUtilities, version_numbers_need_dotted_digits) {
  EXPECT_EQ(ParseMajorVersion("1.22.0"), 1);
  EXPECT_EQ(ParseMinorVersion("1.22.0"), 22);
  EXPECT_EQ(ParseMinorVersion("1.20"), 20);
  EXPECT_EQ(ParseMajorVersion("Erreur"), 0);
  EXPECT_EQ(ParseMajorVersion("122"), 0);  // no dot: no version
  EXPECT_EQ(ParseMinorVersion("122"), 0);
  EXPECT_EQ(ParseMajorVersion("a.22.0"), 0);
  EXPECT_EQ(ParseMinorVersion("a.22.0"), 0);
  EXPECT_EQ(ParseMajorVersion(".22"), 0);
  EXPECT_EQ(ParseMinorVersion("1.x"), 0);
}

TEST(MediaUtilities, framework_version_is_the_running_gstreamer) {
  guint major = 0, minor = 0, micro = 0, nano = 0;
  gst_version(&major, &minor, &micro, &nano);
  EXPECT_TRUE(GetMediaFrameworkVersionText().startsWith(QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(micro)));
  EXPECT_EQ(GetMediaFrameworkMajorVersion(), static_cast<int>(major));
  EXPECT_EQ(GetMediaFrameworkMinorVersion(), static_cast<int>(minor));
}

TEST(MediaUtilities, disk_figures_add_up_and_a_missing_folder_gives_zero) {
  TempFolder folder;
  const auto total = DiskTotalMB(folder.path());
  const auto free = DiskFreeMB(folder.path());
  EXPECT_GT(total, 0);
  EXPECT_LE(free, total);
  EXPECT_EQ(DiskUsedMB(folder.path()), total - free);
  EXPECT_EQ(DiskTotalMB("/no/such/volume"), 0);
  EXPECT_EQ(DiskFreeMB("/no/such/volume"), 0);
  EXPECT_EQ(DiskUsedMB("/no/such/volume"), 0);
  EXPECT_EQ(DiskFreeMB(""), 0);
}

TEST(MediaUtilities, encoders_are_found_by_factory_name_and_by_long_name) {
  QStringList encoders;
  for (const gst::FactoryPtr& factory : gst::FactoriesInCategory(kVideoEncoderCategory))
    encoders << QString::fromUtf8(gst_element_factory_get_metadata(factory.get(), GST_ELEMENT_METADATA_LONGNAME));
  TFilterHolder holder;
  ASSERT_TRUE(SelectFilterByClsid(kVideoEncoderCategory, "avenc_dvvideo", holder));
  ASSERT_TRUE(holder.factory);
  const QString longName =
      QString::fromUtf8(gst_element_factory_get_metadata(holder.factory.get(), GST_ELEMENT_METADATA_LONGNAME));
  EXPECT_TRUE(encoders.contains(longName));

  TFilterHolder byName;
  ASSERT_TRUE(SelectFilterByName(kVideoEncoderCategory, longName, byName));
  EXPECT_EQ(byName.factory.get(), holder.factory.get());

  // A decoder is not in the encoder category, and a failed look-up empties
  // the holder.
  EXPECT_FALSE(SelectFilterByClsid(kVideoEncoderCategory, "avdec_dvvideo", holder));
  EXPECT_FALSE(holder.factory);
  EXPECT_FALSE(SelectFilterByName(kVideoEncoderCategory, "avenc_dvvideo", byName));
  EXPECT_TRUE(SelectFilterByClsid("Decoder/Video", "avdec_dvvideo", holder));
}

TEST(MediaUtilities, beeps_are_short_8_bit_mono_clips) {
  struct Expected {
    const char* resource;
    qsizetype dataBytes;
  };
  for (const Expected& beep : {Expected{":/sounds/beep0.wav", 649}, Expected{":/sounds/beep1.wav", 635}}) {
    QFile file(beep.resource);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << beep.resource;
    const auto clip = riff::ParseWave(file.readAll());
    ASSERT_TRUE(clip) << beep.resource;
    EXPECT_EQ(clip->channels, 1);
    EXPECT_EQ(clip->sampleRate, 11025);
    EXPECT_EQ(clip->bitsPerSample, 8);
    EXPECT_EQ(clip->samples.size(), beep.dataBytes);
  }
  // With or without a sound output, playing returns and harms nothing.
  PlayBeep0();
  PlayBeep1();
}

TEST(MediaUtilities, wave_reader_refuses_what_it_cannot_play) {
  EXPECT_FALSE(riff::ParseWave(""));
  EXPECT_FALSE(riff::ParseWave("RIFF\x10\0\0\0AVI LIST"));
  QFile file(":/sounds/beep0.wav");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray wave = file.readAll();
  // Cut in the middle of the samples: what is there is kept.
  const auto cut = riff::ParseWave(wave.left(100));
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->samples.size(), 100 - 44);
  // Compressed formats are refused.
  QByteArray compressed = wave;
  compressed[20] = 0x55;
  EXPECT_FALSE(riff::ParseWave(compressed));
  // A chunk size that points far past the end does not read past it.
  QByteArray huge = wave.left(36);
  huge += QByteArray("LIST\xFF\xFF\xFF\x7F", 8);
  EXPECT_FALSE(riff::ParseWave(huge));
}

TEST(MediaUtilities, the_mpeg4_compressors_are_kept_by_name_with_xvid_the_default) {
  const TCompressorChoice two = FilterCompressorNames({"DivX Pro", "Codec Xvid", "Cinepak"});
  EXPECT_EQ(two.kept, (QStringList{"DivX Pro", "Codec Xvid"}));
  EXPECT_EQ(two.defaultIndex, 1);
  const TCompressorChoice capitals = FilterCompressorNames({"XVID MPEG-4"});
  EXPECT_EQ(capitals.kept, QStringList{"XVID MPEG-4"});
  EXPECT_EQ(capitals.defaultIndex, 0);
  EXPECT_TRUE(FilterCompressorNames({"Cinepak", "Indeo"}).kept.isEmpty());
  EXPECT_EQ(FilterCompressorNames({"divx 5"}).defaultIndex, 0);

  // Each encoder gives both entries, with the FourCC its files carry.
  const std::vector<TCompressorEntry> entries = CompressorEntries({"enc_a", "enc_b"});
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].name, "DivX (enc_a)");
  EXPECT_EQ(entries[0].fourcc, "DX50");
  EXPECT_EQ(entries[3].name, "Xvid (enc_b)");
  EXPECT_EQ(entries[3].fourcc, "XVID");

  // Here: the libav encoder, found by what it makes.
  std::vector<TCompressorEntry> installed;
  ASSERT_TRUE(ListMpeg4Compressors(installed));
  QStringList names;
  for (const TCompressorEntry& entry : installed) names << entry.name;
  EXPECT_TRUE(names.contains("DivX (avenc_mpeg4)"));
  EXPECT_TRUE(names.contains("Xvid (avenc_mpeg4)"));
  EXPECT_FALSE(names.contains("DivX (avenc_dvvideo)"));
  EXPECT_EQ(names.value(FilterCompressorNames(names).defaultIndex).left(4), "Xvid");
}
