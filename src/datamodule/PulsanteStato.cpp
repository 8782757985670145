#include "datamodule/PulsanteStato.h"

#include "piattaforma/Percorsi.h"

#include <QPixmap>

TPulsanteStato::TPulsanteStato(QWidget* parent) : QToolButton(parent) {
    setObjectName(QStringLiteral("PulsanteStato"));
    setAutoRaise(true);
}

void TPulsanteStato::CaricaImmagine(const QString& file) {
    immagine_ = file;
    const QPixmap immagine(piattaforma::PercorsoNativo(file));
    setIcon(QIcon(immagine));
    if (!immagine.isNull())
        setIconSize(immagine.size());
}
