#include "support/Fakes.h"
#include "support/RunDialog.h"

#include "dialogs/Login.h"
#include "dialogs/LoginDialog.h"
#include "dialogs/PasswordDialog.h"
#include "dialogs/UserPassword.h"
#include "storage/Settings.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

#include <functional>

Q_DECLARE_METATYPE(PasswordField)

class TestLogin final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        t = std::make_unique<TestPanel>();
        InitVariables(t->s, t->server);
        t->s.UserName = QStringLiteral("operator");
        t->s.UserPassword = QStringLiteral("Secret");
    }
    void cleanup() { t.reset(); }

    // The outcome of OK in the login dialog: what is stored, the Tag and LoggedIn.
    void loginOk_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typedName");
        QTest::addColumn<QString>("typedPassword");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QString>("tagAfter");
        QTest::addColumn<bool>("loggedIn");
        QTest::addColumn<QString>("userName");
        QTest::addColumn<QString>("userPassword");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("new: empty fields are stored") << "new" << "Secret" << "" << "" << true << "new" << true
                                                      << "" << "" << QStringList{};
        QTest::newRow("new: no check") << "new" << "Secret" << "Ann" << "pw" << true << "new" << true << "Ann"
                                       << "pw" << QStringList{};
        QTest::newRow("right password, other name") << "" << "Secret" << "nobody" << "Secret" << true << "ok"
                                                    << true << "operator" << "Secret" << QStringList{};
        QTest::newRow("empty stored password") << "" << "" << "operator" << "" << true << "ok" << true
                                              << "operator" << "" << QStringList{};
        QTest::newRow("case differs") << "" << "Secret" << "operator" << "secret" << false << "" << true
                                     << "operator" << "Secret" << QStringList{u"Login:Invalid Password, try again!"_s};
    }
    void loginOk()
    {
        QFETCH(QString, tag);
        QFETCH(QString, stored);
        QFETCH(bool, closes);
        t->s.UserPassword = stored;
        t->s.LoggedIn = true;  // left alone unless a login is accepted or cancelled
        QFETCH(QString, typedName);
        QFETCH(QString, typedPassword);
        QCOMPARE(Login_Ok(t->panel, tag, typedName, typedPassword), closes);
        QTEST(tag, "tagAfter");
        QTEST(t->s.LoggedIn, "loggedIn");
        QTEST(t->s.UserName, "userName");
        QTEST(t->s.UserPassword, "userPassword");
        QTEST(asked(), "messages");
    }

    // The password dialog's checks, in order, and what a change stores.
    void passwordOk_data()
    {
        QTest::addColumn<QString>("oldPassword");
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QString>("newPassword");
        QTest::addColumn<QString>("confirm");
        QTest::addColumn<PasswordField>("fault");
        QTest::addColumn<QString>("userName");
        QTest::addColumn<QString>("userPassword");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("wrong current password first")
            << "secret" << "Ann" << "a" << "b" << PasswordField::OldPassword << "operator" << "Secret"
            << QStringList{u"Login:Invalid Password!"_s};
        QTest::newRow("confirmation differs")
            << "Secret" << "Ann" << "a" << "A" << PasswordField::NewPassword << "operator" << "Secret"
            << QStringList{u"Login:New password Entered Differently In Confirm Box"_s};
        QTest::newRow("change") << "Secret" << "Ann" << "new pw" << "new pw" << PasswordField::None << "Ann"
                                << "new pw" << QStringList{};
        QTest::newRow("empty new name replaces") << "Secret" << "" << "" << "" << PasswordField::None << ""
                                                 << "" << QStringList{};
    }
    void passwordOk()
    {
        QFETCH(QString, oldPassword);
        QFETCH(QString, newName);
        QFETCH(QString, newPassword);
        QFETCH(QString, confirm);
        t->s.TcpIpMode = true;  // a configured panel, so that the settings can be written
        QTEST(UserPassword_Ok(t->panel, {oldPassword, newName, newPassword, confirm}), "fault");
        QTEST(t->s.UserName, "userName");
        QTEST(t->s.UserPassword, "userPassword");
        QTEST(asked(), "messages");
        QCOMPARE(QFile::exists(t->path(SettingsFileName)), asked().isEmpty());
    }

    void changeIsWrittenToSettings()
    {
        t->s.TcpIpMode = true;
        QCOMPARE(UserPassword_Ok(t->panel, {u"Secret"_s, u"Ann"_s, u"pw2"_s, u"pw2"_s}), PasswordField::None);
        t->s.UserName.clear();
        t->s.UserPassword.clear();
        QVERIFY(ReadSettings(t->panel));
        QCOMPARE(t->s.UserName, QStringLiteral("Ann"));
        QCOMPARE(t->s.UserPassword, QStringLiteral("pw2"));
    }

    void cancelsLogOut()
    {
        t->s.LoggedIn = true;
        QString tag;
        Login_Cancel(t->panel, tag);
        QCOMPARE(tag, QStringLiteral("fail"));
        QVERIFY(!t->s.LoggedIn);
        t->s.LoggedIn = true;
        PasswordDialog dialog(t->panel);
        during(dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
        QCOMPARE(RunDialog(dialog, QString()), QString());
        QVERIFY(!t->s.LoggedIn);
        QCOMPARE(t->s.UserPassword, QStringLiteral("Secret"));
    }

    // The login window: a wrong password keeps it open with the field selected for retyping.
    void loginWindow()
    {
        LoginDialog dialog(t->panel);
        QLineEdit* name = dialog.findChild<QLineEdit*>(QStringLiteral("txtUserName"));
        QLineEdit* password = dialog.findChild<QLineEdit*>(QStringLiteral("txtPassword"));
        QStringList seen;
        during(dialog, [&] {
            seen << name->text() << password->text() << focusName(dialog);
            QTest::keyClicks(password, QStringLiteral("wrong"));
            click(dialog, "cmdOK");
            seen << QString::number(dialog.isVisible()) << focusName(dialog) << password->selectedText();
            QTest::keyClicks(password, QStringLiteral("Secret"));
            click(dialog, "cmdOK");
        });
        QCOMPARE(RunDialog(dialog, QString()), QStringLiteral("ok"));
        QCOMPARE(seen, (QStringList{u"operator"_s, u""_s, u"txtPassword"_s, u"1"_s, u"txtPassword"_s, u"wrong"_s}));
        QVERIFY(t->s.LoggedIn);

        // A second showing starts afresh; in "new" mode Cancel and Escape are out of reach.
        bool cancelEnabled = true;
        during(dialog, [&] {
            seen = QStringList{name->text(), password->text(), focusName(dialog)};
            cancelEnabled = dialog.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->isEnabled();
            QTest::keyClick(&dialog, Qt::Key_Escape);
            seen << QString::number(dialog.isVisible());
            QTest::keyClicks(name, QStringLiteral("Ann"));
            click(dialog, "cmdOK");
        });
        QCOMPARE(RunDialog(dialog, QStringLiteral("new")), QStringLiteral("new"));
        QCOMPARE(seen, (QStringList{u""_s, u""_s, u"txtUserName"_s, u"1"_s}));
        QVERIFY(!cancelEnabled);
        QCOMPARE(t->s.UserName, QStringLiteral("Ann"));
        QCOMPARE(t->s.UserPassword, QString());
    }

    void passwordWindow()
    {
        t->s.TcpIpMode = true;
        PasswordDialog dialog(t->panel);
        auto field = [&](const char* n) { return dialog.findChild<QLineEdit*>(QLatin1String(n)); };
        QStringList seen;
        during(dialog, [&] {
            seen << field("txtUserName")->text() << focusName(dialog);
            QTest::keyClicks(field("txtOldPassword"), QStringLiteral("Secret"));
            QTest::keyClicks(field("txtNewUserName"), QStringLiteral("Ann"));
            QTest::keyClicks(field("txtNewPassword"), QStringLiteral("one"));
            QTest::keyClicks(field("txtConfirmPassword"), QStringLiteral("two"));
            click(dialog, "cmdOK");
            seen << focusName(dialog) << field("txtNewPassword")->selectedText();
            field("txtConfirmPassword")->setText(QStringLiteral("one"));
            click(dialog, "cmdOK");
        });
        RunDialog(dialog, QString());
        QCOMPARE(seen, (QStringList{u"operator"_s, u"txtOldPassword"_s, u"txtNewPassword"_s, u"one"_s}));
        QCOMPARE(t->s.UserName, QStringLiteral("Ann"));
        QCOMPARE(t->s.UserPassword, QStringLiteral("one"));

        // Opened again: the new user name shows and every other field is cleared.
        during(dialog, [&] {
            seen.clear();
            for (const char* n :
                 {"txtUserName", "txtOldPassword", "txtNewUserName", "txtNewPassword", "txtConfirmPassword"})
                seen << field(n)->text();
            dialog.reject();
        });
        RunDialog(dialog, QString());
        QCOMPARE(seen, (QStringList{u"Ann"_s, u""_s, u""_s, u""_s, u""_s}));
    }

private:
    QStringList asked() const
    {
        QStringList out;
        for (const auto& a : t->prompts.asked)
            out << a.what + u':' + a.text;
        return out;
    }
    static QString focusName(QDialog& dialog)
    {
        return dialog.focusWidget() ? dialog.focusWidget()->objectName() : QString();
    }
    static void click(QDialog& dialog, const char* name)
    {
        dialog.findChild<QPushButton*>(QLatin1String(name))->click();
    }
    // Runs the steps once the modal dialog is up; a dialog still open afterwards is closed, so a
    // failing step cannot leave the test waiting.
    static void during(QDialog& dialog, std::function<void()> steps)
    {
        QTimer::singleShot(0, &dialog, [&dialog, steps] {
            steps();
            if (dialog.isVisible())
                dialog.done(QDialog::Rejected);
        });
    }

    std::unique_ptr<TestPanel> t;
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
