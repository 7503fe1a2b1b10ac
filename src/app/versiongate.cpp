#include "app/versiongate.h"

#include "app/identity.h"
#include "media/formats/dsfunctions.h"
#include "platform/gstreamer.h"
#include "texts.h"

FrameworkReport CheckMediaFramework() {
  const QString version = GetMediaFrameworkVersionText();
  return {version.isEmpty() ? QString::fromUtf8(texts::kVersionUnknown) : version,
          gst::MissingElements(gst::RequiredElements())};
}

bool FrameworkIsSufficient(const FrameworkReport& report) {
  const int major = ParseMajorVersion(report.versionText);
  const int minor = ParseMinorVersion(report.versionText);
  const bool recentEnough =
      major > kRequiredFrameworkMajor || (major == kRequiredFrameworkMajor && minor >= kRequiredFrameworkMinor);
  return recentEnough && report.missingElements.isEmpty();
}

QString BuildVersionWarning(const FrameworkReport& report) {
  const QString required = QStringLiteral("%1.%2").arg(kRequiredFrameworkMajor).arg(kRequiredFrameworkMinor);
  QString warning = QString::fromUtf8(texts::kGateYouHave) + report.versionText + ".\n";
  if (!report.missingElements.isEmpty())
    warning += QString::fromUtf8(texts::kGateMissingElements).arg(report.missingElements.join(", ")) + '\n';
  warning += QString::fromUtf8(texts::kGateNeedAtLeast)
                 .arg(required, identity::kProductName, identity::Version(), identity::kLanguage) +
             '\n';
  warning += QString::fromUtf8(texts::kGateContinueAnyway);
  return warning;
}

bool PassVersionGate(const FrameworkReport& report, const std::function<bool(const QString&)>& askToContinue) {
  if (FrameworkIsSufficient(report)) return true;
  return askToContinue(BuildVersionWarning(report));
}
