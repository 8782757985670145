#include "fb/Database.h"
#include "fb/Errore.h"
#include "fb/Transazione.h"
#include "fixture/DatabaseDiProva.h"
#include "fixture/MessaggiRegistrati.h"
#include "forms/ModelloDataSet.h"
#include "piattaforma/Errori.h"

#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Types into a cell as a user does: F2 opens the editor, Enter ends it. Gives the text the
// editor started with.
QString ScriviNellaCella(QTableView& vista, const QModelIndex& cella, const QString& testo) {
    vista.setFocus();
    vista.setCurrentIndex(cella);
    QTest::keyClick(&vista, Qt::Key_F2);
    // The editor of an earlier cell may still wait for its deletion, hidden.
    QLineEdit* editore = nullptr;
    for (QLineEdit* aperto : vista.viewport()->findChildren<QLineEdit*>())
        if (aperto->isVisible())
            editore = aperto;
    if (editore == nullptr) {
        ADD_FAILURE() << "no editor opened";
        return {};
    }
    const QString iniziale = editore->text();
    QTest::keyClick(editore, Qt::Key_A, Qt::ControlModifier);
    if (QString::fromLatin1(testo.toLatin1()) == testo) {
        QTest::keyClicks(editore, testo);
    } else {
        // Key clicks carry Latin-1 only: other scripts come, as they do for users, from an
        // input method committing the text.
        QInputMethodEvent composto;
        composto.setCommitString(testo);
        QCoreApplication::sendEvent(editore, &composto);
    }
    QTest::keyClick(editore, Qt::Key_Return);
    QCoreApplication::processEvents(); // the view commits a queued call later
    return iniziale;
}

struct Griglia {
    Griglia() {
        dataset.Open();
        for (const char* nome : {"uno", "due", "tre"}) {
            dataset.Append();
            dataset.Fields(0).SetAsString(QString::fromLatin1(nome));
            dataset.Post();
        }
        vista.setModel(&modello);
        vista.resize(400, 300);
        vista.show();
    }
    void Scrivi(int riga, const QString& testo) { ScriviNellaCella(vista, modello.index(riga, 0), testo); }
    QString Cella(int riga) { return modello.data(modello.index(riga, 0)).toString(); }

    fb::TDataSetMemoria dataset{{{"NOME", fb::TGenere::Testo, 20}, {"N", fb::TGenere::Intero, 0}}};
    TModelloDataSet modello{dataset};
    QTableView vista;
};

TEST(ModelloDataSet, TypingInACellEditsThatRowThroughTheDataSet) {
    Griglia g;
    EXPECT_EQ(g.modello.headerData(0, Qt::Horizontal).toString(), "NOME");
    g.Scrivi(1, "nuovo");
    EXPECT_EQ(g.dataset.RecNo(), 1);
    EXPECT_EQ(g.dataset.State(), fb::TDataSet::Modifica);
    EXPECT_EQ(g.Cella(1), "nuovo");
    g.dataset.Post();
    g.dataset.Close();
    g.dataset.Open();
    EXPECT_EQ(g.modello.rowCount(), 3);
    EXPECT_EQ(g.Cella(1), "nuovo");
}

TEST(ModelloDataSet, ARefusedEditLeavesTheCellAndAWrongValueIsReported) {
    MessaggiInstallati msg;
    Griglia g;
    g.dataset.BeforeEdit = [](fb::TDataSet& ds) {
        if (ds.RecNo() == 0)
            throw piattaforma::EAbort();
    };
    g.Scrivi(0, "rifiutato");
    EXPECT_EQ(g.Cella(0), "uno");
    EXPECT_EQ(g.dataset.State(), fb::TDataSet::Consultazione);
    EXPECT_TRUE(msg->Testi().isEmpty()) << "the silent abort says nothing";

    g.vista.setCurrentIndex(g.modello.index(2, 1));
    EXPECT_FALSE(g.modello.setData(g.modello.index(2, 1), "dodici"));
    EXPECT_EQ(msg->Testi().size(), 1);
    EXPECT_EQ(g.modello.data(g.modello.index(2, 1)).toString(), "");
}

TEST(ModelloDataSet, RowsAddedAndTakenAwayReachTheGrid) {
    Griglia g;
    g.dataset.Append();
    EXPECT_EQ(g.modello.rowCount(), 4);
    g.dataset.Cancel();
    EXPECT_EQ(g.modello.rowCount(), 3);
    g.dataset.First();
    g.dataset.Delete();
    EXPECT_EQ(g.modello.rowCount(), 2);
    EXPECT_EQ(g.Cella(0), "due");
    g.dataset.Close();
    EXPECT_EQ(g.modello.rowCount(), 0);
}

