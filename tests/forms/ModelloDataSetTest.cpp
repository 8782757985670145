#include "fixture/MessaggiRegistrati.h"
#include "forms/ModelloDataSet.h"
#include "piattaforma/Errori.h"

#include <QLineEdit>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

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
    // Types into a cell as a user does: F2 opens the editor, Enter ends it.
    void Scrivi(int riga, const QString& testo) {
        vista.setFocus();
        vista.setCurrentIndex(modello.index(riga, 0));
        QTest::keyClick(&vista, Qt::Key_F2);
        auto* editore = vista.viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editore, nullptr);
        QTest::keyClick(editore, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editore, testo);
        QTest::keyClick(editore, Qt::Key_Return);
        QCoreApplication::processEvents(); // the view commits a queued call later
    }
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

} // namespace
