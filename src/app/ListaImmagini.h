#pragma once

#include <QColor>
#include <QIcon>
#include <QObject>
#include <QPixmap>
#include <QSize>

#include <optional>
#include <vector>

// A list of images of one size, addressed by index from 0, as the navigation bar's groups
// name their pictures.
class TListaImmagini : public QObject {
    Q_OBJECT
public:
    // With a background colour the images are drawn over it (no transparency left);
    // without one they keep their own.
    TListaImmagini(QSize dimensione, std::optional<QColor> sfondo, QObject* parent);

    QSize Dimensione() const { return dimensione_; }
    int Conta() const { return static_cast<int>(immagini_.size()); }

    // The icon's picture at this list's size; the index it got.
    int Aggiungi(const QIcon& icona);
    void Svuota();
    // A null pixmap when the index is out of range.
    QPixmap Immagine(int indice) const;

signals:
    void Cambiata();

private:
    QSize dimensione_;
    std::optional<QColor> sfondo_;
    std::vector<QPixmap> immagini_;
};
