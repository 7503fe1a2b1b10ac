#include <gtest/gtest.h>

#include "media/filters/vx_scenedetect.h"
#include "media/formats/dvcodes.h"
#include "support/dvframes.h"

using namespace dv;

TEST(DvPacks, time_code_needs_both_subcode_packs) {
  std::vector<std::uint8_t> frame = MakeDvFrame({.timeCode = TimeCode{1, 23, 45, 24}});
  EXPECT_EQ(ReadTimeCode(frame.data(), frame.size(), 0), (TimeCode{1, 23, 45, 24}));
  frame[kTimeCodePack1] = 0x00;  // present at 110, not at 190
  EXPECT_FALSE(ReadTimeCode(frame.data(), frame.size(), 0).present());
  // Flag bits beside the digits are ignored.
  frame = MakeDvFrame({.timeCode = TimeCode{12, 59, 59, 29}});
  frame[kTimeCodePack0 + 1] |= 0xC0;
  frame[kTimeCodePack0 + 2] |= 0x80;
  frame[kTimeCodePack0 + 4] |= 0xC0;
  EXPECT_EQ(ReadTimeCode(frame.data(), frame.size(), 0), (TimeCode{12, 59, 59, 29}));
}

TEST(DvPacks, recording_date_years_and_empty_packs) {
  std::vector<std::uint8_t> frame = MakeDvFrame({.date = DateTime{2039, 12, 31, 23, 59, 58}});
  EXPECT_EQ(ReadRecordingDateTime(frame.data(), frame.size(), 0), (DateTime{2039, 12, 31, 23, 59, 58}));
  frame[kRecordingDatePack + 4] = 0x40;
  EXPECT_EQ(ReadRecordingDateTime(frame.data(), frame.size(), 0).year, 1940);
  frame[kRecordingDatePack + 4] = 0x39;
  EXPECT_EQ(ReadRecordingDateTime(frame.data(), frame.size(), 0).year, 2039);

  // Packs of 0xFF: nothing on tape.
  const std::vector<std::uint8_t> blank = MakeDvFrame({.date = std::nullopt, .timeCode = std::nullopt});
  EXPECT_FALSE(ReadRecordingDateTime(blank.data(), blank.size(), 0).present());
  EXPECT_FALSE(ReadTimeCode(blank.data(), blank.size(), 0).present());

  // All-zero packs are taken, and give a date the calendar check refuses.
  std::vector<std::uint8_t> zero = blank;
  std::fill_n(zero.begin() + kRecordingDatePack, 10, 0);
  const DateTime read = ReadRecordingDateTime(zero.data(), zero.size(), 0);
  EXPECT_EQ(read, (DateTime{2000, 0, 0, 0, 0, 0}));
  EXPECT_FALSE(DateTimeToDays(read));
}

TEST(DvPacks, system_audio_and_source_control) {
  std::vector<std::uint8_t> pal = MakeDvFrame({.sampleRate = 32000, .bits = 12});
  EXPECT_EQ(ReadVideoSystem(pal.data(), pal.size()), kSystem625);
  EXPECT_EQ(ReadAudioSampleRate(pal.data(), pal.size()), 32000);
  EXPECT_EQ(ReadAudioQuantization(pal.data(), pal.size()), 12);
  EXPECT_TRUE(HasSourceControlPack(pal.data(), pal.size()));
  const std::vector<std::uint8_t> ntsc = MakeDvFrame({.sampleRate = 44100, .system = kSystem525});
  EXPECT_EQ(ReadVideoSystem(ntsc.data(), ntsc.size()), kSystem525);
  EXPECT_EQ(ReadAudioSampleRate(ntsc.data(), ntsc.size()), 44100);
  EXPECT_EQ(ReadAudioQuantization(ntsc.data(), ntsc.size()), 16);
  pal[kAudioSourcePack + 4] = 3 << 3 | 2;  // codes without a meaning
  EXPECT_EQ(ReadAudioSampleRate(pal.data(), pal.size()), 0);
  EXPECT_EQ(ReadAudioQuantization(pal.data(), pal.size()), 0);
  pal[kAudioSourcePack] = 0;
  EXPECT_EQ(ReadAudioSampleRate(pal.data(), pal.size()), -1);
  EXPECT_EQ(ReadAudioQuantization(pal.data(), pal.size()), -1);
  pal[kDsfByte] = 0x12;
  EXPECT_EQ(ReadVideoSystem(pal.data(), pal.size()), kSystemUnknown);
}

