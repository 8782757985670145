#pragma once

#include <QString>

namespace schema {

// "Grafica" in an installation directory, with the two status bitmaps.
void CreaGrafica(const QString& directoryInstallazione);

} // namespace schema
