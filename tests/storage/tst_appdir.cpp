#include "support/Fakes.h"

#include "storage/AppDir.h"

#include <QFileInfo>
#include <QScopeGuard>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString Ini = QStringLiteral("zebntpnl.ini");
const QString List = QStringLiteral("DisplayList.dat");

// Each place's settings file says where it came from.
QByteArray settingsFrom(QChar place) { return "[CONFIG]\r\nOutput=" + QString(place).toLatin1() + "\r\n"; }

// Makes an existing directory unwritable even for root: a read-only bind mount of it in this
// thread's own mount namespace (root), else its permission bits. False when neither is possible.
bool Seal(const QByteArray& dir)
{
    if (::geteuid() != 0)
        return ::chmod(dir.constData(), 0555) == 0;
    static const bool ownNamespace = ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return ownNamespace && ::mount(dir.constData(), dir.constData(), nullptr, MS_BIND, nullptr) == 0
        && ::mount(nullptr, dir.constData(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

} // namespace

// Where a panel keeps its files, on a tree of program, per-user and system directories:
// portable/ (a writable program directory), other/bin/ (a bin/ that is not installed),
// usr/bin/ beside usr/share/doc/tova-vantrel/ (installed), missing/bin/ (cannot be written),
// sealed/ (there, but cannot be written).
class TestAppDir final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void resolve_data()
    {
        // present: settings files there before (B beside the program, S system, U per-user); expected:
        // AppDir below the root (empty: an error); settings: whose settings file AppDir then holds.
        Columns<QString, QString, QString, QString, QString, QString>("program", "settingsDir", "profile", "present", "expected", "settings");
        const QString user = QStringLiteral("home/.config/ZEB/tova-vantrel");
        const QString profile = user + QStringLiteral("/profiles/studio 2");
        QTest::newRow("portable: beside the program") << "portable" << "" << "" << "BS" << "portable" << "B";
        QTest::newRow("bin/ that is not installed") << "other/bin" << "" << "" << "S" << "other/bin" << "";
        QTest::newRow("installed, nothing provisioned") << "usr/bin" << "" << "" << "" << user << "";
        QTest::newRow("installed, beside the program") << "usr/bin" << "" << "" << "BS" << user << "B";
        QTest::newRow("installed, system file") << "usr/bin" << "" << "" << "S" << user << "S";
        QTest::newRow("installed, per-user file kept") << "usr/bin" << "" << "" << "BSU" << user << "U";
        QTest::newRow("unwritable, system file") << "missing/bin" << "" << "" << "S" << user << "S";
        QTest::newRow("unwritable, beside the program") << "sealed" << "" << "" << "BS" << user << "B";
        QTest::newRow("settings dir, portable: system file") << "portable" << "panels/a/b" << "" << "BS" << "panels/a/b" << "S";
        QTest::newRow("profile, installed") << "usr/bin" << "" << "studio 2" << "BU" << profile << "B";
        QTest::newRow("profile, portable, nothing") << "portable" << "" << "studio 2" << "B" << profile << "";
        QTest::newRow("settings dir under a file") << "portable" << "afile/sub" << "" << "" << "" << "";
    }
    void resolve()
    {
        auto [program, settingsDir, profile, present, expected, settings] =
            Fetch<QString, QString, QString, QString, QString, QString>("program", "settingsDir", "profile", "present", "expected", "settings");
        QTemporaryDir root;
        const QDir r(root.path());
        for (const char* dir : {"portable", "other/bin", "usr/bin", "usr/share/doc/tova-vantrel", "etc/xdg/ZEB/tova-vantrel"})
            QVERIFY(r.mkpath(QLatin1String(dir)));
        WriteTestFile(r.filePath(QStringLiteral("afile")), "x");
        const QString user = r.filePath(QStringLiteral("home/.config/ZEB/tova-vantrel"));
        const QMap<QChar, QString> places{{u'B', r.filePath(program)}, {u'S', r.filePath(QStringLiteral("etc/xdg/ZEB/tova-vantrel"))}, {u'U', user}};
        for (const QChar place : present) {
            QVERIFY(r.mkpath(places[place]));
            WriteTestFile(places[place] + u'/' + Ini, settingsFrom(place));
            WriteTestFile(places[place] + u'/' + List, QByteArray("\x01\x00\x01\x00", 4) + QString(place).toLatin1());
        }
        const QByteArray sealed = program == u"sealed" ? QFile::encodeName(r.filePath(program)) : QByteArray();
        const auto unseal = qScopeGuard([&sealed] {
            if (!sealed.isEmpty()) {
                ::umount2(sealed.constData(), MNT_DETACH);
                ::chmod(sealed.constData(), 0755);
            }
        });
        if (!sealed.isEmpty() && !Seal(sealed))
            QSKIP("no way here to make a directory unwritable");
        QString error;
        const QString dir = ResolveAppDir({r.filePath(program), user, {r.filePath(QStringLiteral("etc/none")), places[u'S']}},
                                          {settingsDir.isEmpty() ? QString() : r.filePath(settingsDir), profile}, &error);
        QCOMPARE(dir, expected.isEmpty() ? QString() : r.filePath(expected) + u'/');
        QCOMPARE(error.contains(QStringLiteral("afile/sub")), expected.isEmpty());
        if (expected.isEmpty())
            return;
        QCOMPARE(ReadTestFile(dir + Ini), settings.isEmpty() ? QByteArray() : settingsFrom(settings[0]));
        QCOMPARE(ReadTestFile(dir + List).right(1), settings.toLatin1());
        // A provisioned copy is the panel's own, readable by the user only; the sources are untouched.
        struct stat st {};
        if (settings != u"U" && !settings.isEmpty() && dir != places[u'B'] + u'/') {
            QCOMPARE(::stat(QFile::encodeName(dir + Ini).constData(), &st), 0);
            QCOMPARE(int(st.st_mode & 0777), 0600);
        }
        for (const QChar place : present)
            QCOMPARE(ReadTestFile(places[place] + u'/' + Ini), settingsFrom(place));
    }

    // Help > Contents: beside the program first, then the installed documentation.
    void helpPage()
    {
        QTemporaryDir root;
        const QString bin = root.filePath(QStringLiteral("usr/bin")), doc = root.filePath(QStringLiteral("usr/share/doc/tova-vantrel/help"));
        QVERIFY(QDir().mkpath(bin + QStringLiteral("/help")) && QDir().mkpath(doc) && HelpPagePath(bin).isEmpty());
        for (const QString& place : {doc, bin + QStringLiteral("/help")}) {
            WriteTestFile(place + QStringLiteral("/index.html"), "<html>");
            QCOMPARE(HelpPagePath(bin), QFileInfo(place + QStringLiteral("/index.html")).absoluteFilePath());
        }
    }
};

QTEST_GUILESS_MAIN(TestAppDir)
#include "tst_appdir.moc"
