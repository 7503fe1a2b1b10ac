// Who the program is: name, version, maker and the texts built from them.
#pragma once

#include <QString>

namespace identity {

inline constexpr char kProductName[] = "Tessivo";
inline constexpr int kVersionMajor = 6;
inline constexpr int kVersionMinor = 1;
inline constexpr int kVersionRelease = 3;
inline constexpr int kBuildNumber = 54;
inline constexpr int kBuildYear = 2022;
inline constexpr int kBuildMonth = 4;
inline constexpr int kBuildDay = 20;
inline constexpr char kLanguage[] = "fr";
inline constexpr char kMaker[] = "Orbelin";

QString Version();                // "6.1.3"
QString BuildDateText();          // "20/04/2022"
QString FullTitle();              // "Tessivo 6.1.3 fr"
QString MainWindowCaption();      // "Tessivo 6.1.3 fr de Orbelin"
QString PreferenceSignature();    // given to the parameter list
QString PreferenceVersionText();  // given to the preferences component
QString VersionTraceLine();       // "Version 6.1.3.54 du 20/4/2022"
// The system and its kernel, as the system report names them.
QString SystemVersionName();  // "Debian GNU/Linux 12 (bookworm) - noyau 6.1.0"

}  // namespace identity
