#pragma once

#include <QString>

class QRect;
class QToolButton;
class QWidget;

// Moves the window so that its frame is centred on its screen (the primary one when it has
// none yet), as the dialogs open on the desktop.
void CentraSulloSchermo(QWidget& finestra);

// A speed button: a tool button with a caption at a fixed place; a flat one shows its border
// only under the mouse.
QToolButton* CreaPulsanteVeloce(QWidget* owner, const QString& nome, const QString& testo,
                                const QRect& posizione, bool piatto = false);
