#pragma once

#include <QString>

namespace schema {

// "Grafica" in an installation directory, with the two status bitmaps.
void CreaGrafica(const QString& directoryInstallazione);

// The demo's program icons (32 x 32 .ico) and big-button glyphs (.bmp) in "Grafica".
// Drawn with shapes only, so no font (and no display) is needed.
void CreaGraficaDemo(const QString& directoryInstallazione);

} // namespace schema
