// The maker parameter text and the marks of disabled companies: whatever the stored text,
// every parameter taken has a heading and a name, none holds a line break, and the image
// written back from them reads as the same parameters; marking the companies twice leaves
// the text as marking them once.
//
// Input: the text's bytes (Windows-1252, as stored), then optionally "\0" and bytes whose
// bits choose the enabled companies to disable; the first of them also chooses where the
// text is cut in two for the check that an empty line separates what comes before.

#include "Verifica.h"

#include "datamodule/Norvane.h"
#include "piattaforma/Codifica.h"

#include <QSet>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// The image as the data module writes it: a heading line at each change of heading, then
// NAME=VALUE, every line ended by a line feed.
QString Immagine(const std::vector<TNorvane>& voci) {
    QString immagine;
    QString ultima;
    for (const TNorvane& voce : voci) {
        if (voce.Intestazione != ultima) {
            immagine += u'[' + voce.Intestazione + QStringLiteral("]\n");
            ultima = voce.Intestazione;
        }
        immagine += voce.Parametro + u'=' + voce.Valore + u'\n';
    }
    return immagine;
}

QString Descrivi(const std::vector<TNorvane>& voci) {
    QString testo;
    for (const TNorvane& voce : voci)
        testo += u'{' + voce.Intestazione + u'|' + voce.Parametro + u'|' + voce.Valore + u'}';
    return testo;
}

bool SenzaFineRiga(const QString& testo) {
    return !testo.contains(u'\n') && !testo.contains(u'\r');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t misura) {
    const QByteArrayView tutto(reinterpret_cast<const char*>(dati), qsizetype(misura));
    const qsizetype zero = tutto.indexOf('\0');
    const QString testo = piattaforma::DaCp1252(zero < 0 ? tutto : tutto.first(zero));
    const QByteArrayView scelte = zero < 0 ? QByteArrayView() : tutto.sliced(zero + 1);

    const std::vector<TNorvane> voci = ScomponiNorvane(testo);
    VERIFICA(qsizetype(voci.size()) <= testo.count(u'\n') + 1, testo);
    for (const TNorvane& voce : voci) {
        VERIFICA(!voce.Intestazione.isEmpty() && !voce.Parametro.isEmpty(), testo);
        VERIFICA(SenzaFineRiga(voce.Intestazione) && SenzaFineRiga(voce.Parametro) &&
                     SenzaFineRiga(voce.Valore),
                 testo + u'|' + Descrivi(voci));
        VERIFICA(!voce.Parametro.contains(u'=') && !voce.Parametro.startsWith(u'['),
                 testo + u'|' + Descrivi(voci));
    }

    // The image written back reads as the same parameters, in the same order.
    const std::vector<TNorvane> riletti = ScomponiNorvane(Immagine(voci));
    VERIFICA(riletti == voci, testo + u'|' + Descrivi(voci) + u'|' + Descrivi(riletti));

    // An empty line ends the section: what follows reads as if it stood alone.
    if (!scelte.isEmpty() && !testo.isEmpty()) {
        const qsizetype taglio = qsizetype(uint8_t(scelte[0])) % (testo.size() + 1);
        const QString prima = testo.left(taglio);
        const QString dopo = testo.mid(taglio);
        std::vector<TNorvane> attese = ScomponiNorvane(prima);
        const std::vector<TNorvane> seconde = ScomponiNorvane(dopo);
        attese.insert(attese.end(), seconde.begin(), seconde.end());
        const std::vector<TNorvane> unite = ScomponiNorvane(prima + QStringLiteral("\n\n") + dopo);
        VERIFICA(unite == attese, testo + u'|' + Descrivi(unite) + u'|' + Descrivi(attese));
    }

    // The companies as the enabling dialog would list them, some moved to the disabled side.
    QStringList intestazioni;
    QSet<QString> viste;
    for (const TNorvane& voce : voci) {
        if (!viste.contains(voce.Intestazione)) {
            viste.insert(voce.Intestazione);
            intestazioni << voce.Intestazione;
        }
    }
    QStringList attive;
    QStringList disattive;
    DividiIntestazioni(intestazioni, attive, disattive);
    VERIFICA(attive.size() + disattive.size() == intestazioni.size(), testo);
    for (const QString& ditta : attive + disattive)
        VERIFICA(!ditta.contains(MarcaInattiva), testo + u'|' + ditta);
    for (qsizetype i = 0; i < attive.size(); ++i) {
        const qsizetype bit = i + 8;
        if (bit / 8 < scelte.size() && (uint8_t(scelte[bit / 8]) >> (bit % 8)) & 1)
            disattive << attive[i];
    }

    const QString pulito = TogliMarcheInattiva(testo);
    VERIFICA(!pulito.contains(MarcaInattiva), testo + u'|' + pulito);
    VERIFICA(MarcaDitteInattive(testo, {}) == pulito, testo);

    const QString marcato = MarcaDitteInattive(testo, disattive);
    VERIFICA(MarcaDitteInattive(marcato, disattive) == marcato, testo + u'|' + marcato);
    VERIFICA(TogliMarcheInattiva(marcato) == pulito, testo + u'|' + marcato);
    for (const QString& ditta : disattive)
        VERIFICA(!marcato.contains(u'[' + ditta + u']'), testo + u'|' + ditta + u'|' + marcato);
    return 0;
}
