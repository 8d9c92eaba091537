// A new user's first start, as main() runs it: no settings file, the configuration message, the
// first user name and password, setup in TCP/IP mode against the simulator, a populated panel and
// a take; the next start reads back the same settings. The modal dialogs are answered by timers
// that find them, fill their fields and press their buttons, as an operator would.

#include "support/Fakes.h"

#include "app/Program.h"
#include "core/Startup.h"
#include "protocol/TcpComm.h"
#include "RouterModel.h"
#include "SimServer.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

constexpr int Bound = 5000;

// Answers the modal windows that open, one after the other, with the given actions.
class Operator : public QObject {
public:
    explicit Operator(std::vector<std::function<bool(QWidget*)>> steps) : m_steps(std::move(steps))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && m_next < m_steps.size() && m_steps[m_next](modal))
                ++m_next;
        });
        m_timer.start(10);
    }
    bool done() const { return m_next == m_steps.size(); }

private:
    std::vector<std::function<bool(QWidget*)>> m_steps;
    std::size_t m_next = 0;
    QTimer m_timer;
};

template <class T>
T* child(QWidget* w, const char* name)
{
    return w->findChild<T*>(QLatin1String(name));
}

} // namespace

class TestFirstRun final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void newUserSetsUpTheSystem()
    {
        RouterConfig router;
        router.sources = 10;
        router.destinations = 4;
        SimServer sim(router);
        QVERIFY(sim.listen(QHostAddress::LocalHost, 0));
        QTemporaryDir home;
        const QString appDir = home.path() + QDir::separator();
        const QString port = QString::number(sim.serverPort());

        {
            Program first(appDir);
            Operator user({
                [](QWidget* w) {  // "System Not Yet Configured."
                    auto* box = qobject_cast<QMessageBox*>(w);
                    if (!box || box->windowTitle() != QStringLiteral("Configuration Error"))
                        return false;
                    box->button(QMessageBox::Ok)->click();
                    return true;
                },
                [](QWidget* w) {  // the first user name and password
                    if (w->objectName() != QStringLiteral("frmTovaLogin"))
                        return false;
                    child<QLineEdit>(w, "txtUserName")->setText(QStringLiteral("Night Shift"));
                    child<QLineEdit>(w, "txtPassword")->setText(QStringLiteral("s3cret"));
                    child<QPushButton>(w, "cmdOK")->click();
                    return true;
                },
                [port](QWidget* w) {  // setup: TCP/IP mode against the simulator
                    if (w->objectName() != QStringLiteral("frmTovaFile"))
                        return false;
                    child<QRadioButton>(w, "optTCPIP")->click();
                    child<QLineEdit>(w, "txtIP")->setText(QStringLiteral("127.0.0.1"));
                    child<QLineEdit>(w, "txtIpPort")->setText(port);
                    child<QPushButton>(w, "cmdOk")->click();
                    return true;
                },
            });
            first.start();
            // Start-up does not wait for the operator: the dialogs follow one another in the loop.
            QVERIFY(WaitUntil([&user] { return user.done(); }, Bound));
            QVERIFY(first.state().TcpIpMode);
            QCOMPARE(first.state().UserName, QStringLiteral("Night Shift"));

            // The panel connects and fills its box; a take goes through the server.
            QVERIFY(QTest::qWaitFor([&] {
                if (first.state().Connected && !first.state().PanelPopulated)
                    PollTick(first.panel());
                return first.state().PanelPopulated && first.state().RxBuffer.isEmpty();
            }, Bound));
            auto* box = first.window().findChild<QComboBox*>(QStringLiteral("cmboSourceSelect"));
            QVERIFY(box->isEnabled());
            QCOMPARE(box->count(), 10);
            const QString chosen = box->itemText(box->currentIndex() + 1);
            QTest::keyClick(box, Qt::Key_Down);
            QTRY_COMPARE_WITH_TIMEOUT(box->currentText(), chosen, Bound);
            first.window().close();  // shut-down writes the settings
        }

        // The next start reads the same settings and asks nothing.
        Program next(appDir);
        Operator nobody({});
        Form_Load(next.panel());
        QVERIFY(next.state().TcpIpMode);
        QCOMPARE(next.state().IpAddress, QStringLiteral("127.0.0.1"));
        QCOMPARE(next.state().IpPort, static_cast<int>(sim.serverPort()));
        QCOMPARE(next.state().UserName, QStringLiteral("Night Shift"));
        QCOMPARE(next.state().UserPassword, QStringLiteral("s3cret"));
        QCOMPARE(next.state().OutputControlled, 0);
        QVERIFY(next.window().findChild<QComboBox*>(QStringLiteral("cmboSourceSelect"))->isEnabled());
    }
};

QTEST_MAIN(TestFirstRun)
#include "tst_firstrun.moc"
