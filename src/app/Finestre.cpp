#include "app/Finestre.h"

#include <QWidget>

namespace {
std::function<bool(qint64)> verificaImpostata;
}

bool FinestraEsiste(qint64 handle) {
    if (verificaImpostata)
        return verificaImpostata(handle);
    return handle != 0 && QWidget::find(static_cast<WId>(handle)) != nullptr;
}

void ImpostaFinestraEsiste(std::function<bool(qint64)> verifica) { verificaImpostata = std::move(verifica); }
