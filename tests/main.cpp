#include "app/Applicazione.h"
#include "fixture/Dialoghi.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A modal window that no step of the test answers would block the test for good: after a
// grace period the test fails, naming the window, and the window is closed so the test goes
// on. The timer also fires inside the window's own event loop. Tests that answer a window
// (prova::QuandoSiApre) do so within milliseconds of its showing.
class GuardiaModali : public ::testing::EmptyTestEventListener {
public:
    static constexpr int AttesaMs = 10000;

    GuardiaModali() {
        timer_.setInterval(100);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Controlla(); });
    }

    void OnTestStart(const ::testing::TestInfo&) override {
        vista_ = nullptr;
        timer_.start();
    }
    // Called before the result is printed, so a failure added here still counts for the test.
    void OnTestEnd(const ::testing::TestInfo&) override {
        timer_.stop();
        prova::ChiudiAttese();
    }

private:
    void Controlla() {
        QWidget* modale = QApplication::activeModalWidget();
        if (modale == nullptr || !modale->isVisible()) {
            vista_ = nullptr;
            return;
        }
        if (modale != vista_) {
            vista_ = modale;
            orologio_.start();
            return;
        }
        if (orologio_.elapsed() < AttesaMs)
            return;
        ADD_FAILURE() << "a modal window stayed open unanswered for " << AttesaMs / 1000 << " s: "
                      << modale->metaObject()->className() << " \"" << modale->windowTitle().toStdString()
                      << "\"; it was closed";
        vista_ = nullptr;
        if (auto* dialogo = qobject_cast<QDialog*>(modale))
            dialogo->reject();
        else
            modale->close();
    }

    QTimer timer_;
    QPointer<QWidget> vista_;
    QElapsedTimer orologio_;
};

} // namespace

// Windows need the program's application object; tests run on the offscreen platform.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplicazione app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // Taken back after the run, so that its timer goes before the application object.
    auto guardia = std::make_unique<GuardiaModali>();
    ::testing::TestEventListeners& ascoltatori = ::testing::UnitTest::GetInstance()->listeners();
    ascoltatori.Append(guardia.get());
    const int esito = RUN_ALL_TESTS();
    ascoltatori.Release(guardia.get());
    return esito;
}
