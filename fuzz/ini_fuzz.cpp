// Arbitrary bytes as "Tessivo.ini": decoding, look-ups, writes and a full load
// of the parameter table must neither crash nor break the file's round trip.
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

#include "settings/inifile.h"
#include "settings/parametertable.h"

namespace {

const QString kSection = QStringLiteral("[\\Software\\Orbelin\\Tessivo]");

struct Installation {
  QTemporaryDir dir{"/dev/shm/ini_fuzz-XXXXXX"};
  PreferenceLocations locations = PreferenceLocations::ForProgram(dir.filePath("tessivo"));
};

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  static int argc = 1;
  static char name[] = "ini_fuzz";
  static char* argv[] = {name, nullptr};
  static QCoreApplication application(argc, argv);
  static Installation installation;

  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  IniFile ini;
  ini.setLines(IniFile::Decode(bytes));

  // What is written is what is read back, and the file keeps every line.
  const QByteArray encoded = IniFile::Encode(ini.lines());
  Check(IniFile::Decode(encoded) == ini.lines());
  const qsizetype before = ini.lines().size();
  ini.Write(kSection, QStringLiteral("Volume"), QStringLiteral("123"));
  Check(ini.Lookup(kSection, QStringLiteral("Volume")) == QStringLiteral("123"));
  Check(ini.lines().size() <= before + 2);

  // The whole table loads from it.
  {
    QFile file(installation.locations.iniPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
    file.write(bytes);
  }
  TparameterList list(QStringLiteral("fuzz"), installation.locations);
  const TParameters parameters = BuildParameterTable(list, {installation.dir.path(), "/v", "/i", ""});
  Check(parameters.FreezeCapture != nullptr);
  Check(!parameters.NoDatecode->value.isEmpty());
  return 0;
}
