// The start-up check of the media framework: a version at least 1.20 with the
// elements the program needs. When it fails the user is warned and chooses
// whether to go on.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

struct FrameworkReport {
  QString versionText;  // "1.22.0", or "Erreur"
  QStringList missingElements;
};

inline constexpr int kRequiredFrameworkMajor = 1;
inline constexpr int kRequiredFrameworkMinor = 20;

// What this machine has.
FrameworkReport CheckMediaFramework();

bool FrameworkIsSufficient(const FrameworkReport& report);

// The warning shown when it is not.
QString BuildVersionWarning(const FrameworkReport& report);

// True when the program may go on: either the framework is sufficient, or the
// user, asked with the warning, answered yes.
bool PassVersionGate(const FrameworkReport& report, const std::function<bool(const QString&)>& askToContinue);
