// Two real processes of the program on the offscreen platform, each with the
// same private runtime folder and home: the second must wake the first and
// end without touching any file.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <cstring>
#include <unistd.h>

namespace {

// Every file under dir with its size and modification time.
QMap<QString, QString> snapshot(const QString& dir)
{
    QMap<QString, QString> files;
    QDirIterator it(dir, QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        files.insert(info.filePath(), QString::number(info.size()) + QLatin1Char('@') +
                                          QString::number(info.lastModified().toMSecsSinceEpoch()));
    }
    return files;
}

// Ten seconds of quiet line as an 8-bit mono 11025 Hz WAV file.
void writeQuietWave(const QString& path)
{
    const QByteArray samples(110250, char(128));
    QByteArray wave;
    auto u32 = [&wave](quint32 v) {
        for (int i = 0; i < 4; ++i)
            wave.append(char((v >> (8 * i)) & 0xff));
    };
    auto u16 = [&wave](quint16 v) {
        wave.append(char(v & 0xff));
        wave.append(char(v >> 8));
    };
    wave.append("RIFF");
    u32(36 + samples.size());
    wave.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(11025);
    u32(11025);
    u16(1);
    u16(8);
    wave.append("data");
    u32(samples.size());
    wave.append(samples);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(wave);
}

QProcessEnvironment testEnvironment(const QString& home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

// A process of another user listening at path, until killed. 0 when this
// test cannot change user (not root).
pid_t listenAsAnotherUser(const QByteArray& path)
{
    if (::geteuid() != 0)
        return 0;
    const pid_t pid = ::fork();
    if (pid != 0)
        return pid;
    // Nothing of the test's output or files stays open in the stranger.
    const int devNull = ::open("/dev/null", O_RDWR);
    for (int fd = 0; fd < 3; ++fd)
        ::dup2(devNull, fd);
    for (int fd = 3; fd < 1024; ++fd)
        ::close(fd);
    if (::setgid(65534) != 0 || ::setuid(65534) != 0)
        ::_exit(1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 8) != 0)
        ::_exit(2);
    for (;;) {
        const int client = ::accept(fd, nullptr, nullptr);
        char buffer[64];
        if (client >= 0 && ::read(client, buffer, sizeof buffer) >= 0)
            ::close(client);
    }
}

} // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

