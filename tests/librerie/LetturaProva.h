#pragma once

// Reads back, from a test, the calls that the test library ProvaFunzioni received. The
// library is opened with the system loader, so it is the instance the program launched.

#include "librerie/ProvaFunzioni.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QString>

#include <dlfcn.h>

#include <optional>
#include <ostream>
#include <vector>

namespace prova {

// ProvaFunzioni as built, beside the test programs.
inline QString PercorsoProvaFunzioni() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/ProvaFunzioni.so");
}

struct ChiamataRicevuta {
    QString Voce;
    qint32 Utente = 0;
    std::optional<qint32> IdFinestra = std::nullopt; // none when the form carries no window identifier
    std::optional<QByteArray> Parametri = std::nullopt; // none when the form carries no text
    bool ParametriNulli = false;

    bool operator==(const ChiamataRicevuta&) const = default;
};

inline void PrintTo(const ChiamataRicevuta& c, std::ostream* os) {
    *os << c.Voce.toStdString() << "(utente " << c.Utente;
    if (c.IdFinestra)
        *os << ", finestra " << *c.IdFinestra;
    if (c.ParametriNulli)
        *os << ", parametri null";
    else if (c.Parametri)
        *os << ", parametri \"" << c.Parametri->toHex(' ').toStdString() << "\" (hex)";
    *os << ")";
}

// One loaded copy of the library, with the calls recorded so far; it is never unloaded,
// like the program's own loads.
class LibreriaProva {
public:
    explicit LibreriaProva(const QString& percorso = PercorsoProvaFunzioni())
        : libreria_(dlopen(QFile::encodeName(percorso).constData(), RTLD_NOW | RTLD_LOCAL)) {
        if (libreria_ == nullptr)
            return;
        numero_ = reinterpret_cast<ProvaNumeroChiamateFn>(dlsym(libreria_, "ProvaNumeroChiamate"));
        leggi_ = reinterpret_cast<ProvaLeggiChiamataFn>(dlsym(libreria_, "ProvaLeggiChiamata"));
        svuota_ = reinterpret_cast<ProvaSvuotaFn>(dlsym(libreria_, "ProvaSvuota"));
    }
    // The record is left empty for the next test.
    ~LibreriaProva() { Svuota(); }
    LibreriaProva(const LibreriaProva&) = delete;
    LibreriaProva& operator=(const LibreriaProva&) = delete;

    bool Caricata() const { return numero_ && leggi_ && svuota_; }

    std::vector<ChiamataRicevuta> Chiamate() const {
        std::vector<ChiamataRicevuta> chiamate;
        ProvaChiamata letta{};
        for (int32_t i = 0; Caricata() && leggi_(i, &letta); ++i) {
            ChiamataRicevuta c{QString::fromLatin1(letta.Voce), letta.Utente, std::nullopt,
                               std::nullopt, letta.ParametriNulli != 0};
            if (letta.HaFinestra)
                c.IdFinestra = letta.IdFinestra;
            if (letta.HaParametri)
                c.Parametri = QByteArray(letta.Parametri);
            chiamate.push_back(c);
        }
        return chiamate;
    }

    int NumeroChiamate() const { return Caricata() ? numero_() : 0; }

    void Svuota() {
        if (svuota_)
            svuota_();
    }

private:
    void* libreria_;
    ProvaNumeroChiamateFn numero_ = nullptr;
    ProvaLeggiChiamataFn leggi_ = nullptr;
    ProvaSvuotaFn svuota_ = nullptr;
};

} // namespace prova
