// A window that writes down every key and mouse press it gets, one line
// each, for the Wayland back end tests: "key <Qt key> <modifiers> <text
// UTF-8 hex>" and "press <x> <y> <button>". Usage: WINDOW LOGFILE TITLE
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace {

class LoggingWindow : public QWidget {
public:
    explicit LoggingWindow(const QString& logPath) : m_log(logPath)
    {
        m_log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        write(QStringLiteral("key %1 %2 %3")
                  .arg(e->key())
                  .arg(static_cast<int>(e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)))
                  .arg(QString::fromLatin1(e->text().toUtf8().toHex())));
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        const QPoint p = e->position().toPoint();
        write(QStringLiteral("press %1 %2 %3").arg(p.x()).arg(p.y()).arg(e->button() == Qt::LeftButton ? "left" : "other"));
    }
    void focusInEvent(QFocusEvent*) override { write(QStringLiteral("focus")); }

private:
    void write(const QString& line) { m_log.write((line + QLatin1Char('\n')).toUtf8()); }
    QFile m_log;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    QGuiApplication::setDesktopFileName(QStringLiteral("larkspur-test-window"));
    LoggingWindow window(QString::fromLocal8Bit(argv[1]));
    window.setWindowTitle(QString::fromLocal8Bit(argv[2]));
    window.resize(400, 300);
    window.show();
    return app.exec();
}
