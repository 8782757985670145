#include "forms/SceltaDisco.h"

#include "forms/Dialogo.h"
#include "piattaforma/Messaggi.h"
#include "piattaforma/Percorsi.h"
#include "piattaforma/Protezione.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

TSceltaDiscoForm::TSceltaDiscoForm(QWidget* owner) : QDialog(owner) {
    CreaComponenti();
    CaricaUnita();
}

void TSceltaDiscoForm::CreaComponenti() {
    setObjectName(QStringLiteral("SceltaDiscoForm"));
    setWindowTitle(QStringLiteral("Scelta disco"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    resize(232, 131);

    ButtonOk = new QPushButton(QStringLiteral("Ok"), this);
    ButtonOk->setObjectName(QStringLiteral("ButtonOk"));
    ButtonOk->setGeometry(16, 71, 75, 25);
    ButtonOk->setDefault(true);
    connect(ButtonOk, &QPushButton::clicked, this,
            piattaforma::Protetto([this] { ButtonOkClick(); }));

    ButtonCancel = new QPushButton(QStringLiteral("Cancel"), this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setGeometry(136, 71, 75, 25);
    connect(ButtonCancel, &QPushButton::clicked, this,
            piattaforma::Protetto([this] { ButtonCancelClick(); }));

    ComboDisco = new QComboBox(this);
    ComboDisco->setObjectName(QStringLiteral("ComboDisco"));
    ComboDisco->setEditable(false);
    ComboDisco->setGeometry(40, 32, 145, std::max(19, ComboDisco->sizeHint().height()));

    Label1 = new QLabel(QStringLiteral("Ultimo disco"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(40, 16);
    Label1->adjustSize();
}

// A drive whose root is missing (a link that points nowhere) is listed all the same: only
// OK tells it is not usable.
void TSceltaDiscoForm::CaricaUnita() {
    for (const QString& lettera : piattaforma::UnitaDisponibili())
        ComboDisco->addItem(lettera + QLatin1Char(':'), lettera);
}

QString TSceltaDiscoForm::DiscoScelto() const {
    return ComboDisco->currentData().toString().toLower();
}

bool TSceltaDiscoForm::ImpostaDisco(const QString& lettera) {
    const int riga = ComboDisco->findData(lettera.left(1).toLower());
    if (lettera.isEmpty() || riga < 0)
        return false;
    ComboDisco->setCurrentIndex(riga);
    return true;
}

void TSceltaDiscoForm::ButtonOkClick() {
    const QString lettera = DiscoScelto();
    if (!lettera.isEmpty() && piattaforma::DirectoryEsiste(lettera + QStringLiteral(":\\"))) {
        done(RisultatoOk);
        return;
    }
    piattaforma::MostraAvviso(QStringLiteral("Attenzione: il disco impostato non è valido"));
}

void TSceltaDiscoForm::ButtonCancelClick() {
    reject();
}

void TSceltaDiscoForm::reject() {
    done(RisultatoCancel);
}

void TSceltaDiscoForm::showEvent(QShowEvent* evento) {
    QDialog::showEvent(evento);
    CentraSulloSchermo(*this);
}

QString CambiaLetteraDisco(const QString& valore, QChar lettera) {
    QString nuovo = valore;
    const qsizetype posizione = nuovo.indexOf(QStringLiteral(":\\"));
    if (posizione >= 1)
        nuovo[posizione - 1] = lettera;
    return nuovo;
}
