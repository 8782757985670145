#pragma once

#include "app/BaseMain.h"
#include "app/Schermo.h"

#include <QSize>

#include <optional>

// Program mode and screen size for one test; the start sets the mode before any window
// exists. Both go back to the standard ones at the end.
class ModalitaPerProva {
public:
    explicit ModalitaPerProva(const QString& modalita, std::optional<QSize> schermo = std::nullopt) {
        ModalitaProgramma = modalita;
        ImpostaDimensioneSchermo(schermo);
    }
    ~ModalitaPerProva() {
        ModalitaProgramma = QStringLiteral("STANDARD");
        ImpostaDimensioneSchermo(std::nullopt);
    }
    ModalitaPerProva(const ModalitaPerProva&) = delete;
    ModalitaPerProva& operator=(const ModalitaPerProva&) = delete;
};
