// The recent-files menu: its entries in the menu and their stored form.

#include "ui/THistMenu.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

using namespace larkspur;

namespace {

const QString kBaseKey = "Software\\Halcyon Works\\Larkspur QTX 98";

QStringList menuTexts(const QMenu& menu)
{
    QStringList texts;
    for (const QAction* action : menu.actions())
        texts << (action->isSeparator() ? QString("-") : action->text());
    return texts;
}

} // namespace

class THistMenuTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;
    QString m_confPath;

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_root.path());
        m_confPath = m_root.path() + "/Halcyon Works/Larkspur QTX 98.conf";
    }

    void init() { QFile::remove(m_confPath); }

    void sixthEntryDropsTheOldestAndIsStoredInOrder()
    {
        QMenu menu;
        THistMenu history;
        history.setMenuItem(&menu);
        history.setBaseKey(kBaseKey);
        for (int i = 1; i <= 6; ++i)
            history.AddItem(QString("/tables/t%1.EAR").arg(i), 1);
        QCOMPARE(history.ItemCount(), 5);
        QCOMPARE(menuTexts(menu), (QStringList{"/tables/t2.EAR", "/tables/t3.EAR", "/tables/t4.EAR",
                                               "/tables/t5.EAR", "/tables/t6.EAR"}));
        history.SaveHistory();

        QSettings stored("Halcyon Works", "Larkspur QTX 98");
        stored.beginGroup("FileHistory");
        QCOMPARE(stored.childKeys(), (QStringList{"C0", "C1", "C2", "C3", "C4", "T0", "T1", "T2", "T3", "T4"}));
        QCOMPARE(stored.value("C0").toString(), QString("/tables/t2.EAR"));
        QCOMPARE(stored.value("C4").toString(), QString("/tables/t6.EAR"));
        QCOMPARE(stored.value("T3").toInt(), 1);
    }

    void loadRestoresEntriesInTheirOrderAfterTheMenusOwnItems()
    {
        {
            QSettings stored("Halcyon Works", "Larkspur QTX 98");
            stored.setValue("FileHistory/C0", "/a/old.EAR");
            stored.setValue("FileHistory/T0", 1);
            stored.setValue("FileHistory/C1", "/a/R&D.EAR");
            stored.setValue("FileHistory/T1", 7);
            stored.setValue("FileHistory/C3", "/a/after-a-gap.EAR");  // not reached: C2 is missing
        }
        QMenu menu;
        menu.addAction("Own item");
        THistMenu history;
        history.setAddSeparator(true);
        history.setMenuItem(&menu);
        history.setBaseKey(kBaseKey);
        history.LoadHistory();
        QCOMPARE(history.ItemCount(), 2);
        QCOMPARE(menuTexts(menu), (QStringList{"Own item", "-", "/a/old.EAR", "/a/R&&D.EAR"}));

        QString chosen;
        int chosenTag = 0;
        history.OnClick = [&](THistMenu&, const QString& caption, int tag) {
            chosen = caption;
            chosenTag = tag;
        };
        history.entryAction(1)->trigger();
        QCOMPARE(chosen, QString("/a/R&D.EAR"));
        QCOMPARE(chosenTag, 7);
        QVERIFY(history.contains("/a/R&D.EAR"));
        QVERIFY(!history.contains("/a/r&d.EAR"));

        history.setAddSeparator(false);
        QCOMPARE(menuTexts(menu), (QStringList{"Own item", "/a/old.EAR", "/a/R&&D.EAR"}));
    }

    void missingKeyLoadsNothingAndCreatesNothing()
    {
        QMenu menu;
        THistMenu history;
        history.setMenuItem(&menu);
        history.setBaseKey(kBaseKey);
        history.LoadHistory();
        QCOMPARE(history.ItemCount(), 0);
        QVERIFY(!QFile::exists(m_confPath));
    }

    void withoutMenuOrKeyNothingHappens()
    {
        THistMenu history;
        history.setBaseKey(kBaseKey);
        history.AddItem("/x.EAR", 1);
        QCOMPARE(history.ItemCount(), 0);

        QMenu menu;
        history.setMenuItem(&menu);
        history.setBaseKey(QString());
        history.AddItem("/x.EAR", 1);
        history.SaveHistory();
        QVERIFY(!QFile::exists(m_confPath));
    }

    void loweredMaximumShrinksTheListOnTheNextEntry()
    {
        QMenu menu;
        THistMenu history;
        history.setMenuItem(&menu);
        for (int i = 1; i <= 5; ++i)
            history.AddItem(QString::number(i), 1);
        history.setMaxHistory(1);  // ignored
        QCOMPARE(history.MaxHistory(), 5);
        history.setMaxHistory(3);
        history.AddItem("6", 1);
        QCOMPARE(menuTexts(menu), (QStringList{"4", "5", "6"}));
    }

    void newMenuStartsEmpty()
    {
        QMenu first;
        QMenu second;
        THistMenu history;
        history.setAddSeparator(true);
        history.setMenuItem(&first);
        history.AddItem("/a.EAR", 1);
        history.setMenuItem(&second);
        QVERIFY(first.actions().isEmpty());
        QCOMPARE(history.ItemCount(), 0);
    }
};

QTEST_MAIN(THistMenuTest)
#include "THistMenuTest.moc"