// A dataset whose posts can be refused, as a lost lock or a row another user changed is.
class DataSetRifiutabile : public fb::TDataSetMemoria {
public:
    using TDataSetMemoria::TDataSetMemoria;
    bool RifiutaScrittura = false;

protected:
    void ScriviRiga(Stato stato, const Riga& vecchia, const Riga& nuova) override {
        if (RifiutaScrittura)
            throw fb::EErroreDB(QStringLiteral("lock conflict on no wait transaction"));
        TDataSetMemoria::ScriviRiga(stato, vecchia, nuova);
    }
};

enum Colonna { CODICE, CITTA, N, FIDO, DAL };

// Customers in a grid bound to their dataset, as a library's editing window has them.
struct Anagrafica {
    explicit Anagrafica(int righe = 3) {
        dataset.BeforeEdit = [this](fb::TDataSet&) { ++modificheIniziate; };
        dataset.Open();
        for (int i = 0; i < righe; ++i) {
            dataset.Append();
            dataset.Fields(CODICE).SetAsInteger(i + 1);
            dataset.Fields(CITTA).SetAsString(QStringLiteral("Città %1").arg(i + 1));
            dataset.Fields(N).SetAsInteger(10);
            dataset.Fields(FIDO).SetAsString(QStringLiteral("7500.5"));
            dataset.Fields(DAL).SetValue(QDate(2026, 2, 1));
            dataset.Post();
        }
        modificheIniziate = 0;
        modello.CollegaVista(vista);
        vista.resize(600, 300);
        vista.show();
    }
    QModelIndex Cella(int riga, Colonna colonna) const { return modello.index(riga, colonna); }
    QString Testo(int riga, Colonna colonna) const { return Cella(riga, colonna).data().toString(); }
    QString Scrivi(int riga, Colonna colonna, const QString& testo) {
        return ScriviNellaCella(vista, Cella(riga, colonna), testo);
    }

    DataSetRifiutabile dataset{{{"CODICE", fb::TGenere::Intero, 0, 4},
                                {"CITTA", fb::TGenere::Testo, 30},
                                {"N", fb::TGenere::Intero, 0, 2},
                                {"FIDO", fb::TGenere::Decimale, 0, 8, 2, 15},
                                {"DAL", fb::TGenere::Data}}};
    TModelloDataSet modello{dataset};
    QTableView vista;
    int modificheIniziate = 0;
};

TEST(ModelloDataSet, NumbersAndDatesAreShownAndTypedTheItalianWay) {
    Anagrafica a;
    EXPECT_EQ(a.Testo(0, FIDO), "7.500,50");
    EXPECT_EQ(a.Testo(0, DAL), "01/02/2026");
    EXPECT_EQ(a.Cella(0, FIDO).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight, Qt::AlignRight);

    // The editor starts without the thousands dots; what is typed is read the Italian way.
    EXPECT_EQ(a.Scrivi(1, FIDO, "12.345,6"), "7500,50");
    EXPECT_EQ(a.dataset.Valore(1, FIDO), QVariant("12345.6"));
    EXPECT_EQ(a.Testo(1, FIDO), "12.345,60");
    a.Scrivi(1, FIDO, "7500.25");
    EXPECT_EQ(a.dataset.Valore(1, FIDO), QVariant("7500.25"));

    const int anno = QDate::currentDate().year();
    a.Scrivi(1, DAL, QStringLiteral("3/4/%1").arg(anno % 100, 2, 10, QLatin1Char('0')));
    EXPECT_EQ(a.dataset.Valore(1, DAL), QVariant(QDate(anno, 4, 3)));
    EXPECT_EQ(a.Testo(1, DAL), QStringLiteral("03/04/%1").arg(anno));
    EXPECT_EQ(a.modificheIniziate, 1) << "one edit of row 1 for all its cells";
}

