#include "db/Zavin2.h"

#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

TZavIn2Form::TZavIn2Form(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("ZavIn2Form"));
    setFixedSize(329, 148);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 313, 89);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(13, 32);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(24, 56, 129, 20);

    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setGeometry(168, 56, 127, 20);

    ButtonOK = new QPushButton(QStringLiteral("OK"), this);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setGeometry(93, 108, 77, 27);
    ButtonOK->setAutoDefault(false);
    ButtonOK->setDefault(true); // Enter presses OK wherever the focus is
    connect(ButtonOK, &QPushButton::clicked, this, [this] { done(RisultatoOk); });

    ButtonCancel = new QPushButton(QStringLiteral("Cancel"), this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setGeometry(177, 108, 77, 27);
    ButtonCancel->setAutoDefault(false);
    connect(ButtonCancel, &QPushButton::clicked, this, [this] { done(RisultatoAnnulla); });
}

void TZavIn2Form::CentraSulloSchermo() {
    if (const QScreen* schermo = screen()) {
        QRect area = frameGeometry();
        area.moveCenter(schermo->availableGeometry().center());
        move(area.topLeft());
    }
}

void TZavIn2Form::showEvent(QShowEvent* evento) {
    QDialog::showEvent(evento);
    CentraSulloSchermo();
    Edit1->setFocus();
}

void TZavIn2Form::changeEvent(QEvent* evento) {
    QDialog::changeEvent(evento);
    if (evento->type() == QEvent::ActivationChange && isActiveWindow())
        Edit1->setFocus();
}

void TZavIn2Form::keyPressEvent(QKeyEvent* evento) {
    // Escape presses Cancel: QDialog alone would end with 0.
    if (evento->key() == Qt::Key_Escape && evento->modifiers() == Qt::NoModifier) {
        ButtonCancel->click();
        return;
    }
    QDialog::keyPressEvent(evento);
}
