#include "app/RegoleAccesso.h"

#include <algorithm>
#include <cfenv>
#include <cmath>

bool UtenteElencabile(const QString& modalitaProgramma, const QString& info1) {
    if (modalitaProgramma == ModalitaSmall)
        return info1.isEmpty() || info1 == QStringLiteral("TERM");
    if (modalitaProgramma == ModalitaStandard)
        return info1.isEmpty() || info1 == QStringLiteral("PC");
    return false;
}

long ArrotondaPari(double valore) {
    // The default rounding mode of the floating point unit rounds halves to even.
    const int prima = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const long risultato = std::lrint(valore);
    std::fesetround(prima);
    return risultato;
}

ScalaCompatta CalcolaScalaCompatta(int larghezzaSchermo, int altezzaSchermo) {
    const long double rx = static_cast<long double>(larghezzaSchermo) / 230.0L;
    const long double ry = static_cast<long double>(altezzaSchermo) / 300.0L;
    const double s = static_cast<double>(std::min(rx, ry));
    return {s, static_cast<int>(ArrotondaPari(s * 100.0)), static_cast<int>(ArrotondaPari(s)) * 4 + 8};
}

QString TestoVoceMenu(const QString& descrizione,
                      const std::function<QString(const QString&)>& valoreParametro) {
    static const QString TagLinea = QStringLiteral("<LINEA>");
    static const QString TagFineLinea = QStringLiteral("</LINEA>");
    const qsizetype inizio = descrizione.indexOf(TagLinea);
    if (inizio < 0)
        return descrizione;
    // The first closing tag anywhere: one before the opening tag leaves the name empty.
    const qsizetype fine = descrizione.indexOf(TagFineLinea);
    const qsizetype lunghezza = fine - inizio - TagLinea.size();
    const QString nome =
        lunghezza > 0 ? descrizione.mid(inizio + TagLinea.size(), lunghezza) : QString();
    return descrizione.left(inizio) + valoreParametro(nome);
}