TEST(ModelloDataSet, AValueTheColumnCannotHoldIsRefusedWithoutStartingAnEdit) {
    struct Caso {
        Colonna colonna;
        const char* testo;
        const char* avviso;
    } const casi[] = {
        {CITTA, "Sant'Ambrogio di Valpolicella 1",
         "Il testo supera la lunghezza massima del campo CITTA (30 caratteri)"},
        {N, "40000", "Valore fuori dai limiti del campo N: 40000 (ammessi da -32.768 a 32.767)"},
        {N, "1,5", "Il campo N non ammette decimali: 1,5"},
        {FIDO, "abc", "Valore non valido per il campo FIDO: abc (è atteso un numero, come 7.500,50)"},
        {FIDO, "1,234", "Il campo FIDO ammette al massimo 2 decimali: 1,234"},
        {FIDO, "10.000.000.000.000",
         "Valore fuori dai limiti del campo FIDO: 10.000.000.000.000 (al massimo 13 cifre prima della virgola)"},
        {DAL, "31/02/2026", "Valore non valido per il campo DAL: 31/02/2026 (è attesa una data, come 31/12/2026)"},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.testo);
        const QString testo = QString::fromUtf8(caso.testo);
        MessaggiInstallati msg;
        Anagrafica a;
        const QVariant prima1 = a.dataset.Valore(1, caso.colonna);
        const QVariant prima2 = a.dataset.Valore(2, caso.colonna);

        // Nothing being edited: no edit starts, so no lock is taken either.
        a.Scrivi(2, caso.colonna, testo);
        EXPECT_EQ(msg->Testi(), QStringList{QString::fromUtf8(caso.avviso)});
        EXPECT_EQ(msg->Mostrati.at(0).tipo, piattaforma::TipoMessaggio::Avviso);
        EXPECT_EQ(a.dataset.Valore(2, caso.colonna), prima2);
        EXPECT_EQ(a.dataset.State(), fb::TDataSet::Consultazione);
        EXPECT_EQ(a.modificheIniziate, 0);

        // An edit under way stays as it was, on its row and not posted, whichever row the
        // refused value was meant for.
        msg->Svuota();
        a.Scrivi(1, CODICE, "33");
        EXPECT_FALSE(a.modello.setData(a.Cella(1, caso.colonna), testo));
        EXPECT_FALSE(a.modello.setData(a.Cella(2, caso.colonna), testo));
        EXPECT_EQ(msg->Testi().size(), 2);
        EXPECT_EQ(a.dataset.RecNo(), 1);
        EXPECT_EQ(a.dataset.State(), fb::TDataSet::Modifica);
        EXPECT_EQ(a.dataset.Valore(1, CODICE), QVariant(qint64(33)));
        EXPECT_EQ(a.dataset.Valore(1, caso.colonna), prima1);
        EXPECT_EQ(a.dataset.Valore(2, caso.colonna), prima2);
    }
}

TEST(ModelloDataSet, TheSameValueTypedAgainStartsNoEdit) {
    MessaggiInstallati msg;
    Anagrafica a;
    a.Scrivi(0, FIDO, "7.500,5");
    a.Scrivi(0, DAL, "1/2/2026");
    EXPECT_EQ(a.dataset.State(), fb::TDataSet::Consultazione);
    EXPECT_EQ(a.modificheIniziate, 0);
    EXPECT_TRUE(msg->Testi().isEmpty());
}

TEST(ModelloDataSet, TheBoundViewAndTheDataSetStayOnOneRow) {
    MessaggiInstallati msg;
    Anagrafica a;
    EXPECT_EQ(a.vista.model(), &a.modello);
    EXPECT_EQ(a.vista.currentIndex(), a.Cella(2, CODICE)) << "the view starts on the dataset's row";

    a.dataset.First();
    EXPECT_EQ(a.vista.currentIndex(), a.Cella(0, CODICE));
    a.vista.setCurrentIndex(a.Cella(1, FIDO));
    EXPECT_EQ(a.dataset.RecNo(), 1);
    a.dataset.Next();
    EXPECT_EQ(a.vista.currentIndex(), a.Cella(2, FIDO)) << "the user's column is kept";

    // A move the dataset refuses puts the view back on the dataset's row.
    a.Scrivi(2, CITTA, "Parma");
    a.dataset.RifiutaScrittura = true;
    QTest::mouseClick(a.vista.viewport(), Qt::LeftButton, {}, a.vista.visualRect(a.Cella(0, FIDO)).center());
    EXPECT_EQ(a.dataset.RecNo(), 2);
    EXPECT_EQ(a.dataset.State(), fb::TDataSet::Modifica);
    EXPECT_EQ(msg->Testi(), QStringList{"lock conflict on no wait transaction"});
    QCoreApplication::processEvents();
    EXPECT_EQ(a.vista.currentIndex().row(), 2);
}

