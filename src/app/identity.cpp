#include "app/identity.h"

#include "platform/shellutils.h"
#include "texts.h"

namespace identity {

QString Version() { return QString::asprintf("%d.%d.%d", kVersionMajor, kVersionMinor, kVersionRelease); }

QString BuildDateText() { return QString::asprintf("%02d/%02d/%04d", kBuildDay, kBuildMonth, kBuildYear); }

QString FullTitle() { return QStringLiteral("%1 %2 %3").arg(kProductName, Version(), kLanguage); }

QString MainWindowCaption() { return QStringLiteral("%1 de %2").arg(FullTitle(), kMaker); }

QString PreferenceSignature() {
  return QStringLiteral("%1 %2 %3 de %4").arg(kProductName, Version(), kLanguage, kMaker);
}

QString PreferenceVersionText() { return FullTitle() + " de " + kMaker; }

QString VersionTraceLine() {
  return QString::asprintf("Version %d.%d.%d.%d du %d/%d/%d", kVersionMajor, kVersionMinor, kVersionRelease,
                           kBuildNumber, kBuildDay, kBuildMonth, kBuildYear);
}

QString SystemVersionName() {
  const shell::SystemVersion system = shell::CurrentSystemVersion();
  const QString product = system.product.isEmpty() ? QString::fromUtf8(texts::kSystemUnknown) : system.product;
  return QString::fromUtf8(texts::kSystemKernel).arg(product, system.kernel);
}

}  // namespace identity
