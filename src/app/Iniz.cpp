#include "app/Iniz.h"

#include "app/Schermo.h"

#include <QApplication>
#include <QLabel>

namespace {

QLabel* Riga(QWidget* parent, const char* nome, const QString& testo, int alto) {
    auto* etichetta = new QLabel(testo, parent);
    etichetta->setObjectName(QString::fromLatin1(nome));
    etichetta->setFont(QFont(QStringLiteral("Tahoma"), 10));
    etichetta->setAlignment(Qt::AlignCenter);
    etichetta->setGeometry(0, alto, 292, 20);
    return etichetta;
}

} // namespace

TInizForm::TInizForm(QWidget* owner) : QWidget(owner, Qt::Dialog) {
    setObjectName(QStringLiteral("InizForm"));
    setWindowTitle(QStringLiteral("Inizializzazione"));
    setFixedSize(292, 131);
    Label1 = Riga(this, "Label1", QStringLiteral("Caricamento delle impostazioni"), 38);
    Label2 = Riga(this, "Label2", QStringLiteral("personali in corso..."), 62);
    const QSize schermo = DimensioneSchermo();
    move((schermo.width() - width()) / 2, (schermo.height() - height()) / 2);
}

// Only painting: a key or a click of the user must not act in the middle of the login.
void TInizForm::MostraSubito() {
    show();
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
