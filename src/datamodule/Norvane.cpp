#include "datamodule/Norvane.h"

namespace {

// Walks the lines in place: a 1 MB text is read once, not cut from the front line by line.
void InterpretaRiga(const QString& riga, QString& intestazione, std::vector<TNorvane>& voci) {
    if (riga.isEmpty()) {
        intestazione.clear();
        return;
    }
    if (riga.front() == u'[') {
        intestazione = riga.size() > 2 ? riga.mid(1, riga.size() - 2) : QString();
        return;
    }
    const qsizetype uguale = riga.indexOf(u'=');
    if (uguale < 0)
        return;
    if (!intestazione.isEmpty() && uguale > 0)
        voci.push_back({intestazione, riga.left(uguale), riga.mid(uguale + 1)});
}

} // namespace

std::vector<TNorvane> ScomponiNorvane(const QString& testo) {
    std::vector<TNorvane> voci;
    QString intestazione;
    QString riga;
    qsizetype inizio = 0;
    while (inizio < testo.size()) {
        qsizetype fine = testo.indexOf(u'\n', inizio);
        if (fine < 0)
            fine = testo.size();
        riga = testo.mid(inizio, fine - inizio);
        riga.remove(u'\r');
        InterpretaRiga(riga, intestazione, voci);
        inizio = fine + 1;
    }
    return voci;
}

QString TogliMarcheInattiva(const QString& testo) {
    QString risultato = testo;
    while (risultato.contains(MarcaInattiva))
        risultato.remove(MarcaInattiva);
    return risultato;
}

QString MarcaDitteInattive(const QString& testo, const QStringList& disattive) {
    QString risultato = TogliMarcheInattiva(testo);
    for (const QString& ditta : disattive)
        risultato.replace(u'[' + ditta + u']', u'[' + ditta + MarcaInattiva + u']');
    return risultato;
}

void DividiIntestazioni(const QStringList& intestazioni, QStringList& attive,
                        QStringList& disattive) {
    for (const QString& intestazione : intestazioni) {
        if (intestazione.contains(MarcaInattiva))
            disattive.append(TogliMarcheInattiva(intestazione));
        else
            attive.append(intestazione);
    }
}

bool DittaElencabile(const QString& intestazione) {
    return !intestazione.isEmpty() && !intestazione.contains(MarcaInattiva.trimmed(), Qt::CaseInsensitive);
}

StatoDitta StatoDittaTra(const QStringList& intestazioni, const QString& ditta) {
    if (ditta.isEmpty())
        return StatoDitta::NonAbilitata;
    StatoDitta stato = StatoDitta::NonAbilitata;
    for (const QString& intestazione : intestazioni) {
        if (intestazione == ditta && DittaElencabile(intestazione))
            return StatoDitta::Abilitata;
        QString senzaMarca = intestazione;
        while (senzaMarca.contains(MarcaInattiva, Qt::CaseInsensitive))
            senzaMarca.remove(MarcaInattiva, Qt::CaseInsensitive);
        if (!DittaElencabile(intestazione) && (intestazione == ditta || senzaMarca == ditta))
            stato = StatoDitta::Disattivata;
    }
    return stato;
}
