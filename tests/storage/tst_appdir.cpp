#include "support/Fakes.h"

#include "storage/AppDir.h"

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
// usr/bin/ beside usr/share/doc/tova-vantrel/ (installed), sealed/ (there, but cannot be written).
class TestAppDir final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void resolve_data()
    {
        // present: settings files there before (B beside the program, S system, U per-user); expected:
        // AppDir below the root (empty: an error); settings: whose settings file AppDir then holds.
        Columns<QString, QString, QString, QString, QString>("program", "settingsDir", "present", "expected", "settings");
        const QString user = QStringLiteral("home/.config/ZEB/tova-vantrel");
        QTest::newRow("installed, beside the program") << "usr/bin" << "" << "BS" << user << "B";
        QTest::newRow("installed, system file") << "usr/bin" << "" << "S" << user << "S";
        QTest::newRow("installed, per-user file kept") << "usr/bin" << "" << "BSU" << user << "U";
        QTest::newRow("unwritable, beside the program") << "sealed" << "" << "BS" << user << "B";
        QTest::newRow("settings dir under a file") << "usr/bin" << "afile/sub" << "" << "" << "";
    }
    void resolve()
    {
        auto [program, settingsDir, present, expected, settings] =
            Fetch<QString, QString, QString, QString, QString>("program", "settingsDir", "present", "expected", "settings");
        QTemporaryDir root;
        const QDir r(root.path());
        for (const char* dir : {"usr/bin", "usr/share/doc/tova-vantrel", "etc/xdg/ZEB/tova-vantrel"})
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
                                          {settingsDir.isEmpty() ? QString() : r.filePath(settingsDir), QString()}, &error);
        QCOMPARE(dir, expected.isEmpty() ? QString() : r.filePath(expected) + u'/');
        QCOMPARE(error.contains(QStringLiteral("afile/sub")), expected.isEmpty());
        if (expected.isEmpty())
            return;
        QCOMPARE(ReadTestFile(dir + Ini), settingsFrom(settings[0]));
        QCOMPARE(ReadTestFile(dir + List).right(1), settings.toLatin1());
        // A provisioned copy is the panel's own, readable by the user only.
        struct stat st {};
        if (settings != u"U") {
            QCOMPARE(::stat(QFile::encodeName(dir + Ini).constData(), &st), 0);
            QCOMPARE(int(st.st_mode & 0777), 0600);
        }
    }
};

QTEST_GUILESS_MAIN(TestAppDir)
#include "tst_appdir.moc"
