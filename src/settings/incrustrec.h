// The overlay settings: what the overlay filter draws on the picture and how.
#pragma once

#include <QString>
#include <cstdint>

struct TFontRec {
  QString name = QStringLiteral("Arial");
  std::int32_t size = 21;
  std::uint32_t color = 0xFFFFFF;  // 0xBBGGRR, as the colour pickers give it
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  bool operator==(const TFontRec&) const = default;
};

// What the overlay shows.
enum TWhatIncrust : std::uint8_t { wiDatecode = 0, wiTimecode = 1, wiPerso = 2, wiReel = 3 };
// Where a line is placed: against the left or right edge, centred on the
// position, or centred in the picture (subtitle).
enum TAlignement : std::uint8_t { alLeft = 0, alCenter = 1, alRight = 2, alSubtitle = 3 };

struct TincrustRec {
  QString incrust1;
  QString incrust2;
  QString formatDate1 = QStringLiteral("ddddd");
  QString formatDate2 = QStringLiteral("tt");
  double decalageHoraire = 0.0;  // days, added to the shown date and time
  TFontRec font;
  bool autoFontSize = true;
  std::int32_t borderSize = 1;  // outline thickness in pixels, 0 to 5
  std::uint8_t whatIncrust = wiDatecode;
  std::uint8_t alignement = alRight;
  std::uint32_t borderColor = 0x000000;
  std::int32_t xPos = 914;
  std::int32_t yPos = 914;  // slider maximum minus the slider value
  bool operator==(const TincrustRec&) const = default;
};
