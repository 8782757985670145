#include "forms/SceltaDisco.h"
#include "app/FinestraDiProva.h"
#include "datamodule/TabX.h"
#include "fb/Database.h"
#include "fb/Query.h"
#include "fb/Transazione.h"
#include "fixture/DatabaseDiProva.h"
#include "fixture/Dialoghi.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QStackedWidget>

#include <functional>

using piattaforma::TipoMessaggio;

namespace {

const QString OperazioneNegata =
    QStringLiteral("Operazione negata: scegliere un'utente ed inserire l'eventuale password. Fare "
                   "attenzione al maiuscolo / minuscolo");
const QString ErroreUpdate = QStringLiteral("Errore interno di UPDATE: impossibile modificare la "
                                            "lettera disco nelle impostazioni dell'utente");
const QString Effettuato = QStringLiteral("Aggiornamento percorsi effettuato");
const QString DiscoNonValido = QStringLiteral("Attenzione: il disco impostato non è valido");

// The users of FinestraDiProva, all entitled to the disk choice, on a machine with the drives
// c: (where the program is), d: and q: (a link that points nowhere), and z: for the root.
// Every update of TABNORVANE is logged in AGGIORNATI, so a test sees which rows a run
// rewrote, a value written back unchanged included. Statement dumps land in a throw-away
// current directory.
class SceltaDisco : public FinestraDiProva {
protected:
    SceltaDisco() {
        Utenti(
            {"UPDATE UTENTI SET ABILITASCELTADISCO='1'",
             "CREATE TABLE AGGIORNATI (UTENTE INTEGER, INTESTAZIONE VARCHAR(120), PARAMETRO "
             "VARCHAR(100))",
             "CREATE TRIGGER TABNORVANE_AGGIORNATI FOR TABNORVANE AFTER UPDATE AS BEGIN "
             "INSERT INTO AGGIORNATI VALUES (NEW.UTENTE, NEW.INTESTAZIONE, NEW.PARAMETRO); END"});
        EXPECT_TRUE(QDir(installazione.Directory()).mkpath("dosdevices"));
        Collega("c:", installazione.Directory().chopped(1));
        Collega("d:", discoD.Percorso().chopped(1));
        Collega("q:", installazione.Directory() + "manca");
        precedente_ = QDir::currentPath();
        EXPECT_TRUE(QDir::setCurrent(corrente.Percorso()));
    }
    ~SceltaDisco() override { QDir::setCurrent(precedente_); }

    void Collega(const QString& unita, const QString& destinazione) {
        EXPECT_TRUE(QFile::link(destinazione, installazione.Directory() + "dosdevices/" + unita));
    }

    // Every row of a select, its columns joined by "|"; NULL reads as empty.
    QStringList Righe(const QString& istruzione) {
        fb::TDatabase database;
        prova::ImpostaParametriApertura(database, installazione.FileUtenti());
        database.Open();
        fb::TTransazione transazione(&database);
        fb::TQuery query(&database, &transazione);
        query.SQL.Add(istruzione);
        query.Open();
        QStringList righe;
        for (; !query.Eof(); query.Next()) {
            QStringList colonne;
            for (int i = 0; i < query.FieldCount(); ++i)
                colonne << query.Fields(i).AsString();
            righe << colonne.join('|');
        }
        return righe;
    }
    QStringList Valori(int utente) {
        return Righe(
            QStringLiteral("SELECT INTESTAZIONE, PARAMETRO, VALORE FROM TABNORVANE WHERE UTENTE=%1 "
                           "ORDER BY PROGRESSIVO")
                .arg(utente));
    }
    QStringList Aggiornati(int utente) {
        return Righe(
            QStringLiteral("SELECT INTESTAZIONE, PARAMETRO FROM AGGIORNATI WHERE UTENTE=%1 "
                           "ORDER BY INTESTAZIONE, PARAMETRO")
                .arg(utente));
    }
    QString UltimoDisco(int utente) {
        return ValoreUtenti(
            QStringLiteral(
                "SELECT COALESCE(ULTIMODISCOSCELTO, '<NULL>') FROM UTENTI WHERE CODICE=%1")
                .arg(utente));
    }
    QString Norvane(int utente) {
        return ValoreUtenti(
            QStringLiteral("SELECT COALESCE(NORVANE, '<NULL>') FROM UTENTI WHERE CODICE=%1")
                .arg(utente));
    }

