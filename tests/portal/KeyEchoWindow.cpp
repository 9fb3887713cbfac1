// A full-screen window that writes every key press and mouse click it gets
// to a file, one line each, for the tests that type into a real compositor.
// Usage: larkspur_key_echo_window EVENTS_FILE

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace {

class EchoWindow : public QWidget {
public:
    explicit EchoWindow(const QString& path) : m_file(path)
    {
        m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        setWindowTitle(QStringLiteral("Larkspur key echo"));
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        QString mods;
        if (event->modifiers() & Qt::ControlModifier)
            mods += QLatin1Char('C');
        if (event->modifiers() & Qt::AltModifier)
            mods += QLatin1Char('A');
        // "key <Qt key> <Ctrl/Alt> <text as code points>"
        QString codes;
        for (const char32_t c : event->text().toUcs4())
            codes += QString::number(c, 16) + QLatin1Char(',');
        write(QStringLiteral("key %1 %2 %3").arg(event->key()).arg(mods.isEmpty() ? QStringLiteral("-") : mods,
                                                                   codes.isEmpty() ? QStringLiteral("-") : codes));
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        const QPoint p = event->position().toPoint();
        write(QStringLiteral("click %1 %2 %3").arg(int(event->button())).arg(p.x()).arg(p.y()));
    }
    void focusInEvent(QFocusEvent*) override
    {
        if (!m_ready) {
            m_ready = true;
            write(QStringLiteral("ready %1 %2").arg(width()).arg(height()));
        }
    }

private:
    void write(const QString& line)
    {
        m_file.write(line.toUtf8() + '\n');
        m_file.flush();
    }

    QFile m_file;
    bool m_ready = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    EchoWindow window(QString::fromLocal8Bit(argv[1]));
    window.setFocusPolicy(Qt::StrongFocus);
    window.showFullScreen();
    return app.exec();
}
