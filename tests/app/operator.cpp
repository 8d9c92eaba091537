// Preloaded (LD_PRELOAD) into the unchanged program by tst_process, as an operator at its screen:
// names each window on stderr as it shows (`shown: frmTovaLogin "title"`) and presses OK in the
// first TOVA_ANSWER_BOXES message boxes, so that start-up goes on to the dialog behind them.

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {

class Operator final : public QObject {
protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        auto* window = qobject_cast<QWidget*>(object);
        if (event->type() != QEvent::Show || event->spontaneous() || !window || !window->isWindow())
            return false;
        std::fprintf(stderr, "shown: %s \"%s\"\n", qPrintable(window->objectName()), qPrintable(window->windowTitle()));
        auto* box = qobject_cast<QMessageBox*>(window);
        if (box && m_answers-- > 0)
            QTimer::singleShot(0, box, [box] { box->button(QMessageBox::Ok)->click(); });
        return false;
    }

private:
    int m_answers = qEnvironmentVariableIntValue("TOVA_ANSWER_BOXES");
};

void Install()
{
    QCoreApplication::instance()->installEventFilter(new Operator);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(Install)