TEST(ModelloDataSet, ARereadKeepsTheColumnWidthsTheCurrentCellAndTheScroll) {
    Anagrafica a(200);
    a.vista.setColumnWidth(CITTA, 321);
    a.vista.setCurrentIndex(a.Cella(150, FIDO));
    a.vista.scrollTo(a.Cella(150, FIDO), QAbstractItemView::PositionAtCenter);
    const int scorrimento = a.vista.verticalScrollBar()->value();
    ASSERT_GT(scorrimento, 0);
    ASSERT_EQ(a.dataset.RecNo(), 150);

    // As the record services save, cancel and refresh: close, open, back to the bookmark.
    const fb::TBookmark segnalibro = a.dataset.GetBookmark();
    a.dataset.Close();
    a.dataset.Open();
    a.dataset.GotoBookmark(segnalibro);
    QCoreApplication::processEvents();

    EXPECT_EQ(a.modello.rowCount(), 200);
    EXPECT_EQ(a.vista.columnWidth(CITTA), 321);
    EXPECT_EQ(a.vista.currentIndex(), a.Cella(150, FIDO));
    EXPECT_EQ(a.vista.verticalScrollBar()->value(), scorrimento);
}

// The limits as a real table gives them: the bytes of its integers, the characters of its
// texts, the declared precision of its decimals.
TEST(ModelloDataSet, TheLimitsOfADatabaseTableAreTheColumnsOwn) {
    prova::CartellaProva cartella;
    fb::TDatabase db;
    prova::CreaDatabaseVuoto(db, cartella.File("limiti.fdb"));
    fb::TTransazione tr(&db);
    db.SetDefaultTransaction(&tr);
    const auto esegui = [&](const QString& istruzione) {
        fb::TQuery q(&db, &tr);
        q.SQL.Add(istruzione);
        q.ExecSQL();
        tr.Commit();
    };
    esegui("CREATE TABLE CLIFOR (CODICE INTEGER NOT NULL PRIMARY KEY, CITTA VARCHAR(30), N SMALLINT, "
           "FIDO NUMERIC(15,2), SCONTO NUMERIC(4,1), DAL DATE)");
    esegui("INSERT INTO CLIFOR VALUES (1, 'Roma', 1, 7500.5, 12.5, '2026-02-01')");

    fb::TIBTable tabella(&db);
    tabella.TableName = QStringLiteral("CLIFOR");
    tabella.Open();
    struct Attesa {
        int byte, scala, precisione;
    };
    const Attesa attese[] = {{4, 0, 0}, {0, 0, 0}, {2, 0, 0}, {8, 2, 18}, {2, 1, 4}, {0, 0, 0}};
    for (int i = 0; i < tabella.FieldCount(); ++i) {
        const fb::TDefinizioneCampo& campo = tabella.FieldDefs()[static_cast<size_t>(i)];
        EXPECT_EQ(campo.Byte, attese[i].byte) << qPrintable(campo.Nome);
        EXPECT_EQ(campo.Scala, attese[i].scala) << qPrintable(campo.Nome);
        EXPECT_EQ(campo.Precisione, attese[i].precisione) << qPrintable(campo.Nome);
        EXPECT_EQ(campo.Tabella, "CLIFOR");
        EXPECT_EQ(campo.Colonna, campo.Nome);
    }
    EXPECT_EQ(tabella.FieldDefs()[1].Dimensione, 30);

    MessaggiInstallati msg;
    TModelloDataSet modello(tabella);
    EXPECT_EQ(modello.data(modello.index(0, 3)).toString(), "7.500,50");
    EXPECT_EQ(modello.data(modello.index(0, 4)).toString(), "12,5");
    struct Rifiutato {
        int colonna;
        const char* testo;
        const char* avviso;
    } const rifiutati[] = {
        {1, "Sant'Ambrogio di Valpolicella 1", "Il testo supera la lunghezza massima del campo CITTA (30 caratteri)"},
        {2, "32768", "Valore fuori dai limiti del campo N: 32768 (ammessi da -32.768 a 32.767)"},
        // The storage would take it: the declared precision does not.
        {3, "10.000.000.000.000",
         "Valore fuori dai limiti del campo FIDO: 10.000.000.000.000 (al massimo 13 cifre prima della virgola)"},
        {4, "1.000", "Valore fuori dai limiti del campo SCONTO: 1.000 (al massimo 3 cifre prima della virgola)"},
    };
    for (const Rifiutato& caso : rifiutati) {
        msg->Svuota();
        EXPECT_FALSE(modello.setData(modello.index(0, caso.colonna), QString::fromUtf8(caso.testo)));
        EXPECT_EQ(msg->Testi(), QStringList{QString::fromUtf8(caso.avviso)});
    }
    EXPECT_EQ(tabella.State(), fb::TDataSet::Consultazione);

    msg->Svuota();
    EXPECT_TRUE(modello.setData(modello.index(0, 3), "9.999.999.999.999,99"));
    EXPECT_TRUE(modello.setData(modello.index(0, 5), "3/4/2025"));
    tabella.Post();
    tr.Commit();
    tabella.Close();
    tabella.Open();
    EXPECT_EQ(modello.data(modello.index(0, 3)).toString(), "9.999.999.999.999,99");
    EXPECT_EQ(modello.data(modello.index(0, 5)).toString(), "03/04/2025");
    EXPECT_TRUE(msg->Testi().isEmpty());
}

