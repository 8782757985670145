#pragma once

#include <QWidget>

class QLabel;

// The short message window that covers the time a login takes.
class TInizForm : public QWidget {
    Q_OBJECT
public:
    explicit TInizForm(QWidget* owner);

    QLabel* Label1;
    QLabel* Label2;

    // Shows the window and lets it paint before the caller blocks the event loop.
    void MostraSubito();
};
