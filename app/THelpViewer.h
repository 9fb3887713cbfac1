#pragma once
// The help viewer: a window of its own showing the program's HTML help pages,
// with Contents, Index, Back and Forward. It is created once and shown on
// request; the main window closes it when the program closes.

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace larkspur {

class THelpViewer : public QWidget {
    Q_OBJECT
public:
    // helpDir holds the pages; links between pages are relative to it.
    explicit THelpViewer(const QString& helpDir, QWidget* parent = nullptr);

    void showContents();
    void showIndex();
    // False (and the contents instead) when no topic has that number.
    bool showTopic(int context);
    // page is a file name in the help folder, optionally with "#anchor".
    void showPage(const QString& page);

    // The page shown, as "file.html" or "file.html#anchor".
    QString currentPage() const;
    QTextBrowser* browser() const { return m_browser; }

private:
    void present();

    QString m_helpDir;
    QTextBrowser* m_browser = nullptr;
};

} // namespace larkspur
