// One entry per form, each opening a window that shows the arguments it received.

#include "FinestraLibreria.h"

#include "piattaforma/Codifica.h"

#include <quendra/Funzioni.h>

#include <QFormLayout>
#include <QLabel>
#include <QWidget>

#include <cstring>

namespace {

// What one call brought; a form without a window identifier or text has none.
struct Argomenti {
    const char* voce;
    int32_t utente;
    std::optional<int32_t> idFinestra;
    std::optional<const char*> parametri;
};

QString TestoFinestra(const Argomenti& a) {
    return a.idFinestra ? QString::number(*a.idFinestra) : QStringLiteral("(nessuna)");
}

QString TestoParametri(const Argomenti& a) {
    if (!a.parametri)
        return QStringLiteral("(nessuno)");
    if (*a.parametri == nullptr)
        return QStringLiteral("(null)");
    return QLatin1Char('"') + piattaforma::DaCp1252(QByteArrayView(*a.parametri, std::strlen(*a.parametri))) +
           QLatin1Char('"');
}

void AggiungiRiga(QFormLayout* layout, const QString& etichetta, const QString& nome,
                  const QString& testo) {
    auto* label = new QLabel(testo);
    label->setObjectName(nome);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addRow(etichetta, label);
}

int32_t MostraArgomentiRicevuti(const Argomenti& a) {
    auto* finestra = new QWidget;
    finestra->setObjectName(QStringLiteral("ArgomentiForm"));
    finestra->setWindowTitle(QStringLiteral("Argomenti ricevuti - ") + QLatin1String(a.voce));
    auto* layout = new QFormLayout(finestra);
    AggiungiRiga(layout, QStringLiteral("Funzione:"), QStringLiteral("LabelFunzione"), QLatin1String(a.voce));
    AggiungiRiga(layout, QStringLiteral("Utente:"), QStringLiteral("LabelUtente"), QString::number(a.utente));
    AggiungiRiga(layout, QStringLiteral("Finestra:"), QStringLiteral("LabelFinestra"), TestoFinestra(a));
    AggiungiRiga(layout, QStringLiteral("Parametri:"), QStringLiteral("LabelParametri"), TestoParametri(a));
    finestra->resize(420, 160);
    MostraFinestraLibreria(finestra, a.idFinestra);
    return 0;
}

} // namespace

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL MostraArgomenti(int32_t utente) {
    return MostraArgomentiRicevuti({"MostraArgomenti", utente, std::nullopt, std::nullopt});
}

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL MostraArgomenti2(int32_t utente, const char* parametri) {
    return MostraArgomentiRicevuti({"MostraArgomenti2", utente, std::nullopt, parametri});
}

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL MostraArgomentiX(int32_t utente, int32_t idFinestra) {
    return MostraArgomentiRicevuti({"MostraArgomentiX", utente, idFinestra, std::nullopt});
}

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL MostraArgomenti2X(int32_t utente, const char* parametri,
                                                          int32_t idFinestra) {
    return MostraArgomentiRicevuti({"MostraArgomenti2X", utente, idFinestra, parametri});
}

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL MostraArgomentiY(int32_t utente, int32_t idFinestra,
                                                         const char* parametri) {
    return MostraArgomentiRicevuti({"MostraArgomentiY", utente, idFinestra, parametri});
}
