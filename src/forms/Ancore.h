#pragma once

#include <QSize>

#include <vector>

class QWidget;

// The designed anchors of a window's children: recorded once at the designed size, applied
// at every resize. Left and top edges stay where they were designed unless anchored right or
// bottom only.
class TAncore {
public:
    enum Lati { Tutti, AltoDestra, BassoDestra };

    // The holder must have its designed size when the child is recorded.
    void Registra(QWidget* figlio, Lati lati);
    void Applica() const;

private:
    struct Ancora {
        QWidget* figlio;
        Lati lati;
        QSize margine; // right and bottom distances from the holder's edges
    };
    std::vector<Ancora> ancore_;
};