private slots:
    void secondStartWakesFirstAndLeavesFilesAlone()
    {
        QTemporaryDir root;
        const QString runtime = root.path() + QStringLiteral("/run");
        const QString home = root.path() + QStringLiteral("/home");
        QVERIFY(QDir().mkpath(runtime));
        QVERIFY(QDir().mkpath(home));
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString wave = root.path() + QStringLiteral("/quiet.wav");
        writeQuietWave(wave);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("larkspur.instance.info=true"));
        const QStringList arguments{QStringLiteral("--input"), wave};

        QProcess first;
        first.setProcessEnvironment(env);
        first.start(QStringLiteral(LARKSPUR_BINARY), arguments);
        QVERIFY(first.waitForStarted());
        const QString socket = runtime + QStringLiteral("/Larkspur-QTX-98-%1.instance").arg(getuid());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), 15000);
        // Let the first one settle: its sample store and options exist by now.
        QTest::qWait(500);
        const auto runtimeBefore = snapshot(runtime);
        const auto homeBefore = snapshot(home);
        QVERIFY(runtimeBefore.size() >= 2);

        QProcess second;
        second.setProcessEnvironment(env);
        second.start(QStringLiteral(LARKSPUR_BINARY), arguments);
        QVERIFY(second.waitForFinished(15000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);

        QByteArray firstLog;
        QTRY_VERIFY_WITH_TIMEOUT((firstLog += first.readAllStandardError()).contains("activated by a second start"),
                                 10000);
        QCOMPARE(snapshot(runtime), runtimeBefore);
        QCOMPARE(snapshot(home), homeBefore);
        QCOMPARE(first.state(), QProcess::Running);

        first.kill();
        first.waitForFinished();
    }

    // A compositor's key binding runs `larkspur --push-to-talk press|release`:
    // it reaches the running program's window and ends; it never starts one.
    void pushToTalkFromTheCommandLineReachesTheRunningWindow()
    {
        QTemporaryDir root;
        const QString runtime = root.path() + QStringLiteral("/run");
        const QString home = root.path() + QStringLiteral("/home");
        QVERIFY(QDir().mkpath(runtime));
        QVERIFY(QDir().mkpath(home + QStringLiteral("/.config/Halcyon Works")));
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QString wave = root.path() + QStringLiteral("/quiet.wav");
        writeQuietWave(wave);
        {
            QSettings options(home + QStringLiteral("/.config/Halcyon Works/Larkspur QTX 98.conf"), QSettings::IniFormat);
            options.setValue(QStringLiteral("PushToTalkKey1/Caption"), QStringLiteral("F9"));
        }
        QProcessEnvironment env = testEnvironment(home);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("larkspur.instance.info=true"));
        auto pass = [&env](const QString& what, int expectedExit) {
            QProcess key;
            key.setProcessEnvironment(env);
            key.start(QStringLiteral(LARKSPUR_BINARY), {QStringLiteral("--push-to-talk"), what});
            QVERIFY(key.waitForFinished(15000));
            QCOMPARE(key.exitCode(), expectedExit);
        };

        // Nothing running: said so, and no program is started for it.
        const QString socket = runtime + QStringLiteral("/Larkspur-QTX-98-%1.instance").arg(getuid());
        pass(QStringLiteral("press"), 1);
        QVERIFY(!QFileInfo::exists(socket));
        pass(QStringLiteral("hold"), 2);

        QProcess first;
        first.setProcessEnvironment(env);
        first.start(QStringLiteral(LARKSPUR_BINARY), {QStringLiteral("--input"), wave});
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), 15000);
        // The window takes key events once it has loaded its options, after
        // calibrating; until then a press finds no key and changes nothing.
        QByteArray log;
        const QByteArray talking = "push-to-talk press passed on: \"Push-to-talk: talking\"";
        for (int attempt = 0; attempt < 30 && !log.contains(talking); ++attempt) {
            pass(QStringLiteral("press"), 0);
            QTest::qWait(500);
            log += first.readAllStandardError();
        }
        QVERIFY2(log.contains(talking), log.constData());
        pass(QStringLiteral("release"), 0);
        QTRY_VERIFY_WITH_TIMEOUT((log += first.readAllStandardError())
                                     .contains("push-to-talk release passed on: \"Push-to-talk: hold F9\""),
                                 10000);
        QVERIFY(!log.contains("activated by a second start"));
        QCOMPARE(first.state(), QProcess::Running);
        first.kill();
        first.waitForFinished();
    }

    // Without a runtime folder the guard's socket goes into a folder of this
    // user's own in the temp folder, where nobody else can take the name.
    void withoutRuntimeFolderTheSocketIsPrivate()
    {
        QTemporaryDir root;
        const QString home = root.path() + QStringLiteral("/home");
        QVERIFY(QDir().mkpath(home));
        const QString wave = root.path() + QStringLiteral("/quiet.wav");
        writeQuietWave(wave);
        QProcessEnvironment env = testEnvironment(home);
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        env.insert(QStringLiteral("TMPDIR"), root.path());

        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(LARKSPUR_BINARY), {QStringLiteral("--input"), wave});
        QVERIFY(program.waitForStarted());
        const QString folder = root.path() + QStringLiteral("/larkspur-%1").arg(getuid());
        const QString socket = folder + QStringLiteral("/Larkspur-QTX-98-%1.instance").arg(getuid());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), 15000);
        QCOMPARE(QFile::permissions(folder) & 0x0077, QFileDevice::Permissions());
        QVERIFY(!QFileInfo::exists(root.path() + QStringLiteral("/Larkspur-QTX-98-%1.instance").arg(getuid())));
        program.kill();
        program.waitForFinished();
    }

    // Another user listening at the guard's name is not a running instance:
    // the program starts instead of ending silently.
    void aListenerOfAnotherUserIsIgnored()
    {
        QTemporaryDir root;
        const QString runtime = root.path() + QStringLiteral("/shared");
        const QString home = root.path() + QStringLiteral("/home");
        QVERIFY(QDir().mkpath(runtime));
        QVERIFY(QDir().mkpath(home));
        ::chmod(root.path().toLocal8Bit().constData(), 0755);
        ::chmod(runtime.toLocal8Bit().constData(), 0777);
        const QString socket = runtime + QStringLiteral("/Larkspur-QTX-98-%1.instance").arg(getuid());
        const pid_t stranger = listenAsAnotherUser(socket.toLocal8Bit());
        if (stranger == 0)
            QSKIP("needs root to listen as another user");
        // Ends the stranger however this test ends.
        const std::unique_ptr<void, std::function<void(void*)>> endStranger(reinterpret_cast<void*>(1), [stranger](void*) {
            ::kill(stranger, SIGKILL);
            ::waitpid(stranger, nullptr, 0);
        });
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(socket), 5000);
        const QString wave = root.path() + QStringLiteral("/quiet.wav");
        writeQuietWave(wave);
        QProcessEnvironment env = testEnvironment(home);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);

        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(LARKSPUR_BINARY), {QStringLiteral("--input"), wave});
        QVERIFY(program.waitForStarted());
        // Still running once its sample store exists: it did not give way.
        QTRY_VERIFY_WITH_TIMEOUT(!QDir(runtime).entryList({QStringLiteral("larkspur-VCWaves-*")}, QDir::Files).isEmpty(),
                                 15000);
        QCOMPARE(program.state(), QProcess::Running);
        program.kill();
        program.waitForFinished();
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
