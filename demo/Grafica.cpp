#include "Grafica.h"

#include <QColor>
#include <QDir>
#include <QImage>

namespace schema {

namespace {

void SalvaQuadrato(const QString& percorso, const QColor& colore) {
    QImage immagine(16, 16, QImage::Format_RGB32);
    immagine.fill(colore);
    immagine.save(percorso, "BMP");
}

} // namespace

void CreaGrafica(const QString& directoryInstallazione) {
    const QDir installazione(directoryInstallazione);
    installazione.mkpath(QStringLiteral("Grafica"));
    SalvaQuadrato(installazione.filePath(QStringLiteral("Grafica/Verde.bmp")), Qt::darkGreen);
    SalvaQuadrato(installazione.filePath(QStringLiteral("Grafica/Rosso.bmp")), Qt::red);
}

} // namespace schema
