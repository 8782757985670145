#include "forms/Ancore.h"

#include <QWidget>

void TAncore::Registra(QWidget* figlio, Lati lati) {
    const QSize contenitore = figlio->parentWidget()->size();
    const QRect g = figlio->geometry();
    ancore_.push_back({figlio, lati,
                       QSize(contenitore.width() - g.x() - g.width(), contenitore.height() - g.y() - g.height())});
}

void TAncore::Applica() const {
    for (const Ancora& a : ancore_) {
        const QSize contenitore = a.figlio->parentWidget()->size();
        QRect g = a.figlio->geometry();
        const int destra = contenitore.width() - a.margine.width();
        const int basso = contenitore.height() - a.margine.height();
        switch (a.lati) {
        case Tutti:
            g.setRight(destra - 1);
            g.setBottom(basso - 1);
            break;
        case AltoDestra:
            g.moveRight(destra - 1);
            break;
        case BassoDestra:
            g.moveRight(destra - 1);
            g.moveBottom(basso - 1);
            break;
        }
        a.figlio->setGeometry(g);
    }
}
