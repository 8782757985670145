#include "fb/Istruzioni.h"

#include <QRegularExpression>

namespace fb {

void AggiungiRighe(TRighe& righe, const QStringList& nuove) {
    for (const QString& riga : nuove)
        righe.Add(riga);
}

void AggiungiElenco(TRighe& righe, const QStringList& voci) {
    for (qsizetype i = 0; i < voci.size(); ++i)
        righe.Add(i + 1 < voci.size() ? voci[i] + QLatin1Char(',') : voci[i]);
}

namespace {

QStringList ConPrefisso(const QString& prefisso, const QStringList& nomi) {
    QStringList risultato;
    for (const QString& nome : nomi)
        risultato.append(prefisso + nome);
    return risultato;
}

} // namespace

void ScriviModifica(TRighe& istruzione, const QString& tabella, const QStringList& colonne,
                    const QStringList& parametri) {
    istruzione.Clear();
    istruzione.Add(QStringLiteral("UPDATE ") + tabella);
    istruzione.Add(QStringLiteral("SET"));
    QStringList assegnazioni;
    for (qsizetype i = 0; i < colonne.size(); ++i)
        assegnazioni.append(colonne[i] + QStringLiteral("=:") + parametri.value(i));
    AggiungiElenco(istruzione, assegnazioni);
}

void ScriviInserimento(TRighe& istruzione, const QString& tabella, const QStringList& colonne,
                       const QStringList& parametri) {
    istruzione.Clear();
    istruzione.Add(QStringLiteral("INSERT INTO ") + tabella);
    istruzione.Add(QStringLiteral("("));
    AggiungiElenco(istruzione, colonne);
    istruzione.Add(QStringLiteral(")"));
    istruzione.Add(QStringLiteral("VALUES"));
    istruzione.Add(QStringLiteral("("));
    AggiungiElenco(istruzione, ConPrefisso(QStringLiteral(":"), parametri));
    istruzione.Add(QStringLiteral(")"));
}

namespace {

bool NomeSemplice(const QString& nome) {
    static const QRegularExpression semplice(QStringLiteral("^[A-Za-z][A-Za-z0-9_$]*$"));
    return semplice.match(nome).hasMatch();
}

} // namespace

QString IdentificatoreEsatto(const QString& nome) {
    QString interno = nome;
    interno.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + interno + QLatin1Char('"');
}

QString Identificatore(const QString& nome) {
    return IdentificatoreEsatto(NomeSemplice(nome) ? nome.toUpper() : nome);
}

QString NomeColonna(const QString& nome) {
    return NomeSemplice(nome) && nome == nome.toUpper() ? nome : IdentificatoreEsatto(nome);
}

} // namespace fb
