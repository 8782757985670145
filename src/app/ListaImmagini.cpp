#include "app/ListaImmagini.h"

#include <QPainter>

TListaImmagini::TListaImmagini(QSize dimensione, std::optional<QColor> sfondo, QObject* parent)
    : QObject(parent), dimensione_(dimensione), sfondo_(sfondo) {}

int TListaImmagini::Aggiungi(const QIcon& icona) {
    QPixmap immagine(dimensione_);
    immagine.fill(sfondo_.value_or(Qt::transparent));
    {
        QPainter pittore(&immagine);
        icona.paint(&pittore, QRect(QPoint(0, 0), dimensione_));
    }
    immagini_.push_back(immagine);
    emit Cambiata();
    return Conta() - 1;
}

void TListaImmagini::Svuota() {
    immagini_.clear();
    emit Cambiata();
}

QPixmap TListaImmagini::Immagine(int indice) const {
    if (indice < 0 || indice >= Conta())
        return {};
    return immagini_[static_cast<size_t>(indice)];
}
