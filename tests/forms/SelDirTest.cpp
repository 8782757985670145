#include "forms/SelDir.h"

#include "fixture/Dialoghi.h"
#include "piattaforma/Percorsi.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

// The executable in <tmp>/drive_c/Gestionale, beside it dosdevices with c: on drive_c and d:
// pointing nowhere (a drive not ready).
class SelDir : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(radice_.isValid());
        for (const char* cartella : {"drive_c/Gestionale/dati", "drive_c/Gestionale/Archivi",
                                     "drive_c/Gestionale/dosdevices", "drive_c/alfa"})
            ASSERT_TRUE(QDir(radice_.path()).mkpath(cartella));
        QFile file(radice_.filePath("drive_c/Gestionale/non una cartella.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        piattaforma::ImpostaDirectoryEseguibile(radice_.filePath("drive_c/Gestionale"));
        Collega("c:", radice_.filePath("drive_c"));
        Collega("d:", radice_.filePath("manca"));
    }
    void TearDown() override { piattaforma::ImpostaDirectoryEseguibile({}); }

    void Collega(const QString& unita, const QString& destinazione) {
        ASSERT_TRUE(
            QFile::link(destinazione, radice_.filePath("drive_c/Gestionale/dosdevices/" + unita)));
    }

    QTemporaryDir radice_;
};

QStringList Righe(const QListWidget* lista) {
    QStringList righe;
    for (int i = 0; i < lista->count(); ++i)
        righe << lista->item(i)->text();
    return righe;
}

QStringList Unita(const QComboBox* combo) {
    QStringList unita;
    for (int i = 0; i < combo->count(); ++i)
        unita << combo->itemText(i);
    return unita;
}

void ScegliUnita(TSelDirForm& d, const QString& lettera) {
    d.DriveComboBox1->setCurrentIndex(d.DriveComboBox1->findData(lettera));
}

// A double click on the line that shows that name (blanks of the indentation aside).
void Apri(QListWidget* lista, const QString& nome) {
    for (int i = 0; i < lista->count(); ++i) {
        QListWidgetItem* riga = lista->item(i);
        if (riga->text().trimmed() == nome) {
            lista->scrollToItem(riga);
            QTest::mouseDClick(lista->viewport(), Qt::LeftButton, Qt::NoModifier,
                               lista->visualItemRect(riga).center());
            return;
        }
    }
    ADD_FAILURE() << "no line " << nome.toStdString();
}

TEST_F(SelDir, ListsTheDrivesAndStartsAtTheRootOfTheProgramsDrive) {
    TSelDirForm dialogo;
    EXPECT_EQ(dialogo.windowTitle(), "Selezione Percorso");
    EXPECT_EQ(dialogo.size(), QSize(221, 326));
    EXPECT_EQ(Unita(dialogo.DriveComboBox1), (QStringList{"c:", "d:", "z:"}));
    EXPECT_EQ(dialogo.Drive(), "c");
    EXPECT_EQ(dialogo.Directory(), "c:\\");
    EXPECT_EQ(Righe(dialogo.DirectoryListBox1), (QStringList{"c:\\", "  alfa", "  Gestionale"}));
}

TEST_F(SelDir, DoubleClickGoesDownIntoADirectoryAndUpToAnyLineAbove) {
    TSelDirForm dialogo;
    dialogo.show();
    Apri(dialogo.DirectoryListBox1, "Gestionale");
    EXPECT_EQ(dialogo.Directory(), "c:\\Gestionale");
    EXPECT_EQ(Righe(dialogo.DirectoryListBox1),
              (QStringList{"c:\\", "  Gestionale", "    Archivi", "    dati", "    dosdevices"}));
    EXPECT_EQ(dialogo.DirectoryListBox1->currentItem()->text(), "  Gestionale");

    Apri(dialogo.DirectoryListBox1, "dati");
    EXPECT_EQ(dialogo.Directory(), "c:\\Gestionale\\dati");
    EXPECT_EQ(dialogo.DirectoryNativa(), radice_.filePath("drive_c/Gestionale/dati"));
    EXPECT_EQ(Righe(dialogo.DirectoryListBox1), (QStringList{"c:\\", "  Gestionale", "    dati"}));

    Apri(dialogo.DirectoryListBox1, "Gestionale");
    EXPECT_EQ(dialogo.Directory(), "c:\\Gestionale");
    Apri(dialogo.DirectoryListBox1, "c:\\");
    EXPECT_EQ(dialogo.Directory(), "c:\\");

    // Enter on a line opens it too.
    dialogo.DirectoryListBox1->setCurrentRow(1);
    QTest::keyClick(dialogo.DirectoryListBox1, Qt::Key_Return);
    EXPECT_EQ(dialogo.Directory(), "c:\\alfa");
    EXPECT_TRUE(dialogo.isVisible()) << "Enter is not Ok";
}

TEST_F(SelDir, TheListFollowsTheChosenDrive) {
    TSelDirForm dialogo;
    dialogo.show();
    Apri(dialogo.DirectoryListBox1, "Gestionale");

    // A drive whose link points nowhere: nothing to list, and no harm.
    ScegliUnita(dialogo, "d");
    EXPECT_EQ(dialogo.Drive(), "d");
    EXPECT_EQ(dialogo.Directory(), "d:\\");
    EXPECT_EQ(dialogo.DirectoryListBox1->count(), 0);

    // z: is the root of the file system.
    ScegliUnita(dialogo, "z");
    EXPECT_EQ(dialogo.Directory(), "z:\\");
    EXPECT_EQ(dialogo.DirectoryListBox1->item(0)->text(), "z:\\");
    Apri(dialogo.DirectoryListBox1, "tmp");
    EXPECT_EQ(dialogo.Directory(), "z:\\tmp");
    EXPECT_EQ(dialogo.DirectoryNativa(), "/tmp");

    // Back on c: the list starts again at its root.
    ScegliUnita(dialogo, "c");
    EXPECT_EQ(dialogo.Directory(), "c:\\");
    EXPECT_EQ(Righe(dialogo.DirectoryListBox1), (QStringList{"c:\\", "  alfa", "  Gestionale"}));
}

TEST_F(SelDir, WithoutDosdevicesOnlyTheRootDriveIsListed) {
    ASSERT_TRUE(QDir(radice_.filePath("drive_c/Gestionale/dosdevices")).removeRecursively());
    TSelDirForm dialogo;
    EXPECT_EQ(Unita(dialogo.DriveComboBox1), QStringList{"z:"});
    EXPECT_EQ(dialogo.Directory(), "z:\\");
}

TEST_F(SelDir, EndsWithOkOrCancel) {
    const struct {
        const char* come;
        std::function<void(TSelDirForm&)> azione;
        int risultato;
    } fini[] = {
        {"Ok", [](TSelDirForm& d) { d.ButtonOk->click(); }, TSelDirForm::RisultatoOk},
        {"Cancel", [](TSelDirForm& d) { d.ButtonCancel->click(); }, TSelDirForm::RisultatoAnnulla},
        {"Escape", [](TSelDirForm& d) { QTest::keyClick(d.DirectoryListBox1, Qt::Key_Escape); },
         TSelDirForm::RisultatoAnnulla},
    };
    for (const auto& fine : fini) {
        SCOPED_TRACE(fine.come);
        TSelDirForm dialogo;
        prova::QuandoSiApre<TSelDirForm>([&fine](TSelDirForm& d) {
            fine.azione(d);
            if (d.isVisible()) {
                ADD_FAILURE() << "the dialog is still open";
                d.done(-1);
            }
        });
        EXPECT_EQ(dialogo.exec(), fine.risultato);
    }
}

} // namespace
