// A command's image, drawn from the program's own SVG drawings.
#pragma once

#include <QIcon>
#include <QString>

// The drawing ":/icons/<name>.svg" at `pixels` and twice that; empty when
// the program has none of that name.
QIcon CommandIcon(const QString& name, int pixels = 20);
