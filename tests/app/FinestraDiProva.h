#pragma once

// An installation with users, a project with one program and the test function library
// on its menu rows, and the real access window over it.

#include "app/BaseMain.h"
#include "fixture/Installazione.h"
#include "fixture/MessaggiRegistrati.h"
#include "librerie/LetturaProva.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

class FinestraDiProva : public ::testing::Test {
protected:
    FinestraDiProva() {
        Utenti({"INSERT INTO UTENTI (CODICE, NOMEUTENTE, PWDUTENTE, DITTA, ACCESSONORVANE, PROFILOSICUREZZA, "
                "PROGETTO, MANTIENISTDMIN) VALUES (1, 'ROSSI', NULL, 'ALFA', '1', 1, 1, NULL)",
                "INSERT INTO UTENTI (CODICE, NOMEUTENTE, PWDUTENTE, DITTA, ACCESSONORVANE, PROFILOSICUREZZA, "
                "PROGETTO, MANTIENISTDMIN) VALUES (2, 'D''ANGELO', 'Perù', 'ALFA', NULL, NULL, 1, '1')",
                "INSERT INTO UTENTI (CODICE, NOMEUTENTE, DITTA, PROFILOSICUREZZA, PROGETTO, MANTIENISTDMIN) "
                "VALUES (3, 'VERDI', 'ALFA', NULL, 1, '0')",
                "INSERT INTO UTENTI (CODICE, NOMEUTENTE, DITTA, PROFILOSICUREZZA, PROGETTO) "
                "VALUES (4, 'NERI', 'ALFA', 1, NULL)",
                "INSERT INTO PROFILI (CODICE, LIVELLOPREDEFINITO) VALUES (1, 1)",
                "INSERT INTO PROFILI (CODICE, LIVELLOPREDEFINITO) VALUES (5, 1)",
                "INSERT INTO PROGRAMMI (CODICE, DESCRIZIONE) VALUES (10, 'Prova')",
                "INSERT INTO DETTPROGETTI (PROGETTO, PROGRAMMA) VALUES (1, 10)",
                "INSERT INTO DETTPROGETTI (PROGETTO, PROGRAMMA) VALUES (2, 10)",
                "INSERT INTO DETTMENU (PROGRAMMA, MENU, LIVELLOMENU, MENUPREC, VISIBILE, DESCRIZIONE) "
                "VALUES (10, 1, 0, NULL, '1', 'Funzioni')"});
        for (int utente = 1; utente <= 4; ++utente)
            Parametro(utente, "ALFA", "Archivio", installazione.FileArchivio());
    }

    void Utenti(const QStringList& istruzioni) {
        prova::InstallazioneDiProva::Esegui(installazione.FileUtenti(), istruzioni);
    }
    QString ValoreUtenti(const QString& istruzione) {
        return prova::InstallazioneDiProva::Valore(installazione.FileUtenti(), istruzione);
    }
    void Parametro(int utente, const QString& ditta, const QString& nome, const QString& valore) {
        static int progressivo = 0;
        Utenti({QStringLiteral("INSERT INTO TABNORVANE (UTENTE, INTESTAZIONE, PARAMETRO, VALORE, PROGRESSIVO) "
                               "VALUES (%1, '%2', '%3', '%4', %5)")
                    .arg(utente)
                    .arg(ditta, nome, QString(valore).replace("'", "''"))
                    .arg(++progressivo)});
    }
    // An entry of program 10 under "Funzioni", running the test library.
    void Voce(int menu, const QString& funzione, const QString& livello2 = {}, const QString& parametri = {},
              const QString& dll = prova::PercorsoProvaFunzioni()) {
        const auto testo = [](const QString& v) {
            return v.isNull() ? QStringLiteral("NULL") : "'" + QString(v).replace("'", "''") + "'";
        };
        Utenti({QStringLiteral("INSERT INTO DETTMENU (PROGRAMMA, MENU, LIVELLOMENU, MENUPREC, VISIBILE, "
                               "DESCRIZIONE, LIVELLO2VERSIONE, DLL, FUNZIONE, PARAMETRIBLOB) "
                               "VALUES (10, %1, 1, 1, '1', 'Voce %1', %2, %3, %4, %5)")
                    .arg(menu)
                    .arg(testo(livello2), testo(dll), testo(funzione), testo(parametri))});
    }

    // Both exports of the test library are critical windows; the first may not open while the
    // second is taken.
    void CollegaFinestreCritiche(const QString& principale, const QString& collegata) {
        const QString dll = prova::PercorsoProvaFunzioni();
        const auto critica = [&dll](const QString& form) {
            return QStringLiteral("INSERT INTO SEMAFORIFCRITICHE (DLL, FORM, OSSERVATASPECIALE) VALUES ('%1', '%2', 0)")
                .arg(dll, form);
        };
        prova::InstallazioneDiProva::Esegui(
            installazione.FileArchivio(),
            {critica(principale), critica(collegata),
             QStringLiteral("INSERT INTO SEMAFORIFCRITICHECOLL (DLLPRIN, FORMPRIN, DLLCOLLEGATA, FORMCOLLEGATA) "
                            "VALUES ('%1', '%2', '%1', '%3')")
                 .arg(dll, principale, collegata)});
    }

    TBaseMainForm& Finestra() {
        if (!finestra_)
            finestra_ = std::make_unique<TBaseMainForm>();
        return *finestra_;
    }
    void Chiudi() { finestra_.reset(); }

    // Chooses the user on the default page and clicks OK, as a user does: an error that
    // the login does not catch reaches the general handler.
    void Entra(const QString& nome, const QString& password = {}) {
        TBaseMainForm& f = Finestra();
        f.ComboUtenti1->setCurrentIndex(f.ComboUtenti1->findText(nome));
        f.EditPassword1->setText(password);
        QTest::mouseClick(f.ButtonOk, Qt::LeftButton);
    }

    prova::InstallazioneDiProva installazione;
    MessaggiInstallati msg;
    prova::LibreriaProva libreria;

private:
    std::unique_ptr<TBaseMainForm> finestra_;
};
