#include "support/Fakes.h"

#include "dialogs/SwitcherPasswordDialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QWindow>

using Messages = QList<QByteArray>;

class TestSwitcherPassword final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // What each way of answering sends, and whether the prompt stays open.
    void answers_data()
    {
        const Messages none, empty{QByteArray("\x80\x00\x00\x00\xff", 5)}, ab{QByteArray("\x80\x00\x02" "ab" "\x45\xff", 7)};
        Columns<QString, QString, Messages, bool>("typed", "action", "sent", "stillOpen");
        QTest::newRow("OK with an empty field") << "" << "CmdOk" << none << true;
        QTest::newRow("Cancel") << "typed" << "cmdCancel" << empty << false;
        QTest::newRow("OK") << "ab" << "CmdOk" << ab << false;
        QTest::newRow("Enter sends once") << "ab" << "enter" << ab << false;
        // The server waits for an answer: the operator closing the prompt any way cancels it.
        QTest::newRow("window's close button") << "ab" << "windowClose" << empty << false;
        // The shut-down closing every window is no answer of the operator.
        QTest::newRow("closed at shut-down") << "ab" << "shutDown" << none << false;
    }
    void answers()
    {
        auto [typed, action, sent, stillOpen] = Fetch<QString, QString, Messages, bool>("typed", "action", "sent", "stillOpen");
        TestPanel t;
        InitVariables(t.s, t.server);
        t.link.connected = true;
        auto* dialog = new SwitcherPasswordDialog(t.panel);  // deletes itself once closed
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("txtPassword"));
        QVERIFY(field->hasFocus() && field->echoMode() == QLineEdit::Password);

        QTest::keyClicks(field, typed);
        t.s.ShutDownDone = action == u"shutDown";
        if (action == u"enter")
            QTest::keyClick(field, Qt::Key_Return);
        else if (action == u"windowClose" || action == u"shutDown")
            dialog->windowHandle()->close();
        else
            dialog->findChild<QPushButton*>(action)->click();
        QCOMPARE(t.link.sent, sent);
        QVERIFY(dialog->isVisible() == stillOpen && t.s.SwitcherPasswordShown == stillOpen);
        delete dialog;
    }
};

QTEST_MAIN(TestSwitcherPassword)
#include "tst_switcherpassword.moc"
