#include "app/BarraProgrammi.h"

TBarraProgrammi::TBarraProgrammi(QWidget* parent) : QWidget(parent) {}

void TBarraProgrammi::ImpostaFontVoci(int punti) {
    fontVoci_ = punti;
    QFont carattere = font();
    carattere.setPointSize(punti);
    setFont(carattere);
}