// A text the archive's code page cannot hold is refused in the cell, as a text too long is;
// a grid over rows kept in memory only takes it.
TEST(ModelloDataSet, ATextTheArchiveCannotHoldIsRefusedInTheCell) {
    prova::CartellaProva cartella;
    const QString nome = cartella.File("testi.fdb");
    fb::TDatabase db;
    prova::CreaDatabaseVuoto(db, nome);
    fb::TTransazione tr(&db);
    db.SetDefaultTransaction(&tr);
    for (const char* istruzione : {"CREATE TABLE CLIFOR (CODICE INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(30), "
                                   "CITTA VARCHAR(30), NOTE BLOB SUB_TYPE TEXT)",
                                   "INSERT INTO CLIFOR VALUES (1, 'Rossi', 'Roma', 'nota')"}) {
        fb::TQuery q(&db, &tr);
        q.SQL.Add(QString::fromLatin1(istruzione));
        q.ExecSQL();
        tr.Commit();
    }
    const auto salvato = [&] {
        fb::TDatabase altro;
        prova::ImpostaParametriApertura(altro, nome);
        altro.Open();
        fb::TTransazione t(&altro);
        fb::TQuery q(&altro, &t);
        q.SQL.Add("SELECT NOME || '|' || CITTA || '|' || NOTE FROM CLIFOR");
        q.Open();
        return q.Fields(0).AsString();
    };

    fb::TIBTable tabella(&db);
    tabella.TableName = QStringLiteral("CLIFOR");
    tabella.Open();
    MessaggiInstallati msg;
    TModelloDataSet modello(tabella);
    QTableView vista;
    modello.CollegaVista(vista);
    vista.resize(600, 300);
    vista.show();

    struct Caso {
        int colonna;
        const char* testo;
        const char* avviso;
    } const casi[] = {
        {2, "Łódź 北京", "Il campo CITTA contiene caratteri che l'archivio non può memorizzare: «Ł», «ź», «北», «京»"},
        {3, "Саша", "Il campo NOTE contiene caratteri che l'archivio non può memorizzare: «С», «а», «ш»"},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.testo);
        const QString testo = QString::fromUtf8(caso.testo);
        // Typed with nothing being edited: no edit starts.
        msg->Svuota();
        ScriviNellaCella(vista, modello.index(0, caso.colonna), testo);
        EXPECT_EQ(msg->Testi(), QStringList{QString::fromUtf8(caso.avviso)});
        EXPECT_EQ(msg->Mostrati.at(0).tipo, piattaforma::TipoMessaggio::Avviso);
        EXPECT_EQ(tabella.State(), fb::TDataSet::Consultazione);

        // Beside a good value of the same row: that one is saved, the refused one is not.
        msg->Svuota();
        ScriviNellaCella(vista, modello.index(0, 1), QString::fromUtf8("Müller €"));
        EXPECT_FALSE(modello.setData(modello.index(0, caso.colonna), testo));
        EXPECT_EQ(msg->Testi(), QStringList{QString::fromUtf8(caso.avviso)});
        EXPECT_EQ(tabella.State(), fb::TDataSet::Modifica);
        tabella.Post();
        tr.Commit();
        EXPECT_EQ(salvato(), QString::fromUtf8("Müller €|Roma|nota"));

        fb::TQuery ripristino(&db, &tr);
        ripristino.SQL.Add("UPDATE CLIFOR SET NOME = 'Rossi'");
        ripristino.ExecSQL();
        tr.Commit();
        tabella.Close();
        tabella.Open();
    }

    // The same text in a grid of rows kept in memory: nothing to refuse.
    Griglia g;
    msg->Svuota();
    g.Scrivi(0, QString::fromUtf8("北京"));
    EXPECT_EQ(g.Cella(0), QString::fromUtf8("北京"));
    EXPECT_TRUE(msg->Testi().isEmpty());
}

} // namespace
