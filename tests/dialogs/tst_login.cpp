#include "support/Fakes.h"

#include "dialogs/Login.h"
#include "dialogs/LoginDialog.h"
#include "dialogs/UserPassword.h"
#include "storage/Settings.h"

#include <QLineEdit>

Q_DECLARE_METATYPE(PasswordField)

namespace {

// User "operator" with the password "Secret", in a configured panel (its settings can be written).
struct LoginPanel : TestPanel {
    LoginPanel()
    {
        InitVariables(s, server);
        std::tie(s.UserName, s.UserPassword, s.TcpIpMode) = std::tuple(QStringLiteral("operator"), QStringLiteral("Secret"), true);
    }
    // What the logic left: "name/password", then every message asked as "title:text".
    QString outcome() const
    {
        QStringList out{s.UserName + u'/' + s.UserPassword};
        for (const auto& a : prompts.asked)
            out << a.what + u':' + a.text;
        return out.join(u'|');
    }
};

} // namespace

class TestLogin final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // OK in the login dialog: whether it closes, the Tag after it (LoggedIn with "ok"), what is stored.
    void loginOk_data()
    {
        Columns<QString, QString, QString, bool, QString, QString>("tag", "name", "password", "closes", "tagAfter", "outcome");
        QTest::newRow("new: no check") << "new" << "Ann" << "pw" << true << "new" << "Ann/pw";
        QTest::newRow("right password, other name") << "" << "nobody" << "Secret" << true << "ok" << "operator/Secret";
        QTest::newRow("case differs") << "" << "operator" << "secret" << false << "" << "operator/Secret|Login:Invalid Password, try again!";
    }
    void loginOk()
    {
        auto [tag, name, password, closes, tagAfter, outcome] =
            Fetch<QString, QString, QString, bool, QString, QString>("tag", "name", "password", "closes", "tagAfter", "outcome");
        LoginPanel t;
        QCOMPARE(Login_Ok(t.panel, tag, name, password), closes);
        QCOMPARE(tag, tagAfter);
        QCOMPARE(t.s.LoggedIn, tag == u"ok");
        QCOMPARE(t.outcome(), outcome);
        Login_Cancel(t.panel, tag);  // Cancel logs out
        QVERIFY(tag == u"fail" && !t.s.LoggedIn);
        // The first login ("new") cannot be cancelled and starts with empty fields.
        const LoginFields fields = Login_Activate(t.panel, tagAfter);
        QCOMPARE(QStringList({QString::number(fields.cancelEnabled), fields.userName, QString::number(fields.focusUserName)}).join(u'|'),
                 tagAfter == u"new" ? QStringLiteral("0||1") : QStringLiteral("1|%1|0").arg(t.s.UserName));
    }

    // The password dialog's checks, in order, and what a change stores and writes.
    void passwordOk_data()
    {
        Columns<QString, PasswordField, QString>("typed", "fault", "outcome");  // typed: old|new name|new|confirm
        QTest::newRow("empty current password") << "|Ann|a|a" << PasswordField::OldPassword << "operator/Secret|Login:Invalid Password!";
        QTest::newRow("confirmation differs") << "Secret|Ann|a|A" << PasswordField::NewPassword
                                              << "operator/Secret|Login:New password Entered Differently In Confirm Box";
        QTest::newRow("empty new name replaces") << "Secret|||" << PasswordField::None << "/";
    }
    void passwordOk()
    {
        auto [typed, fault, outcome] = Fetch<QString, PasswordField, QString>("typed", "fault", "outcome");
        const QStringList f = typed.split(u'|');
        LoginPanel t;
        QCOMPARE(UserPassword_Activate(t.panel), QStringLiteral("operator"));  // the name to change
        QCOMPARE(UserPassword_Ok(t.panel, {f[0], f[1], f[2], f[3]}), fault);
        QCOMPARE(t.outcome(), outcome);
        LoginPanel back;  // a change is in the settings file
        QFile::copy(t.path(SettingsFileName), back.path(SettingsFileName));
        QCOMPARE(ReadSettings(back.panel) ? back.outcome() : QString(), fault == PasswordField::None ? outcome : QString());
    }

    // The password field never shows what is typed.
    void passwordHidden()
    {
        LoginPanel t;
        LoginDialog d(t.panel);
        QCOMPARE(d.findChild<QLineEdit*>(QStringLiteral("txtPassword"))->echoMode(), QLineEdit::Password);
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
