#pragma once

#include <QtGlobal>

#include <optional>

class QWidget;

// Shows a library's window non-modal, to be deleted when it closes. With a window
// identifier, the window's handle goes into the call log row of the launch, so that the
// menu program knows it is open.
void MostraFinestraLibreria(QWidget* finestra, std::optional<qint32> idFinestra);
