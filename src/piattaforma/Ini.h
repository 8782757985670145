#pragma once

#include <QString>
#include <QStringList>

namespace piattaforma {

// Profile files (.ini) with the rules of Windows GetPrivateProfileString and
// WritePrivateProfileString. Everything reads and writes through Ini(), so tests can put
// an in-memory fake in place of the disk.
class ProfiliIni {
public:
    virtual ~ProfiliIni() = default;
    // A missing file, section or key reads as the empty text.
    virtual QString Leggi(const QString& file, const QString& sezione, const QString& chiave) = 0;
    virtual bool Scrivi(const QString& file, const QString& sezione, const QString& chiave,
                        const QString& valore) = 0;
    // Section names in file order, as GetPrivateProfileSectionNames gives them; a missing
    // file has none.
    virtual QStringList Sezioni(const QString& file) = 0;
};

// The real files, in Windows-1252, re-read on every call so a write shows at once.
class ProfiliIniSuDisco : public ProfiliIni {
public:
    QString Leggi(const QString& file, const QString& sezione, const QString& chiave) override;
    // Creates the file but not its directory.
    bool Scrivi(const QString& file, const QString& sezione, const QString& chiave,
                const QString& valore) override;
    QStringList Sezioni(const QString& file) override;
};

ProfiliIni& Ini();
// nullptr restores the disk implementation.
void ImpostaIni(ProfiliIni* profili);

QString LeggiIni(const QString& file, const QString& sezione, const QString& chiave);
bool ScriviIni(const QString& file, const QString& sezione, const QString& chiave,
               const QString& valore);
QStringList SezioniIni(const QString& file);

// What a read returns for a value as it stands after the '=': blanks around it dropped
// and, as Windows does, one pair of enclosing single or double quotes.
QString PulisciValoreIni(const QString& grezzo);

} // namespace piattaforma
