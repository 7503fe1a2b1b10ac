#include "support/pluginprocess.h"

#include <QFileInfo>

QProcessEnvironment PluginProcessEnvironment(const QString& registryFile) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("GST_PLUGIN_PATH", QFileInfo(TESSIVO_PLUGIN_FILE).absolutePath());
  environment.insert("GST_REGISTRY", registryFile);
#ifdef TESSIVO_SANITIZER_PRELOAD
  environment.insert("LD_PRELOAD", TESSIVO_SANITIZER_PRELOAD);
  environment.insert("ASAN_OPTIONS", "detect_leaks=0:verify_asan_link_order=0");
#endif
  return environment;
}
