#pragma once

#include "forms/ListaMarcabile.h"

#include "fb/Query.h"

// Every occupied window semaphore of the company archive, of any user, to free by hand.
class TSemaforiForm : public TListaMarcabile {
    Q_OBJECT
public:
    TSemaforiForm(QWidget* owner, TTabXForm* dataModule);

    QTableView* GridSemafori;
    QPushButton* ButtonLiberaSemafori;
    fb::TQuery QuerySemafori;
    fb::TQuery QueryAux;

    void ButtonLiberaSemaforiClick();

private:
    void ApriSemafori();
    void MostraDetentori();
    void RegistraUso();
};
