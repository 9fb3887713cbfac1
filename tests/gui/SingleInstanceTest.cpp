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
#include <QTemporaryDir>
#include <QTest>

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
};

QTEST_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
