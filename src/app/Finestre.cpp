#include "app/Finestre.h"

#include <QApplication>
#include <QWidget>

namespace {
std::function<bool(qint64)> verificaImpostata;
}

bool FinestraEsiste(qint64 handle) {
    if (verificaImpostata)
        return verificaImpostata(handle);
    return handle != 0 && QWidget::find(static_cast<WId>(handle)) != nullptr;
}

void ImpostaFinestraEsiste(std::function<bool(qint64)> verifica) { verificaImpostata = std::move(verifica); }

QList<QWidget*> FinestreAltrui(const QWidget* principale) {
    QList<QWidget*> altrui;
    for (QWidget* finestra : QApplication::topLevelWidgets()) {
        if (finestra == principale || !finestra->isVisible() || principale->isAncestorOf(finestra))
            continue;
        const Qt::WindowType tipo = finestra->windowType();
        if (tipo == Qt::Popup || tipo == Qt::ToolTip || tipo == Qt::SplashScreen)
            continue;
        altrui.append(finestra);
    }
    return altrui;
}
