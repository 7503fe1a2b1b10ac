// Arbitrary bytes as an AVI file cut short: the repair must end, never read
// or write past what it was given, and leave either the file as it was or a
// file whose every chunk it kept is whole.
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

#include "media/formats/avirepair.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static QTemporaryDir folder;  // the fuzzer's own scratch folder, for the whole run
  const QString path = folder.filePath("fuzz.avi");
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
  file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
  file.close();
  const TAviRepair result = RepairAvi(path);
  if (!result.repaired && QFileInfo(path).size() != static_cast<qint64>(size)) std::abort();  // touched on failure
  if (QFile::exists(path + ".reparation")) std::abort();  // a copy left behind
  return 0;
}
