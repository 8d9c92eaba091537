#include "support/Fakes.h"

#include "dialogs/SwitcherPasswordDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {

const QByteArray EmptyPassword("\x80\x00\x00\x00\xff", 5);

} // namespace

class TestSwitcherPassword final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        t = std::make_unique<TestPanel>();
        InitVariables(t->s, t->server);
        t->link.connected = true;
        dialog = std::make_unique<SwitcherPasswordDialog>(t->panel);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    }
    void cleanup()
    {
        dialog.reset();
        t.reset();
    }

    void showsWhoAsks()
    {
        QVERIFY(t->s.SwitcherPasswordShown);
        QCOMPARE(label("lblIP")->text(), QStringLiteral("IP: 0.0.0.0"));
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Enter Password"));
        QCOMPARE(field()->echoMode(), QLineEdit::Password);
        QVERIFY(field()->hasFocus());
    }

    // What each way of answering sends, and whether the prompt stays open.
    void answers_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QList<QByteArray>>("sent");
        QTest::addColumn<bool>("stillOpen");
        QTest::newRow("OK with an empty field") << QString() << "CmdOk" << QList<QByteArray>{} << true;
        QTest::newRow("Enter with an empty field") << QString() << "enter" << QList<QByteArray>{} << true;
        QTest::newRow("Cancel") << QStringLiteral("typed") << "cmdCancel" << QList<QByteArray>{EmptyPassword} << false;
        QTest::newRow("OK") << QStringLiteral("ab") << "CmdOk"
                            << QList<QByteArray>{QByteArray("\x80\x00\x02" "ab" "\x45\xff", 7)} << false;
        QTest::newRow("Enter sends once") << QStringLiteral("ab") << "enter"
                                          << QList<QByteArray>{QByteArray("\x80\x00\x02" "ab" "\x45\xff", 7)} << false;
        // The server waits for an answer: the operator closing the prompt any way cancels it.
        QTest::newRow("Escape") << QStringLiteral("ab") << "escape" << QList<QByteArray>{EmptyPassword} << false;
        QTest::newRow("window's close button") << QStringLiteral("ab") << "windowClose" << QList<QByteArray>{EmptyPassword} << false;
        // The shut-down closing every window is no answer of the operator.
        QTest::newRow("closed at shut-down") << QStringLiteral("ab") << "shutDown" << QList<QByteArray>{} << false;
    }
    void answers()
    {
        QFETCH(QString, typed);
        QFETCH(QString, action);
        QFETCH(QList<QByteArray>, sent);
        QFETCH(bool, stillOpen);
        QTest::keyClicks(field(), typed);
        t->s.ShutDownDone = action == QLatin1String("shutDown");
        if (action == QLatin1String("enter"))
            QTest::keyClick(field(), Qt::Key_Return);
        else if (action == QLatin1String("escape"))
            QTest::keyClick(field(), Qt::Key_Escape);
        else if (action == QLatin1String("windowClose") || action == QLatin1String("shutDown"))
            dialog->windowHandle()->close();
        else
            dialog->findChild<QPushButton*>(action)->click();
        QCOMPARE(t->link.sent, sent);
        QCOMPARE(dialog->isVisible(), stillOpen);
        QCOMPARE(t->s.IpPassword, QString());  // the typed password is not kept
    }

    void endOfLinkClosesWithoutAnswer()
    {
        dialog->dismiss();
        QVERIFY(!dialog->isVisible());
        dialog.reset();
        QVERIFY(!t->s.SwitcherPasswordShown);
        QVERIFY(t->link.sent.isEmpty());
    }

private:
    QLabel* label(const char* name) { return dialog->findChild<QLabel*>(QLatin1String(name)); }
    QLineEdit* field() { return dialog->findChild<QLineEdit*>(QStringLiteral("txtPassword")); }

    std::unique_ptr<TestPanel> t;
    std::unique_ptr<SwitcherPasswordDialog> dialog;
};

QTEST_MAIN(TestSwitcherPassword)
#include "tst_switcherpassword.moc"
