// tessivo-dvgen: writes a raw DV stream for tests and the simulated
// camcorder. The picture is a GStreamer test pattern encoded by avenc_dvvideo;
// every frame then gets a time code and a recording date and time that
// advance with the frames and jump where asked, optionally 16:9 marking and an
// AAUX audio source pack.
#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "media/formats/dvcodes.h"
#include "platform/gstreamer.h"

namespace {

struct Options {
  bool ntsc = false;
  int frames = 100;
  dv::DateTime start{2024, 7, 14, 10, 0, 0};
  std::map<int, int> jumps;  // frame -> seconds added from that frame on
  bool noDate = false;
  bool ffPacks = false;
  bool wide = false;
  int audioRate = 0;
  int audioBits = 16;
  long truncateLast = -1;
  std::string pattern = "smpte";
  std::string output;
};

void Usage() {
  std::fprintf(stderr,
               "Usage : tessivo-dvgen [options] SORTIE.dv   (\"-\" : sortie standard)\n"
               "  --ntsc                 525/60 (par défaut 625/50, PAL)\n"
               "  --frames N             nombre d'images (100)\n"
               "  --start \"AAAA-MM-JJ HH:MM:SS\"  date d'enregistrement de la première image\n"
               "  --jump IMAGE:SECONDES  la date saute de SECONDES à partir de cette image (répétable)\n"
               "  --no-date              cassette sans date d'enregistrement\n"
               "  --ff-packs             paquets remplis de 0xFF (ni date ni code temporel)\n"
               "  --wide                 image 16:9\n"
               "  --audio FREQ[:BITS]    paquet audio AAUX (48000, 44100 ou 32000 ; 16 ou 12 bits)\n"
               "  --truncate OCTETS      coupe la dernière image à ce nombre d'octets\n"
               "  --pattern NOM          mire de videotestsrc (smpte, ball, snow...)\n");
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (arg == "--ntsc")
      options.ntsc = true;
    else if (arg == "--no-date")
      options.noDate = true;
    else if (arg == "--ff-packs")
      options.ffPacks = true;
    else if (arg == "--wide")
      options.wide = true;
    else if (arg == "--frames") {
      const char* value = next();
      if (!value || (options.frames = std::atoi(value)) <= 0) return false;
    } else if (arg == "--start") {
      const char* value = next();
      int y, mo, d, h, mi, s;
      if (!value || std::sscanf(value, "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) != 6) return false;
      options.start = {y,
                       static_cast<std::uint8_t>(mo),
                       static_cast<std::uint8_t>(d),
                       static_cast<std::uint8_t>(h),
                       static_cast<std::uint8_t>(mi),
                       static_cast<std::uint8_t>(s)};
    } else if (arg == "--jump") {
      const char* value = next();
      int frame, seconds;
      if (!value || std::sscanf(value, "%d:%d", &frame, &seconds) != 2) return false;
      options.jumps[frame] += seconds;
    } else if (arg == "--audio") {
      const char* value = next();
      if (!value || std::sscanf(value, "%d:%d", &options.audioRate, &options.audioBits) < 1) return false;
      if (options.audioRate != 48000 && options.audioRate != 44100 && options.audioRate != 32000) return false;
    } else if (arg == "--truncate") {
      const char* value = next();
      if (!value || (options.truncateLast = std::atol(value)) < 0) return false;
    } else if (arg == "--pattern") {
      const char* value = next();
      if (!value) return false;
      options.pattern = value;
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      return false;
    } else {
      options.output = arg;
    }
  }
  return !options.output.empty();
}

// Seconds since 1970 and back, for date arithmetic without a time zone.
long long ToSeconds(const dv::DateTime& t) {
  int y = t.year - (t.month <= 2);
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (t.month + (t.month > 2 ? -3 : 9)) + 2) / 5 + t.day - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long long days = era * 146097 + doe - 719468;
  return days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

dv::DateTime FromSeconds(long long seconds) {
  long long days = seconds / 86400;
  long long rest = seconds % 86400;
  if (rest < 0) rest += 86400, --days;
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(days - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned day = doy - (153 * mp + 2) / 5 + 1;
  const unsigned month = mp < 10 ? mp + 3 : mp - 9;
  const long long year = static_cast<long long>(yoe) + era * 400 + (month <= 2);
  return {static_cast<std::int32_t>(year),
          static_cast<std::uint8_t>(month),
          static_cast<std::uint8_t>(day),
          static_cast<std::uint8_t>(rest / 3600),
          static_cast<std::uint8_t>(rest / 60 % 60),
          static_cast<std::uint8_t>(rest % 60)};
}

void StampFrame(std::vector<std::uint8_t>& frame, const Options& options, int index, long long jumpSeconds) {
  const int fps = options.ntsc ? 30 : 25;
  std::uint8_t* data = frame.data();
  const std::size_t length = frame.size();
  dv::FillPacks(data, length, 0xFF);
  if (!options.ffPacks) {
    const dv::TimeCode code{static_cast<std::uint8_t>(index / fps / 3600 % 24),
                            static_cast<std::uint8_t>(index / fps / 60 % 60),
                            static_cast<std::uint8_t>(index / fps % 60), static_cast<std::uint8_t>(index % fps)};
    const dv::DateTime date = FromSeconds(ToSeconds(options.start) + index / fps + jumpSeconds);
    for (int sequence = 0; sequence < dv::kScannedSequences; ++sequence) {
      dv::WriteTimeCode(data, length, sequence, code);
      if (!options.noDate) dv::WriteRecordingDateTime(data, length, sequence, date);
      const std::size_t control = static_cast<std::size_t>(sequence) * dv::kDifSequenceBytes + dv::kSourceControlPack;
      const std::uint8_t pack[5] = {dv::kSourceControlPackId, 0x00, 0x00, 0xFC, 0xFF};
      std::memcpy(data + control, pack, sizeof pack);
      if (options.wide) dv::SetWideScreen(data, length, sequence);
    }
  }
  if (options.audioRate) dv::WriteAudioSource(data, length, options.audioRate, options.audioBits);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    Usage();
    return 2;
  }
  gst_init(nullptr, nullptr);
  const int width = 720, height = options.ntsc ? 480 : 576;
  const std::string description =
      "videotestsrc pattern=" + options.pattern + " num-buffers=" + std::to_string(options.frames) +
      // Consumer DV: 4:2:0 for PAL, 4:1:1 for NTSC.
      " ! videoconvert ! videoscale ! video/x-raw,format=" + (options.ntsc ? "Y41B" : "I420") +
      ",width=" + std::to_string(width) + ",height=" + std::to_string(height) +
      ",framerate=" + (options.ntsc ? "30000/1001" : "25/1") + " ! avenc_dvvideo ! appsink name=out sync=false";
  gst::ErrorOut error;
  const auto held = gst::ElementPtr::Sink(gst_parse_launch(description.c_str(), error.out()));
  if (error || !held) {
    std::fprintf(stderr, "tessivo-dvgen : GStreamer ne peut pas encoder le DV (%s)\n", error.message().c_str());
    return 1;
  }
  GstElement* pipeline = held.get();
  FILE* out = options.output == "-" ? stdout : std::fopen(options.output.c_str(), "wb");
  if (!out) {
    std::fprintf(stderr, "tessivo-dvgen : impossible de créer %s : %s\n", options.output.c_str(), std::strerror(errno));
    return 1;
  }
  const gst::ElementPtr out_sink(gst_bin_get_by_name(GST_BIN(pipeline), "out"));
  GstElement* sink = out_sink.get();
  gst_element_set_state(pipeline, GST_STATE_PLAYING);
  int index = 0;
  long long jumpSeconds = 0;
  int status = 0;
  while (const gst::MiniObjectPtr<GstSample> sample{gst_app_sink_pull_sample(GST_APP_SINK(sink))}) {
    GstBuffer* buffer = gst_sample_get_buffer(sample.get());
    std::vector<std::uint8_t> frame(gst_buffer_get_size(buffer));
    gst_buffer_extract(buffer, 0, frame.data(), frame.size());
    if (const auto jump = options.jumps.find(index); jump != options.jumps.end()) jumpSeconds += jump->second;
    StampFrame(frame, options, index, jumpSeconds);
    std::size_t bytes = frame.size();
    if (index == options.frames - 1 && options.truncateLast >= 0)
      bytes = std::min(bytes, static_cast<std::size_t>(options.truncateLast));
    if (std::fwrite(frame.data(), 1, bytes, out) != bytes) {
      std::fprintf(stderr, "tessivo-dvgen : écriture impossible : %s\n", std::strerror(errno));
      status = 1;
      break;
    }
    ++index;
  }
  if (index < options.frames && status == 0) {
    std::fprintf(stderr, "tessivo-dvgen : l'encodeur DV n'a livré que %d images sur %d\n", index, options.frames);
    status = 1;
  }
  gst_element_set_state(pipeline, GST_STATE_NULL);
  if (out != stdout) std::fclose(out);
  return status;
}
