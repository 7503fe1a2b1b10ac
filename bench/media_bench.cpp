// Per-frame cost of the DV scene detector (target: 200 000 frames a second)
// and of the still-picture deinterlacer on a PAL picture (target: under 2 ms).
#include <benchmark/benchmark.h>
#include <gst/video/video.h>

#include <random>
#include <vector>

#include "media/filters/vx_resizer.h"
#include "media/filters/vx_scenedetect.h"
#include "media/formats/deinter.h"
#include "media/formats/dvcodes.h"

namespace {

std::vector<std::uint8_t> DatedFrame(int second) {
  std::vector<std::uint8_t> frame(dv::kFrameBytes625, 0);
  dv::WriteVideoSystem(frame.data(), frame.size(), dv::kSystem625);
  for (int sequence = 0; sequence < dv::kScannedSequences; ++sequence) {
    dv::WriteRecordingDateTime(
        frame.data(), frame.size(), sequence,
        {2024, 7, 14, 10, static_cast<std::uint8_t>(second / 60 % 60), static_cast<std::uint8_t>(second % 60)});
    dv::WriteTimeCode(frame.data(), frame.size(), sequence, {0, 0, static_cast<std::uint8_t>(second % 60), 1});
  }
  dv::WriteAudioSource(frame.data(), frame.size(), 48000, 16);
  return frame;
}

void BM_SceneDetectPerFrame(benchmark::State& state) {
  // Eight different frames, a scene change every few of them.
  std::vector<std::vector<std::uint8_t>> frames;
  for (int i = 0; i < 8; ++i) frames.push_back(DatedFrame(i * (i % 3 == 0 ? 10 : 1)));
  Tvx_SceneDetect detector;
  std::uint64_t scenes = 0;
  detector.SetSceneCallback([&](const DvFrameInfo&, const DvFrameInfo&) { ++scenes; });
  std::size_t next = 0;
  ReferenceTime time = 0;
  for (auto _ : state) {
    std::vector<std::uint8_t>& frame = frames[next++ % frames.size()];
    TMediaSample sample;
    sample.data = frame.data();
    sample.size = frame.size();
    sample.start = time += kFrameDuration25;
    benchmark::DoNotOptimize(detector.Transform(sample));
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["scenes"] = static_cast<double>(scenes);
}
BENCHMARK(BM_SceneDetectPerFrame);

void BM_DeinterlacePal(benchmark::State& state) {
  const int width = 720, height = 576, stride = width * 3;
  std::vector<std::uint8_t> source(static_cast<std::size_t>(stride) * height), destination(source.size());
  std::mt19937 random(7);
  for (auto& byte : source) byte = static_cast<std::uint8_t>(random());
  TDeinterlacer deinterlacer;
  for (auto _ : state) {
    deinterlacer.Deinterlace({source.data(), width, height, stride, 3}, {destination.data(), width, height, stride, 3});
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_DeinterlacePal)->Unit(benchmark::kMillisecond);

void BM_MirrorPal(benchmark::State& state) {
  const int width = 720, height = 576, stride = width * 3;
  std::vector<std::uint8_t> picture(static_cast<std::size_t>(stride) * height, 1);
  for (auto _ : state) {
    MirrorHorizontal({picture.data(), width, height, stride, 3});
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_MirrorPal)->Unit(benchmark::kMillisecond);

// PAL to half size in BGR: our area average against GStreamer's own scaler
// (the converter videoscale runs), on the same frames.
constexpr int kInWidth = 720, kInHeight = 576, kOutWidth = 384, kOutHeight = 288;

void BM_ResizerAreaAverage(benchmark::State& state) {
  std::vector<std::uint8_t> source(static_cast<std::size_t>(kInWidth) * 3 * kInHeight);
  std::vector<std::uint8_t> target(static_cast<std::size_t>(kOutWidth) * 3 * kOutHeight);
  std::mt19937 random(3);
  for (auto& byte : source) byte = static_cast<std::uint8_t>(random());
  AreaScaler scaler;
  for (auto _ : state) {
    scaler.Scale(source.data(), kInWidth, kInHeight, kInWidth * 3, target.data(), kOutWidth, kOutHeight, kOutWidth * 3);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ResizerAreaAverage)->Unit(benchmark::kMillisecond);

void BM_GstVideoScale(benchmark::State& state) {
  gst_init(nullptr, nullptr);
  GstVideoInfo in, out;
  gst_video_info_set_format(&in, GST_VIDEO_FORMAT_BGR, kInWidth, kInHeight);
  gst_video_info_set_format(&out, GST_VIDEO_FORMAT_BGR, kOutWidth, kOutHeight);
  GstBuffer* source = gst_buffer_new_allocate(nullptr, GST_VIDEO_INFO_SIZE(&in), nullptr);
  GstBuffer* target = gst_buffer_new_allocate(nullptr, GST_VIDEO_INFO_SIZE(&out), nullptr);
  gst_buffer_memset(source, 0, 90, GST_VIDEO_INFO_SIZE(&in));
  GstVideoFrame inFrame, outFrame;
  gst_video_frame_map(&inFrame, &in, source, GST_MAP_READ);
  gst_video_frame_map(&outFrame, &out, target, GST_MAP_WRITE);
  // videoscale's default: bilinear, one thread.
  GstVideoConverter* converter = gst_video_converter_new(
      &in, &out,
      gst_structure_new("config", GST_VIDEO_CONVERTER_OPT_RESAMPLER_METHOD, GST_TYPE_VIDEO_RESAMPLER_METHOD,
                        GST_VIDEO_RESAMPLER_METHOD_LINEAR, GST_VIDEO_CONVERTER_OPT_THREADS, G_TYPE_UINT, 1, nullptr));
  for (auto _ : state) {
    gst_video_converter_frame(converter, &inFrame, &outFrame);
    benchmark::ClobberMemory();
  }
  gst_video_converter_free(converter);
  gst_video_frame_unmap(&inFrame);
  gst_video_frame_unmap(&outFrame);
  gst_buffer_unref(source);
  gst_buffer_unref(target);
}
BENCHMARK(BM_GstVideoScale)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
