// One entry per form, each opening a window that shows the arguments it received.

#include "EsportazioniDemo.h"
#include "FinestraLibreria.h"

#include "piattaforma/Codifica.h"

#include <quendra/Funzioni.h>

#include <QFormLayout>
#include <QLabel>
#include <QWidget>

#include <cstring>
#include <iterator>
#include <string_view>
#include <type_traits>

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

// Form X, for quick entries: they always run in mode 1, so a row whose menu entry reaches
// MostraArgomenti2X needs a quick entry of its own. Not a critical window, unlike
// MostraArgomentiX.
QUENDRA_ESPORTA int32_t QUENDRA_STDCALL MostraVoceRapidaX(int32_t utente, int32_t idFinestra) {
    return MostraArgomentiRicevuti({"MostraVoceRapidaX", utente, idFinestra, std::nullopt});
}

// Each export has the signature of the form the table gives it.
namespace {

constexpr std::string_view FormaDichiarata(std::string_view nome) {
    for (const EsportazioneDemo& esportazione : EsportazioniDemo)
        if (nome == esportazione.Nome)
            return esportazione.Forma;
    return {};
}

template <typename Firma> constexpr std::string_view FormaDellaFirma() {
    if constexpr (std::is_same_v<Firma, QuendraFunzione1>)
        return "1";
    else if constexpr (std::is_same_v<Firma, QuendraFunzione2>)
        return "2";
    else if constexpr (std::is_same_v<Firma, QuendraFunzioneX>)
        return "X";
    else if constexpr (std::is_same_v<Firma, QuendraFunzione2X>)
        return "2X";
    else if constexpr (std::is_same_v<Firma, QuendraFunzione3Y>)
        return "3Y";
    else
        return {};
}

#define QUENDRA_VERIFICA_FORMA(esportazione)                                                       \
    static_assert(!FormaDellaFirma<decltype(&esportazione)>().empty() &&                           \
                      FormaDellaFirma<decltype(&esportazione)>() == FormaDichiarata(#esportazione), \
                  #esportazione " is not written for the form EsportazioniDemo gives it")

QUENDRA_VERIFICA_FORMA(MostraArgomenti);
QUENDRA_VERIFICA_FORMA(MostraArgomenti2);
QUENDRA_VERIFICA_FORMA(MostraArgomentiX);
QUENDRA_VERIFICA_FORMA(MostraArgomenti2X);
QUENDRA_VERIFICA_FORMA(MostraArgomentiY);
QUENDRA_VERIFICA_FORMA(MostraVoceRapidaX);
static_assert(std::size(EsportazioniDemo) == 6, "every export of the table is checked above");

#undef QUENDRA_VERIFICA_FORMA

} // namespace
