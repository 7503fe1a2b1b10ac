// An MPEG-4 Part 2 encoder as the options offer it: "DivX (factory)" or
// "Xvid (factory)", and the FourCC its captures carry.
#pragma once

#include <QString>
#include <string>

struct TCompressorEntry {
  QString name;
  std::string factory;
  std::string fourcc;  // "DX50" or "XVID"
};
