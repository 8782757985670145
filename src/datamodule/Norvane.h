#pragma once

// The maker parameter text (UTENTI.NORVANE) as the editor reads it back, and the marks that
// disable a company. No widget and no database here: the editor and the fuzz target use it.

#include <QString>
#include <QStringList>

#include <vector>

// One parameter taken from the text: the company heading it stands under, its name and its
// value, each exactly as written (nothing trimmed).
struct TNorvane {
    QString Intestazione;
    QString Parametro;
    QString Valore;

    bool operator==(const TNorvane&) const = default;
};

// A blank, then the mark: a heading that contains it is a disabled company.
inline const QString MarcaInattiva = QStringLiteral(" <INATTIVA>");

// The parameters of the text, in text order. A line feed ends a line and carriage returns
// count for nothing. A line starting with "[" sets the heading to the line without its
// first and last character; an empty line clears the heading; any other line with "=" is
// a parameter, name before the first "=" and value after it, taken only while both the
// heading and the name are non-empty. There is no bound on the number of entries.
std::vector<TNorvane> ScomponiNorvane(const QString& testo);

// The text with every mark removed, until none is left (removing one can join the pieces
// of another around it).
QString TogliMarcheInattiva(const QString& testo);

// The text with every mark removed, then each "[h]" of a disabled heading h turned into
// "[h <INATTIVA>]", in list order; letter case counts.
QString MarcaDitteInattive(const QString& testo, const QStringList& disattive);

// The headings of the enabling dialog, in the order given: a heading holding the mark goes,
// with every mark removed, to the disabled ones; any other goes unchanged to the active ones.
void DividiIntestazioni(const QStringList& intestazioni, QStringList& attive,
                        QStringList& disattive);

// Whether a heading is offered as a company: not empty, and without the mark in any letter case.
bool DittaElencabile(const QString& intestazione);

// Where a company stands among a user's headings: offered, disabled (its heading carries
// the mark), or not one of the user's companies at all.
enum class StatoDitta { Abilitata, Disattivata, NonAbilitata };
StatoDitta StatoDittaTra(const QStringList& intestazioni, const QString& ditta);
