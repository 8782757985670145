#pragma once

#include <QToolButton>

// The status button of an editing window: its tag is 1 while the window holds unsaved
// changes and 0 when everything is saved; its image shows the same in red or green.
class TPulsanteStato : public QToolButton {
    Q_OBJECT
public:
    explicit TPulsanteStato(QWidget* parent = nullptr);

    int Tag = 0;
    // Loads the bitmap as the button's image; a file that cannot be read leaves it without.
    void CaricaImmagine(const QString& file);
    // The file of the image shown last.
    const QString& Immagine() const { return immagine_; }

private:
    QString immagine_;
};
