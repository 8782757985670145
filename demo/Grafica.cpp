#include "Grafica.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <functional>

namespace schema {

namespace {

void SalvaQuadrato(const QString& percorso, const QColor& colore) {
    QImage immagine(16, 16, QImage::Format_RGB32);
    immagine.fill(colore);
    immagine.save(percorso, "BMP");
}

using Disegno = std::function<void(QPainter&)>;

// A 32 x 32 picture drawn on a 0..32 grid.
QImage Disegna(const QColor& sfondo, const Disegno& disegno) {
    QImage immagine(32, 32, QImage::Format_ARGB32);
    immagine.fill(sfondo);
    QPainter pittore(&immagine);
    pittore.setRenderHint(QPainter::Antialiasing);
    disegno(pittore);
    return immagine;
}

// A program icon: a rounded tile of the program's colour with a white pictogram.
void SalvaIcona(const QString& percorso, const QColor& colore, const Disegno& pittogramma) {
    const QImage immagine = Disegna(Qt::transparent, [&](QPainter& p) {
        p.setPen(QPen(colore.darker(130), 1));
        p.setBrush(colore);
        p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 6, 6);
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        pittogramma(p);
    });
    immagine.save(percorso, "ICO");
}

// A big-button glyph: the pictogram in colour on white, which the button leaves transparent
// (the bottom-left pixel's colour).
void SalvaGlifo(const QString& percorso, const QColor& colore, const Disegno& pittogramma) {
    QImage immagine = Disegna(Qt::white, [&](QPainter& p) {
        p.setPen(QPen(colore, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(colore.lighter(170));
        pittogramma(p);
    });
    immagine.convertTo(QImage::Format_RGB32);
    immagine.save(percorso, "BMP");
}

// ---- Pictograms ----

void Registro(QPainter& p) {
    p.drawRect(QRectF(8, 7, 16, 19));
    for (double y : {12.0, 16.5, 21.0})
        p.drawLine(QPointF(11.5, y), QPointF(20.5, y));
}

void Scatola(QPainter& p) {
    p.drawPolygon(QPolygonF({{6, 12}, {16, 7}, {26, 12}, {26, 23}, {16, 27}, {6, 23}}));
    p.drawPolyline(QPolygonF({{6, 12}, {16, 17}, {26, 12}}));
    p.drawLine(QPointF(16, 17), QPointF(16, 27));
}

void Andamento(QPainter& p) {
    p.drawPolyline(QPolygonF({{6, 25}, {26, 25}}));
    p.drawPolyline(QPolygonF({{7, 21}, {13, 15}, {18, 19}, {25, 9}}));
    p.drawPolyline(QPolygonF({{20, 9}, {25, 9}, {25, 14}}));
}

void Persona(QPainter& p) {
    p.drawEllipse(QPointF(16, 11), 4.5, 4.5);
    QPainterPath busto;
    busto.moveTo(7, 27);
    busto.cubicTo(7, 17, 25, 17, 25, 27);
    busto.closeSubpath();
    p.drawPath(busto);
}

void Documento(QPainter& p) {
    p.drawPolygon(QPolygonF({{9, 5}, {20, 5}, {25, 10}, {25, 27}, {9, 27}}));
    p.drawPolyline(QPolygonF({{20, 5}, {20, 10}, {25, 10}}));
    for (double y : {15.0, 19.0, 23.0})
        p.drawLine(QPointF(12.5, y), QPointF(21.5, y));
}

void Cartellino(QPainter& p) {
    p.drawPolygon(QPolygonF({{5, 16}, {13, 7}, {27, 7}, {27, 25}, {13, 25}}));
    p.drawEllipse(QPointF(12, 16), 2, 2);
}

void Calendario(QPainter& p) {
    p.drawRect(QRectF(6, 8, 20, 18));
    p.drawLine(QPointF(6, 13), QPointF(26, 13));
    p.drawLine(QPointF(11, 5), QPointF(11, 10));
    p.drawLine(QPointF(21, 5), QPointF(21, 10));
    for (double x : {11.0, 16.0, 21.0})
        for (double y : {17.5, 22.0})
            p.drawPoint(QPointF(x, y));
}

// An open box with an arrow going in (verso 1) or coming out (verso -1).
void ScatolaConFreccia(QPainter& p, int verso) {
    p.drawPolyline(QPolygonF({{6, 15}, {6, 27}, {26, 27}, {26, 15}}));
    const double punta = verso > 0 ? 22 : 4;
    const double coda = verso > 0 ? 4 : 22;
    p.drawLine(QPointF(16, coda), QPointF(16, punta));
    p.drawPolyline(QPolygonF({{11, punta - 5.0 * verso}, {16, punta}, {21, punta - 5.0 * verso}}));
}

void Carico(QPainter& p) { ScatolaConFreccia(p, 1); }
void Scarico(QPainter& p) { ScatolaConFreccia(p, -1); }

} // namespace

void CreaGrafica(const QString& directoryInstallazione) {
    const QDir installazione(directoryInstallazione);
    installazione.mkpath(QStringLiteral("Grafica"));
    SalvaQuadrato(installazione.filePath(QStringLiteral("Grafica/Verde.bmp")), Qt::darkGreen);
    SalvaQuadrato(installazione.filePath(QStringLiteral("Grafica/Rosso.bmp")), Qt::red);
}

void CreaGraficaDemo(const QString& directoryInstallazione) {
    const QDir grafica(QDir(directoryInstallazione).filePath(QStringLiteral("Grafica")));
    QDir().mkpath(grafica.path());
    const auto file = [&](const char* nome) { return grafica.filePath(QString::fromLatin1(nome)); };

    // "Utilita.ico" is named by the demo data but left out: that program shows no picture.
    SalvaIcona(file("Contabilita.ico"), QColor(0x2e, 0x7d, 0x32), Registro);
    SalvaIcona(file("Magazzino.ico"), QColor(0xef, 0x6c, 0x00), Scatola);
    SalvaIcona(file("Vendite.ico"), QColor(0x15, 0x65, 0xc0), Andamento);

    SalvaGlifo(file("PrimaNota.bmp"), QColor(0x2e, 0x7d, 0x32), Registro);
    SalvaGlifo(file("Clienti.bmp"), QColor(0x15, 0x65, 0xc0), Persona);
    SalvaGlifo(file("Articoli.bmp"), QColor(0xef, 0x6c, 0x00), Scatola);
    SalvaGlifo(file("Fatture.bmp"), QColor(0x6a, 0x1b, 0x9a), Documento);
    SalvaGlifo(file("Listini.bmp"), QColor(0xc6, 0x28, 0x28), Cartellino);
    SalvaGlifo(file("Agenda.bmp"), QColor(0x00, 0x83, 0x8f), Calendario);
    SalvaGlifo(file("Carico.bmp"), QColor(0x2e, 0x7d, 0x32), Carico);
    SalvaGlifo(file("Scarico.bmp"), QColor(0xc6, 0x28, 0x28), Scarico);
}

} // namespace schema