TEST(DvPacks, wide_screen_reads_back_what_the_writer_marks) {
  std::vector<std::uint8_t> frame = MakeDvFrame({});
  EXPECT_FALSE(IsWideScreen(frame.data(), frame.size()));
  for (std::uint8_t ap3 : {0, 1, 7}) {
    frame[kAp3Byte] = ap3;
    frame[kSourceControlPack + 2] = 0xF8;
    ASSERT_TRUE(SetWideScreen(frame.data(), frame.size(), 0));
    EXPECT_EQ(frame[kSourceControlPack + 2], ap3 ? 2 : 7);
    EXPECT_TRUE(IsWideScreen(frame.data(), frame.size())) << int(ap3);
  }
  // Display mode 7 means 16:9 only with AP3 = 0.
  frame[kAp3Byte] = 1;
  frame[kSourceControlPack + 2] = 7;
  EXPECT_FALSE(IsWideScreen(frame.data(), frame.size()));
  // The first sequence that has the pack decides.
  frame[kSourceControlPack] = 0xFF;
  frame[kDifSequenceBytes + kSourceControlPack] = kSourceControlPackId;
  frame[kDifSequenceBytes + kSourceControlPack + 2] = 2;
  EXPECT_TRUE(IsWideScreen(frame.data(), frame.size()));
}

TEST(DvPacks, a_short_frame_is_never_read_past_its_end) {
  const std::vector<std::uint8_t> full = MakeDvFrame({.wide = true});
  // Copies on the heap of exactly the given length, so a read past the end
  // is caught by the address sanitizer.
  for (std::size_t length : {std::size_t{0}, std::size_t{3}, std::size_t{111}, std::size_t{192}, std::size_t{455},
                             std::size_t{466}, std::size_t{4326}, std::size_t{12000}, kFrameBytes525 - 1}) {
    std::vector<std::uint8_t> cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(length));
    const std::uint8_t* data = cut.data();
    SCOPED_TRACE(length);
    EXPECT_EQ(ReadTimeCode(data, length, 0).present(), length >= 191);
    EXPECT_EQ(ReadRecordingDateTime(data, length, 0).present(), length >= 468);
    EXPECT_EQ(ReadAudioSampleRate(data, length) == 48000, length >= 4328);
    EXPECT_EQ(ReadVideoSystem(data, length) == kSystem625, length >= 4);
    EXPECT_EQ(IsWideScreen(data, length), length >= 458);
    EXPECT_EQ(SetWideScreen(cut.data(), length, 1), length >= 12458);
    for (int sequence = 0; sequence < kScannedSequences; ++sequence) ReadTimeCode(data, length, sequence);
  }
}

TEST(DvPacks, calendar_check) {
  EXPECT_DOUBLE_EQ(*DateTimeToDays({1899, 12, 30, 0, 0, 0}), 0.0);
  EXPECT_DOUBLE_EQ(*DateTimeToDays({2000, 1, 1, 12, 0, 0}), 36526.5);
  EXPECT_TRUE(DateTimeToDays({2024, 2, 29, 0, 0, 0}));
  EXPECT_FALSE(DateTimeToDays({2023, 2, 29, 0, 0, 0}));
  EXPECT_FALSE(DateTimeToDays({2023, 4, 31, 0, 0, 0}));
  EXPECT_FALSE(DateTimeToDays({2023, 4, 30, 24, 0, 0}));
  EXPECT_FALSE(DateTimeToDays({2023, 4, 30, 0, 60, 0}));
  EXPECT_FALSE(DateTimeToDays({2023, 13, 1, 0, 0, 0}));
}

TEST(DvPacks, sound_written_into_a_frame_reads_back_for_both_systems) {
  for (const auto& [system, size, samples] :
       {std::tuple{kSystem625, kFrameBytes625, 1920}, std::tuple{kSystem525, kFrameBytes525, 1602},
        std::tuple{kSystem625, kFrameBytes625, kMaxAudioSamples625}}) {
    SCOPED_TRACE(samples);
    std::vector<std::uint8_t> frame = MakeDvFrame({.system = system});
    std::vector<std::int16_t> sound(2 * samples);
    for (std::size_t i = 0; i < sound.size(); ++i) sound[i] = static_cast<std::int16_t>(i * 7919 % 65536 - 32768);
    ASSERT_TRUE(WriteAudio(frame.data(), frame.size(), system, sound.data(), samples));
    EXPECT_EQ(ReadAudioSampleRate(frame.data(), frame.size()), 48000);
    std::vector<std::int16_t> back(2 * kMaxAudioSamples625);
    ASSERT_EQ(ReadAudio(frame.data(), frame.size(), back.data(), kMaxAudioSamples625), samples);
    back.resize(sound.size());
    EXPECT_EQ(back, sound);
    // The picture and the other packs are left alone.
    EXPECT_EQ(ReadVideoSystem(frame.data(), frame.size()), system);
    EXPECT_TRUE(ReadTimeCode(frame.data(), frame.size(), 0).present());
  }
  std::vector<std::uint8_t> frame = MakeDvFrame({});
  const std::vector<std::int16_t> sound(2 * 2000);
  EXPECT_FALSE(WriteAudio(frame.data(), frame.size(), kSystem625, sound.data(), 2000));
  EXPECT_FALSE(WriteAudio(frame.data(), frame.size(), kSystem625, sound.data(), 1000));
  EXPECT_FALSE(WriteAudio(frame.data(), kFrameBytes625 - 1, kSystem625, sound.data(), 1920));
}
