#pragma once

// Rules of the access window that need no widget.

#include <QString>

#include <functional>

inline const QString ModalitaStandard = QStringLiteral("STANDARD");
inline const QString ModalitaSmall = QStringLiteral("SMALL");

// Whether a user with that INFO1 is listed in that program mode: desktops list users with no
// INFO1 or "PC", compact terminals those with no INFO1 or "TERM"; exact, case-sensitive.
bool UtenteElencabile(const QString& modalitaProgramma, const QString& info1);

// The compact layout's scaling from the screen size, designed for 230 x 300.
struct ScalaCompatta {
    double Fattore;   // the smaller of width / 230 and height / 300
    int Centesimi;    // round(Fattore * 100): the window is scaled by Centesimi / 100
    int FontVoci;     // round(Fattore) * 4 + 8, for the navigation bar's items
};
ScalaCompatta CalcolaScalaCompatta(int larghezzaSchermo, int altezzaSchermo);

// Nearest integer, halves to the even neighbour.
long ArrotondaPari(double valore);

// The caption of a menu entry below the menu bar: the text before "<LINEA>" followed by the
// value of the parameter named between the tags; what follows "</LINEA>" is dropped. A
// missing or misplaced closing tag names the parameter with the empty text. A caption
// without "<LINEA>" is shown as it is and reads no parameter.
QString TestoVoceMenu(const QString& descrizione,
                      const std::function<QString(const QString&)>& valoreParametro);
