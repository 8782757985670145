#include "forms/Dialogo.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QToolButton>
#include <QWidget>

void CentraSulloSchermo(QWidget& finestra) {
    const QScreen* schermo =
        finestra.screen() ? finestra.screen() : QGuiApplication::primaryScreen();
    if (schermo == nullptr)
        return;
    QRect area = finestra.frameGeometry();
    area.moveCenter(schermo->geometry().center());
    finestra.move(area.topLeft());
}

QToolButton* CreaPulsanteVeloce(QWidget* owner, const QString& nome, const QString& testo,
                                const QRect& posizione, bool piatto) {
    auto* pulsante = new QToolButton(owner);
    pulsante->setObjectName(nome);
    pulsante->setText(testo);
    pulsante->setAutoRaise(piatto);
    pulsante->setGeometry(posizione);
    return pulsante;
}
