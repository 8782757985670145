#pragma once

#include "../forms/ListaMarcabile.h"

#include "../fb/Query.h"

// The open work sessions of the logged-in user, to close by hand: one, several or all.
class TSessioniForm : public TListaMarcabile {
    Q_OBJECT
public:
    TSessioniForm(QWidget* owner, TTabXForm* dataModule);

    QTableView* GridSessioni;
    QPushButton* ButtonChiudiSel;
    fb::TQuery QuerySessioni;
    fb::TQuery QueryAux;

    void ButtonChiudiSelClick();

private:
    void ApriSessioni();
    void MostraCollegamenti();
};
