#include "app/Schermo.h"

#include <QGuiApplication>
#include <QScreen>

namespace {
std::optional<QSize> dimensioneImposta;
}

QSize DimensioneSchermo() {
    if (dimensioneImposta)
        return *dimensioneImposta;
    const QScreen* schermo = QGuiApplication::primaryScreen();
    return schermo ? schermo->size() : QSize(1024, 768);
}

void ImpostaDimensioneSchermo(std::optional<QSize> dimensione) { dimensioneImposta = dimensione; }
