#include "app/AlberoMenu.h"

#include <limits>

TAlberoMenu::TAlberoMenu(std::vector<TRigaMenu> righe) : righe_(std::move(righe)) {
    for (const TRigaMenu& riga : righe_) {
        if (!riga.Livello)
            continue;
        if (!riga.MenuPrec) {
            if (*riga.Livello == 0)
                barra_.push_back(&riga);
            continue;
        }
        // A depth that cannot have a parent row is never asked for.
        if (*riga.Livello == std::numeric_limits<qint32>::min())
            continue;
        figli_[{*riga.Livello - 1, *riga.MenuPrec}].push_back(&riga);
    }
}

const std::vector<const TRigaMenu*>& TAlberoMenu::Figli(qint32 livello, qint32 menu) const {
    static const std::vector<const TRigaMenu*> nessuno;
    const auto trovati = figli_.constFind({livello, menu});
    return trovati == figli_.constEnd() ? nessuno : *trovati;
}
