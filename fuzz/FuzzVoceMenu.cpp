// The caption of a menu entry: whatever the stored text, the shown one is the text before
// the first "<LINEA>" and the value of one parameter, named by what stands between that tag
// and the first "</LINEA>" after it, or by the empty text.

#include "Verifica.h"

#include "app/RegoleAccesso.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace {

const QString Apertura = QStringLiteral("<LINEA>");
const QString Chiusura = QStringLiteral("</LINEA>");

// A value that says which name it was read for, so a wrong name shows in the caption.
QString ValoreDi(const QString& nome) {
    return u'{' + QString::number(nome.size()) + u'}';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t misura) {
    const QString descrizione =
        QString::fromUtf8(reinterpret_cast<const char*>(dati), qsizetype(misura));
    QStringList chiesti;
    const QString testo = TestoVoceMenu(descrizione, [&chiesti](const QString& nome) {
        chiesti.append(nome);
        return ValoreDi(nome);
    });

    const qsizetype inizio = descrizione.indexOf(Apertura);
    if (inizio < 0) {
        VERIFICA(testo == descrizione, descrizione + u'|' + testo);
        VERIFICA(chiesti.isEmpty(), descrizione);
        return 0;
    }
    VERIFICA(chiesti.size() == 1, descrizione);
    const QString& nome = chiesti.front();
    VERIFICA(testo == descrizione.left(inizio) + ValoreDi(nome), descrizione + u'|' + testo);
    if (nome.isEmpty()) {
        // Only when no closing tag follows the opening one with a name in between.
        const qsizetype fine = descrizione.indexOf(Chiusura);
        VERIFICA(fine < inizio + Apertura.size() + 1, descrizione);
        return 0;
    }
    // The name sits right after the first opening tag and right before the first closing tag.
    VERIFICA(descrizione.mid(inizio, Apertura.size() + nome.size() + Chiusura.size()) ==
                 Apertura + nome + Chiusura,
             descrizione + u'|' + nome);
    VERIFICA(!nome.contains(Chiusura), descrizione + u'|' + nome);
    VERIFICA(!descrizione.left(inizio + Apertura.size() + nome.size()).contains(Chiusura),
             descrizione + u'|' + nome);
    return 0;
}
