#pragma once

#include <QtGlobal>

#include <functional>

// Whether a window with that native handle still exists in this process (0 is none).
// Tests may answer for the platform.
bool FinestraEsiste(qint64 handle);
// An empty function restores the platform's answer.
void ImpostaFinestraEsiste(std::function<bool(qint64)> verifica);
