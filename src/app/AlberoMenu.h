#pragma once

#include <QHash>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

// One visible row of a program's menu, as the menu build needs it.
struct TRigaMenu {
    qint32 Menu = 0;
    std::optional<qint32> Livello;   // LIVELLOMENU; NULL places the row nowhere
    std::optional<qint32> MenuPrec;  // MENUPREC; NULL only at depth 0
    QString Descrizione;
    QString Livello2Versione;
};

// A program's visible menu rows, read in one select and arranged in memory the way the
// per-level selects would find them: the bar's entries are depth 0 with no parent; the
// entries under (depth d, code m) are those of depth d + 1 whose parent is m; each list in
// ascending MENU order, rows of equal MENU in the order read.
class TAlberoMenu {
public:
    // Rows in ascending MENU order, as the select returns them.
    explicit TAlberoMenu(std::vector<TRigaMenu> righe);

    const std::vector<const TRigaMenu*>& Barra() const { return barra_; }
    // The entries below the entry of that depth and code; empty when it has none.
    const std::vector<const TRigaMenu*>& Figli(qint32 livello, qint32 menu) const;
    bool HaFigli(qint32 livello, qint32 menu) const { return !Figli(livello, menu).empty(); }

private:
    std::vector<TRigaMenu> righe_;
    std::vector<const TRigaMenu*> barra_;
    QHash<std::pair<qint32, qint32>, std::vector<const TRigaMenu*>> figli_;
};