    // The user chosen on the default page, the password typed, and "Scelta disco" clicked;
    // the dialog, when it opens, is answered by risposta.
    void ScegliDisco(const QString& nome, const QString& password,
                     std::function<void(TSceltaDiscoForm&)> risposta) {
        TBaseMainForm& f = Finestra();
        f.NotebookMain->setCurrentWidget(f.ModalitaDefault);
        f.ComboUtenti1->setCurrentIndex(f.ComboUtenti1->findText(nome));
        f.EditPassword1->setText(password);
        if (risposta)
            prova::QuandoSiApre<TSceltaDiscoForm>(std::move(risposta));
        QTest::mouseClick(f.ButtonSceltaDisco, Qt::LeftButton);
    }
    // The same from the list page, whose button shows whoever is selected; an empty name
    // leaves no row selected.
    void ScegliDiscoDaLista(const QString& nome, const QString& password,
                            std::function<void(TSceltaDiscoForm&)> risposta) {
        TBaseMainForm& f = Finestra();
        f.NotebookMain->setCurrentWidget(f.ModalitaLista);
        const QList<QListWidgetItem*> righe = f.ListaUtenti2->findItems(nome, Qt::MatchExactly);
        if (nome.isEmpty() || righe.isEmpty())
            f.ListaUtenti2->clearSelection();
        else
            f.ListaUtenti2->setCurrentItem(righe.first());
        f.EditPassword2->setText(password);
        if (risposta)
            prova::QuandoSiApre<TSceltaDiscoForm>(std::move(risposta));
        QTest::mouseClick(f.ButtonSceltaDisco2, Qt::LeftButton);
    }
    static std::function<void(TSceltaDiscoForm&)> Scegli(const QString& lettera) {
        return [lettera](TSceltaDiscoForm& d) {
            ASSERT_TRUE(d.ImpostaDisco(lettera));
            QTest::mouseClick(d.ButtonOk, Qt::LeftButton);
        };
    }

