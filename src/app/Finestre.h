#pragma once

#include <QList>
#include <QtGlobal>

#include <functional>

// Whether a window with that native handle still exists in this process (0 is none).
// Tests may answer for the platform.
bool FinestraEsiste(qint64 handle);
// An empty function restores the platform's answer.
void ImpostaFinestraEsiste(std::function<bool(qint64)> verifica);

class QWidget;
// The windows of this process shown by someone else than the main window (the function
// libraries' windows): visible top-level windows that the main window does not own.
QList<QWidget*> FinestreAltrui(const QWidget* principale);
