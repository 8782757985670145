#include "forms/SelDir.h"

#include "forms/Dialogo.h"
#include "piattaforma/Percorsi.h"
#include "piattaforma/Protezione.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>

namespace {

// Each line of the directory list carries the directory it opens.
constexpr int RuoloPercorso = Qt::UserRole;

QString SenzaBarraFinale(QString percorso) {
    while (percorso.size() > 1 && percorso.endsWith(u'/'))
        percorso.chop(1);
    return percorso;
}

// The names from the root down to the directory, the root itself excluded.
QStringList NomiSottoRadice(const QString& radice, const QString& directory) {
    return directory.mid(radice.size()).split(u'/', Qt::SkipEmptyParts);
}

QString Rientro(qsizetype livello) {
    return QString(livello * 2, u' ');
}

} // namespace

TSelDirForm::TSelDirForm(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint) {
    CreaComponenti();
    CaricaUnita();
}

void TSelDirForm::CreaComponenti() {
    setObjectName(QStringLiteral("SelDirForm"));
    setWindowTitle(QStringLiteral("Selezione Percorso"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(221, 326);

    // No default button: Enter in the directory list opens the directory, as a double click.
    ButtonOk = new QPushButton(QStringLiteral("Ok"), this);
    ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
    ButtonOk->setGeometry(16, 295, 75, 25);
    ButtonOk->setAutoDefault(false);
    connect(ButtonOk, &QPushButton::clicked, this,
            piattaforma::Protetto([this] { ButtonOkClick(); }));

    ButtonCancel = new QPushButton(QStringLiteral("Cancel"), this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setGeometry(128, 295, 75, 25);
    ButtonCancel->setAutoDefault(false);
    connect(ButtonCancel, &QPushButton::clicked, this,
            piattaforma::Protetto([this] { ButtonCancelClick(); }));

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(0, 0, 221, 289);

    Label4 = new QLabel(QStringLiteral("&Unità disco:"), GroupBox1);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setGeometry(10, 241, 143, 16);

    Label1 = new QLabel(QStringLiteral("Percorso"), GroupBox1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(10, 14, 199, 16);

    DirectoryListBox1 = new QListWidget(GroupBox1);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setGeometry(10, 32, 199, 201);
    DirectoryListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    // A double click on a line, or Enter on the current one, opens its directory.
    DirectoryListBox1->installEventFilter(this);
    DirectoryListBox1->viewport()->installEventFilter(this);

    DriveComboBox1 = new QComboBox(GroupBox1);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DriveComboBox1->setGeometry(10, 259, 143, 19);
    Label4->setBuddy(DriveComboBox1);
}

// The drive of the program is the one shown first, as the current drive of the process.
void TSelDirForm::CaricaUnita() {
    const QStringList unita = piattaforma::UnitaDisponibili();
    for (const QString& lettera : unita)
        DriveComboBox1->addItem(lettera + u':', lettera);
    const int programma = DriveComboBox1->findData(piattaforma::LetteraUnitaProgramma().toLower());
    DriveComboBox1->setCurrentIndex(programma >= 0 ? programma : 0);
    DriveComboBox1Change();
    connect(DriveComboBox1, &QComboBox::currentIndexChanged, this,
            piattaforma::Protetto([this] { DriveComboBox1Change(); }));
}

QString TSelDirForm::Drive() const {
    return DriveComboBox1->currentData().toString();
}

void TSelDirForm::DriveComboBox1Change() {
    // "c:" + "\" names the drive's root whatever the link's target looks like.
    radice_ = SenzaBarraFinale(piattaforma::PercorsoNativo(Drive() + QStringLiteral(":\\")));
    ApriDirectory(radice_);
}

// The list shows the way from the root down to the directory, then the directories in it;
// a drive whose root is missing (a link that points nowhere) shows nothing.
void TSelDirForm::ApriDirectory(const QString& directory) {
    directory_ = directory;
    DirectoryListBox1->clear();
    if (Drive().isEmpty() || !QDir(radice_).exists())
        return;

    const auto aggiungi = [this](const QString& testo, const QString& percorso) {
        auto* riga = new QListWidgetItem(testo, DirectoryListBox1);
        riga->setData(RuoloPercorso, percorso);
        return riga;
    };
    QListWidgetItem* corrente = aggiungi(Drive() + QStringLiteral(":\\"), radice_);
    QString percorso = radice_;
    const QStringList nomi = NomiSottoRadice(radice_, directory_);
    for (qsizetype livello = 0; livello < nomi.size(); ++livello) {
        percorso = (percorso.endsWith(u'/') ? percorso : percorso + u'/') + nomi[livello];
        corrente = aggiungi(Rientro(livello + 1) + nomi[livello], percorso);
    }
    DirectoryListBox1->setCurrentItem(corrente);

    const QDir cartella(directory_);
    const QStringList sotto =
        cartella.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    const QString base = directory_.endsWith(u'/') ? directory_ : directory_ + u'/';
    for (const QString& nome : sotto)
        aggiungi(Rientro(nomi.size() + 1) + nome, base + nome);
}

void TSelDirForm::DirectoryListBox1DblClick(QListWidgetItem* riga) {
    if (riga == nullptr)
        return;
    ApriDirectory(riga->data(RuoloPercorso).toString());
}

QString TSelDirForm::Directory() const {
    if (Drive().isEmpty())
        return {};
    return Drive() + QStringLiteral(":\\") + NomiSottoRadice(radice_, directory_).join(u'\\');
}

void TSelDirForm::ButtonOkClick() {
    done(RisultatoOk);
}

void TSelDirForm::ButtonCancelClick() {
    done(RisultatoAnnulla);
}

bool TSelDirForm::eventFilter(QObject* oggetto, QEvent* evento) {
    if (oggetto == DirectoryListBox1->viewport() && evento->type() == QEvent::MouseButtonDblClick) {
        const QPoint punto = static_cast<QMouseEvent*>(evento)->position().toPoint();
        if (QListWidgetItem* riga = DirectoryListBox1->itemAt(punto)) {
            piattaforma::EseguiProtetto([this, riga] { DirectoryListBox1DblClick(riga); });
            return true;
        }
    }
    if (oggetto == DirectoryListBox1 && evento->type() == QEvent::KeyPress) {
        const int tasto = static_cast<QKeyEvent*>(evento)->key();
        if (tasto == Qt::Key_Return || tasto == Qt::Key_Enter) {
            if (QListWidgetItem* riga = DirectoryListBox1->currentItem())
                piattaforma::EseguiProtetto([this, riga] { DirectoryListBox1DblClick(riga); });
            return true;
        }
    }
    return QDialog::eventFilter(oggetto, evento);
}

// Escape and the close box end as Cancel does: QDialog alone would end with 0.
void TSelDirForm::reject() {
    done(RisultatoAnnulla);
}

void TSelDirForm::showEvent(QShowEvent* evento) {
    QDialog::showEvent(evento);
    CentraSulloSchermo(*this);
}
