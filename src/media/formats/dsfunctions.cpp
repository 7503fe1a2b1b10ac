#include "media/formats/dsfunctions.h"

#include <chrono>

#include <sys/statvfs.h>

#include <QFile>
#include <optional>

#include "media/formats/riff.h"
#include "platform/soundoutput.h"

namespace {

enum class Match { FactoryName, LongName };

bool SelectFilter(const QString& category, const QString& wanted, Match match, TFilterHolder& holder) {
  holder.factory = {};
  for (const gst::FactoryPtr& factory : gst::FactoriesInCategory(category)) {
    const char* name = match == Match::FactoryName
                           ? gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory.get()))
                           : gst_element_factory_get_metadata(factory.get(), GST_ELEMENT_METADATA_LONGNAME);
    if (name && QString::fromUtf8(name) == wanted) {
      holder.factory = factory;
      return true;
    }
  }
  return false;
}

struct DiskFigures {
  std::int64_t totalMB = 0;
  std::int64_t availableMB = 0;
};

DiskFigures QueryDisk(const QString& folder) {
  struct statvfs info {};
  if (folder.isEmpty() || statvfs(QFile::encodeName(folder).constData(), &info) != 0) return {};
  constexpr unsigned kMiBShift = 20;
  const auto fragment = static_cast<unsigned __int128>(info.f_frsize);
  return {static_cast<std::int64_t>((fragment * info.f_blocks) >> kMiBShift),
          static_cast<std::int64_t>((fragment * info.f_bavail) >> kMiBShift)};
}

void PlayResource(const char* path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return;
  const auto clip = riff::ParseWave(file.readAll());
  if (!clip) return;
  // The window waits for the clip and no longer, whatever the sound output
  // does: its length and a little for the output to start.
  const int bytesPerSecond = clip->sampleRate * clip->channels * clip->bitsPerSample / 8;
  if (bytesPerSecond <= 0) return;
  const auto length = std::chrono::milliseconds(1000 * clip->samples.size() / bytesPerSecond);
  sound::PlayClip(*clip, length + std::chrono::milliseconds(150));
}

// Digits only: "22" is a number, " 22", "+22" and "" are not.
std::optional<int> StrictNumber(const QString& text) {
  if (text.isEmpty() || text.size() > 9) return std::nullopt;
  for (QChar c : text)
    if (c < '0' || c > '9') return std::nullopt;
  return text.toInt();
}

}  // namespace

bool SelectFilterByClsid(const QString& category, const QString& factoryName, TFilterHolder& holder) {
  return SelectFilter(category, factoryName, Match::FactoryName, holder);
}

bool SelectFilterByName(const QString& category, const QString& friendlyName, TFilterHolder& holder) {
  return SelectFilter(category, friendlyName, Match::LongName, holder);
}

std::vector<TCompressorEntry> CompressorEntries(const std::vector<std::string>& factories) {
  std::vector<TCompressorEntry> entries;
  for (const std::string& factory : factories) {
    const QString shown = QString::fromStdString(factory);
    entries.push_back({"DivX (" + shown + ")", factory, "DX50"});
    entries.push_back({"Xvid (" + shown + ")", factory, "XVID"});
  }
  return entries;
}

bool ListMpeg4Compressors(std::vector<TCompressorEntry>& entries) {
  gst::EnsureInitialised();
  const gst::CapsPtr mpeg4(gst_caps_from_string("video/mpeg,mpegversion=(int)4,systemstream=(boolean)false; video/x-divx"));
  std::vector<std::string> factories;
  const gst::FactoryList encoders =
      gst::FactoryList::Elements(GST_ELEMENT_FACTORY_TYPE_ENCODER | GST_ELEMENT_FACTORY_TYPE_MEDIA_VIDEO, GST_RANK_NONE);
  for (GstElementFactory* factory : encoders.items()) {
    const std::string name = GST_OBJECT_NAME(factory);
    // libav's OpenMAX wrappers need an embedded board's codec library and
    // fail at the first frame on a desktop.
    const bool openMax = name.size() > 4 && name.compare(name.size() - 4, 4, "_omx") == 0;
    if (!openMax && gst_element_factory_can_src_any_caps(factory, mpeg4.get())) factories.push_back(name);
  }
  entries = CompressorEntries(factories);
  return !entries.empty();
}

TCompressorChoice FilterCompressorNames(const QStringList& names) {
  TCompressorChoice choice;
  for (const QString& name : names) {
    const QString lower = name.toLower();
    if (lower.contains("divx")) {
      choice.kept << name;
    } else if (lower.contains("xvid")) {
      choice.kept << name;
      choice.defaultIndex = int(choice.kept.size()) - 1;
    }
  }
  return choice;
}

std::int64_t DiskTotalMB(const QString& folder) { return QueryDisk(folder).totalMB; }

std::int64_t DiskUsedMB(const QString& folder) {
  const DiskFigures disk = QueryDisk(folder);
  return disk.totalMB - disk.availableMB;
}

std::int64_t DiskFreeMB(const QString& folder) { return QueryDisk(folder).availableMB; }

void PlayBeep0() { PlayResource(":/sounds/beep0.wav"); }
void PlayBeep1() { PlayResource(":/sounds/beep1.wav"); }

QString GetMediaFrameworkVersionText() { return gst::VersionText(); }

int ParseMajorVersion(const QString& versionText) {
  const qsizetype dot = versionText.indexOf('.');
  return dot < 0 ? 0 : StrictNumber(versionText.left(dot)).value_or(0);
}

int ParseMinorVersion(const QString& versionText) {
  const qsizetype dot = versionText.indexOf('.');
  if (dot < 0 || !StrictNumber(versionText.left(dot))) return 0;
  const QString rest = versionText.mid(dot + 1);
  return StrictNumber(rest.left(rest.indexOf('.'))).value_or(0);
}

int GetMediaFrameworkMajorVersion() { return ParseMajorVersion(GetMediaFrameworkVersionText()); }
int GetMediaFrameworkMinorVersion() { return ParseMinorVersion(GetMediaFrameworkVersionText()); }

QString FourCCToText(std::uint32_t code) {
  QString text;
  for (int shift = 0; shift < 32; shift += 8) {
    const auto byte = static_cast<unsigned char>(code >> shift);
    if (byte < 32) return {};
    text += QChar::fromLatin1(static_cast<char>(byte));
  }
  return text;
}
