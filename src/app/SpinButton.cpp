#include "app/SpinButton.h"

#include <QPainter>
#include <QPainterPath>

namespace {

// A button with a triangle that grows with it: the style's own arrows stay tiny on the
// large buttons of a terminal.
class TFreccia : public QToolButton {
public:
    TFreccia(QWidget* parent, bool su) : QToolButton(parent), su_(su) {}

protected:
    void paintEvent(QPaintEvent* evento) override {
        QToolButton::paintEvent(evento);
        QPainter pittore(this);
        pittore.setRenderHint(QPainter::Antialiasing);
        const qreal lato = std::max(6, std::min(width(), height()) / 3);
        const QPointF centro = QRectF(rect()).center();
        const qreal verso = su_ ? -1 : 1;
        QPainterPath triangolo;
        triangolo.moveTo(centro.x() - lato / 2, centro.y() - verso * lato / 4);
        triangolo.lineTo(centro.x() + lato / 2, centro.y() - verso * lato / 4);
        triangolo.lineTo(centro.x(), centro.y() + verso * lato / 4);
        triangolo.closeSubpath();
        pittore.fillPath(triangolo, palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                                    QPalette::ButtonText));
    }

private:
    bool su_;
};

} // namespace

TSpinButton::TSpinButton(QWidget* parent)
    : QWidget(parent), su_(new TFreccia(this, true)), giu_(new TFreccia(this, false)) {
    su_->setObjectName(QStringLiteral("Su"));
    giu_->setObjectName(QStringLiteral("Giu"));
    // Like the designed control, the pair never takes the focus from the password field.
    for (QToolButton* b : {su_, giu_}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
    }
    connect(su_, &QToolButton::clicked, this, &TSpinButton::UpClick);
    connect(giu_, &QToolButton::clicked, this, &TSpinButton::DownClick);
}

void TSpinButton::resizeEvent(QResizeEvent*) {
    const int meta = height() / 2;
    su_->setGeometry(0, 0, width(), meta);
    giu_->setGeometry(0, meta, width(), height() - meta);
}