    QStringList Dump() const {
        QFile file(QDir::current().filePath("Quendra.SceltaDisco.sql"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLatin1(file.readAll()).split('\n');
    }

    prova::CartellaProva discoD;
    prova::CartellaProva corrente;

private:
    QString precedente_;
};

// ROSSI's paths of every shape ("@" stands for the chosen letter in what is expected),
// and D'ANGELO's path that is not his to change.
struct Riga {
    const char* intestazione;
    const char* parametro;
    const char* valore;
    const char* atteso;
    bool aggiornata;
};
const Riga RigheRossi[] = {
    {"ALFA", "Percorso", "C:\\Dati\\archivio.fdb", "@:\\Dati\\archivio.fdb", true},
    {"ALFA", "DuePercorsi", "c:\\uno;E:\\due", "@:\\uno;E:\\due", true},
    {"ALFA", "Radice", ":\\senza lettera", ":\\senza lettera", true},
    {"ALFA", "Barre", "C:/avanti", "C:/avanti", false},
    {"ALFA", "Rovescio", "C\\:x", "C\\:x", false},
    {"ALFA", "Testo", "nessun percorso", "nessun percorso", false},
    {"D'ORO", "Percorso", "C:\\D'Angelo\\x", "@:\\D'Angelo\\x", true},
};

class RiscritturaPercorsi : public SceltaDisco, public ::testing::WithParamInterface<const char*> {
protected:
    RiscritturaPercorsi() {
        // The helper writes the heading as it is given.
        for (const Riga& riga : RigheRossi)
            Parametro(1, QString(riga.intestazione).replace("'", "''"), riga.parametro,
                      riga.valore);
        Parametro(2, "ALFA", "Percorso", "C:\\Dati");
    }
};

// The letter goes in lower case into the first path of each of the user's values that hold
// ":\", into the last disk and into the rebuilt NORVANE; the same letter the paths have
// already rewrites them all the same.
TEST_P(RiscritturaPercorsi, RewritesOnlyTheUsersFirstDriveLetters) {
    const QString lettera = QString::fromLatin1(GetParam());
    ScegliDisco("ROSSI", "", Scegli(lettera));

    ASSERT_EQ(msg->Mostrati.size(), 1u) << msg->Testi().join('|').toStdString();
    EXPECT_EQ(msg->Mostrati[0].tipo, TipoMessaggio::Informazione);
    EXPECT_EQ(msg->Mostrati[0].testo, Effettuato);

    QStringList attesi{"ALFA|Archivio|" + installazione.FileArchivio()};
    QStringList aggiornati;
    QString immagineAlfa = "[ALFA]\nArchivio=" + installazione.FileArchivio() + "\n";
    QString immagineDoro;
    for (const Riga& riga : RigheRossi) {
        const QString valore = QString::fromLatin1(riga.atteso).replace('@', lettera);
        attesi << QStringLiteral("%1|%2|%3").arg(riga.intestazione, riga.parametro, valore);
        if (riga.aggiornata)
            aggiornati << QStringLiteral("%1|%2").arg(riga.intestazione, riga.parametro);
        (QString(riga.intestazione) == "ALFA" ? immagineAlfa : immagineDoro) +=
            QStringLiteral("%1=%2\n").arg(riga.parametro, valore);
    }
    aggiornati.sort();
    EXPECT_EQ(Valori(1), attesi);
    EXPECT_EQ(Aggiornati(1), aggiornati) << "every value holding \":\\\" and nothing else";
    EXPECT_EQ(UltimoDisco(1), lettera);
    EXPECT_EQ(Norvane(1), immagineAlfa + "[D'ORO]\n" + immagineDoro);

    EXPECT_EQ(Valori(2), (QStringList{"ALFA|Archivio|" + installazione.FileArchivio(),
                                      "ALFA|Percorso|C:\\Dati"}));
    EXPECT_TRUE(Aggiornati(2).isEmpty());
    EXPECT_EQ(UltimoDisco(2), "<NULL>");
    EXPECT_EQ(Norvane(2), "<NULL>");
    EXPECT_FALSE(QFile::exists(QDir::current().filePath("Quendra.SceltaDisco.sql")));
}

INSTANTIATE_TEST_SUITE_P(Lettere, RiscritturaPercorsi, ::testing::Values("d", "c", "z"));

// The dialog proposes the stored last disk when its root is there, else the drive the program
// runs from; Cancel then leaves everything as it was, without a word.
TEST_F(SceltaDisco, ProposesTheLastDiskOrTheProgramsDriveAndCancelWritesNothing) {
    struct Caso {
        const char* ultimo; // nullptr for NULL
        const char* proposto;
        bool programmaSenzaUnita = false;
    };
    const Caso casi[] = {
        {nullptr, "c"}, {"", "c"},   {"q", "c"}, {"y", "c"},
        {"D", "d"},     {"dx", "d"}, {"z", "z"}, {nullptr, "z", true},
    };
    Parametro(1, "ALFA", "Percorso", "C:\\Dati");
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.ultimo ? caso.ultimo : "NULL");
        Chiudi();
        msg->Svuota();
        if (caso.programmaSenzaUnita) {
            ASSERT_TRUE(QFile::remove(installazione.Directory() + "dosdevices/c:"));
        }
        Utenti({caso.ultimo
                    ? QStringLiteral("UPDATE UTENTI SET ULTIMODISCOSCELTO='%1' WHERE CODICE=1")
                          .arg(caso.ultimo)
                    : QStringLiteral("UPDATE UTENTI SET ULTIMODISCOSCELTO=NULL WHERE CODICE=1")});
        QString proposto;
        ScegliDisco("ROSSI", "", [&](TSceltaDiscoForm& d) {
            proposto = d.DiscoScelto();
            QTest::mouseClick(d.ButtonCancel, Qt::LeftButton);
        });
        EXPECT_EQ(proposto, caso.proposto);
        EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
        EXPECT_EQ(UltimoDisco(1), caso.ultimo ? caso.ultimo : "<NULL>");
        EXPECT_EQ(Valori(1).last(), "ALFA|Percorso|C:\\Dati");
        EXPECT_TRUE(Aggiornati(1).isEmpty());
        EXPECT_EQ(Norvane(1), "<NULL>");
    }
}

// A dangling link is offered, but OK on it only warns: the dialog stays for another choice.
TEST_F(SceltaDisco, ADriveWithoutRootKeepsTheDialogOpen) {
    Parametro(1, "ALFA", "Percorso", "C:\\Dati");
    bool apertoDopoOk = false;
    ScegliDisco("ROSSI", "", [&](TSceltaDiscoForm& d) {
        ASSERT_TRUE(d.ImpostaDisco("q"));
        QTest::mouseClick(d.ButtonOk, Qt::LeftButton);
        apertoDopoOk = d.isVisible();
        EXPECT_TRUE(Aggiornati(1).isEmpty()) << "nothing runs while the dialog is open";
        ASSERT_TRUE(d.ImpostaDisco("d"));
        QTest::mouseClick(d.ButtonOk, Qt::LeftButton);
    });
    EXPECT_TRUE(apertoDopoOk);
    ASSERT_EQ(msg->Mostrati.size(), 2u) << msg->Testi().join('|').toStdString();
    EXPECT_EQ(msg->Mostrati[0].tipo, TipoMessaggio::Avviso);
    EXPECT_EQ(msg->Mostrati[0].testo, DiscoNonValido);
    EXPECT_EQ(msg->Mostrati[1].testo, Effettuato);
    EXPECT_EQ(Valori(1).last(), "ALFA|Percorso|d:\\Dati");
}

// No dialog, nothing written; both password fields are emptied.
TEST_F(SceltaDisco, WrongPasswordOrNoUserIsRefused) {
    Parametro(2, "ALFA", "Percorso", "C:\\Dati");
    for (const auto& [nome, password] :
         {std::pair{"D'ANGELO", "perù"}, std::pair{"D'ANGELO", ""}, std::pair{"", "x"}}) {
        SCOPED_TRACE((nome + QString("/") + password).toStdString());
        msg->Svuota();
        Finestra().EditPassword1->setText("resto");
        ScegliDiscoDaLista(nome, password, nullptr);
        ASSERT_EQ(msg->Mostrati.size(), 1u);
        EXPECT_EQ(msg->Mostrati[0].tipo, TipoMessaggio::Errore);
        EXPECT_EQ(msg->Mostrati[0].testo, OperazioneNegata);
        EXPECT_EQ(Finestra().EditPassword1->text(), QString());
        EXPECT_EQ(Finestra().EditPassword2->text(), QString());
    }
    EXPECT_TRUE(Aggiornati(2).isEmpty());
    EXPECT_EQ(UltimoDisco(2), "<NULL>");
}

// A user removed by another workstation after the window opened may still pass the password
// check, which reads an older snapshot; the choice itself finds nobody and refuses.
TEST_F(SceltaDisco, AUserRemovedElsewhereIsRefused) {
    Parametro(1, "ALFA", "Percorso", "C:\\Dati");
    Finestra();
    Utenti({"DELETE FROM UTENTI WHERE CODICE=1"});
    ScegliDisco("ROSSI", "", nullptr);
    EXPECT_EQ(msg->Testi(), QStringList{OperazioneNegata});
    EXPECT_EQ(Valori(1).last(), "ALFA|Percorso|C:\\Dati");
    EXPECT_TRUE(Aggiornati(1).isEmpty());
}

// The list page's button runs the same choice, for the user selected in the list.
TEST_F(SceltaDisco, TheListPageButtonActsOnTheListsUser) {
    Parametro(1, "ALFA", "Percorso", "C:\\Rossi");
    Parametro(2, "ALFA", "Percorso", "C:\\Dati");
    ScegliDiscoDaLista("D'ANGELO", "Perù", Scegli("d"));
    EXPECT_EQ(msg->Testi(), QStringList{Effettuato});
    EXPECT_EQ(Valori(2).last(), "ALFA|Percorso|d:\\Dati");
    EXPECT_EQ(Valori(1).last(), "ALFA|Percorso|C:\\Rossi");
    EXPECT_EQ(UltimoDisco(2), "d");
}

// Rows added or changed by another workstation after the window opened are rewritten too:
// the run reads a fresh snapshot, so it neither skips them nor meets an update conflict.
TEST_F(SceltaDisco, RowsCommittedElsewhereAfterTheStartAreRewrittenToo) {
    Parametro(1, "ALFA", "Percorso", "C:\\Dati");
    Finestra();
    Parametro(1, "ALFA", "Nuovo", "C:\\nuovo");
    Utenti({"UPDATE TABNORVANE SET VALORE='E:\\cambiato' WHERE UTENTE=1 AND PARAMETRO='Percorso'",
            "UPDATE UTENTI SET ULTIMODISCOSCELTO='z' WHERE CODICE=1"});
    QString proposto;
    ScegliDisco("ROSSI", "", [&](TSceltaDiscoForm& d) {
        proposto = d.DiscoScelto();
        Scegli("d")(d);
    });
    EXPECT_EQ(proposto, "z");
    EXPECT_EQ(msg->Testi(), QStringList{Effettuato});
    const QStringList valori = Valori(1);
    EXPECT_TRUE(valori.contains("ALFA|Percorso|d:\\cambiato")) << valori.join('\n').toStdString();
    EXPECT_TRUE(valori.contains("ALFA|Nuovo|d:\\nuovo")) << valori.join('\n').toStdString();
}

struct CasoFallimento {
    const char* nome;
    QStringList preparazione;
    QStringList dump; // the failed statement, as saved
};

void PrintTo(const CasoFallimento& caso, std::ostream* os) {
    *os << caso.nome;
}

class FallimentoScelta : public SceltaDisco,
                         public ::testing::WithParamInterface<CasoFallimento> {};

// A refused path update, last-disk update or commit stops the run: the statement is saved,
// every update of the run is rolled back, one error box. The next choice then works.
TEST_P(FallimentoScelta, RollsBackTheWholeRunAndSavesTheStatement) {
    Parametro(1, "ALFA", "Primo", "C:\\uno");
    Parametro(1, "ALFA", "Blocco", "C:\\Blocco");
    Parametro(1, "ALFA", "Ultimo", "C:\\tre");
    Utenti(GetParam().preparazione);
    const QStringList prima = Valori(1);
    ScegliDisco("ROSSI", "", Scegli("d"));

    ASSERT_EQ(msg->Mostrati.size(), 1u) << msg->Testi().join('|').toStdString();
    EXPECT_EQ(msg->Mostrati[0].tipo, TipoMessaggio::Errore);
    EXPECT_EQ(msg->Mostrati[0].testo, ErroreUpdate);
    EXPECT_EQ(Dump(), GetParam().dump + QStringList{""});
    EXPECT_EQ(Valori(1), prima);
    EXPECT_TRUE(Aggiornati(1).isEmpty());
    EXPECT_EQ(UltimoDisco(1), "<NULL>");
    EXPECT_EQ(Norvane(1), "<NULL>");

    msg->Svuota();
    ScegliDisco("ROSSI", "", Scegli("z"));
    EXPECT_EQ(msg->Testi(), QStringList{Effettuato});
    EXPECT_EQ(Valori(1).mid(1),
              (QStringList{"ALFA|Primo|z:\\uno", "ALFA|Blocco|z:\\Blocco", "ALFA|Ultimo|z:\\tre"}));
    EXPECT_EQ(UltimoDisco(1), "z");
}

const QStringList UpdateUltimoDisco = {"UPDATE UTENTI SET ULTIMODISCOSCELTO='d'",
                                       "WHERE CODICE='1'"};

INSTANTIATE_TEST_SUITE_P(
    Casi, FallimentoScelta,
    ::testing::Values(
        CasoFallimento{
            "Percorso",
            {"ALTER TABLE TABNORVANE ADD CONSTRAINT RIFIUTA_BLOCCO CHECK (VALORE NOT STARTING WITH "
             "'d:\\Blocco')"},
            {"UPDATE TABNORVANE SET VALORE='d:\\Blocco'", "WHERE (UTENTE='1')AND",
             "(INTESTAZIONE='ALFA')AND", "(PARAMETRO='Blocco')"}},
        CasoFallimento{"UltimoDisco",
                       {"ALTER TABLE UTENTI ADD CONSTRAINT RIFIUTA_D CHECK (ULTIMODISCOSCELTO IS "
                        "DISTINCT FROM 'd')"},
                       UpdateUltimoDisco},
        CasoFallimento{"Conferma",
                       {"CREATE EXCEPTION CONFERMA_RIFIUTATA 'conferma rifiutata'",
                        "CREATE TRIGGER RIFIUTA_CONFERMA ON TRANSACTION COMMIT AS BEGIN "
                        "IF (EXISTS(SELECT 1 FROM UTENTI WHERE ULTIMODISCOSCELTO='d')) THEN "
                        "EXCEPTION CONFERMA_RIFIUTATA; END"},
                       UpdateUltimoDisco}),
    [](const ::testing::TestParamInfo<CasoFallimento>& info) {
        return std::string(info.param.nome);
    });

// While the dialog is open a second click does nothing and a close waits for the end of
// the choice, whose writes then go through.
TEST_F(SceltaDisco, OneChoiceAtATimeAndACloseWaitsForIt) {
    Parametro(1, "ALFA", "Percorso", "C:\\Dati");
    TBaseMainForm& f = Finestra();
    f.show();
    int dialoghi = 0;
    bool moduloDuranteLaScelta = false;
    ScegliDisco("ROSSI", "", [&](TSceltaDiscoForm& d) {
        for (QWidget* w : QApplication::topLevelWidgets())
            dialoghi += qobject_cast<TSceltaDiscoForm*>(w) && w->isVisible();
        f.ButtonSceltaDisco->click();
        f.ButtonSceltaDisco2->click();
        f.close();
        moduloDuranteLaScelta = f.TabXForm != nullptr;
        Scegli("d")(d);
    });
    EXPECT_EQ(dialoghi, 1);
    EXPECT_TRUE(moduloDuranteLaScelta);
    EXPECT_EQ(msg->Testi(), QStringList{Effettuato});
    EXPECT_EQ(Valori(1).last(), "ALFA|Percorso|d:\\Dati");
    QApplication::processEvents();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.TabXForm, nullptr);
}

} // namespace
