#pragma once

#include <QWidget>

// The navigation bar of programs on the left of the menu window.
class TBarraProgrammi : public QWidget {
    Q_OBJECT
public:
    explicit TBarraProgrammi(QWidget* parent);

    // How many groups the navigation pane shows at most; 0 is no limit.
    int LimiteGruppi() const { return limiteGruppi_; }
    void ImpostaLimiteGruppi(int limite) { limiteGruppi_ = limite; }

    // Point size of the items' text in every state (normal, hot, pressed, disabled).
    int FontVoci() const { return fontVoci_; }
    void ImpostaFontVoci(int punti);

private:
    int limiteGruppi_ = 0;
    int fontVoci_ = 8;
};
