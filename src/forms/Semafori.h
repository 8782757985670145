#pragma once

#include "../forms/ListaMarcabile.h"

#include "../fb/Query.h"
#include "../fb/Transazione.h"

// Every occupied window semaphore of the company archive, of any user, to free by hand.
class TSemaforiForm : public TListaMarcabile {
    Q_OBJECT
public:
    TSemaforiForm(QWidget* owner, TTabXForm* dataModule);

    QTableView* GridSemafori;
    QPushButton* ButtonLiberaSemafori;
    // The window's own transaction on the archive: freeing semaphores never ends the work of
    // a library window editing in the archive's default transaction.
    fb::TTransazione TransazioneSemafori;
    fb::TQuery QuerySemafori;
    fb::TQuery QueryAux;

    void ButtonLiberaSemaforiClick();

private:
    void ApriSemafori();
    void MostraDetentori();
    void RegistraUso();
};
