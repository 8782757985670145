#pragma once

// How a grid shows and reads the values of a dataset's columns, the Italian way, and what a
// column can hold. No widgets: any window may use it.
//
// Shown: exact numbers (NUMERIC, DECIMAL) with dots between thousands and the column's
// decimals ("7.500,50"); floating numbers the same with the decimals they have; integers
// without grouping, because in these archives they are mostly codes, years and counters
// ("Codice 1234", not "1.234"); dates dd/MM/yyyy; flags "Sì" and "No". For editing, numbers
// come without the thousands dots. Typed: see piattaforma/FormatoItaliano.h.

#include "../fb/DataSet.h"

#include <QDate>
#include <QString>
#include <QVariant>

struct TValoreLetto {
    // As the dataset keeps it for the column (NULL for the empty text).
    QVariant Valore;
    // Why it cannot be stored there, for the user; empty when it can.
    QString Errore;
    bool Valido() const { return Errore.isEmpty(); }
};

QString FormattaCampo(const fb::TDefinizioneCampo& campo, const QVariant& valore, bool perModifica = false);

// What the user typed, checked against what the column can hold: a text longer than the
// column, a number out of its range, its precision or its decimals, a text that is not a
// number, date or time are refused with the reason.
TValoreLetto LeggiTestoCampo(const fb::TDefinizioneCampo& campo, const QString& testo,
                             int annoCorrente = QDate::currentDate().year());

// True when two values as the dataset keeps them are the same for the column: exact numbers
// compare by value ("7500.5" and "7500.50" are the same).
bool ConfrontaValoriCampo(const fb::TDefinizioneCampo& campo, const QVariant& uno, const QVariant& altro);

// Numbers to the right, the rest to the left, as accounts are read.
Qt::Alignment ScegliAllineamento(const fb::TDefinizioneCampo& campo);
