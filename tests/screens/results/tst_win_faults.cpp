// A round won when its progress file cannot be written, or holds rubbish: the win screen comes,
// the old file stays whole, and "Oui" and "Non" go on as ever.
#include "app/forms/screens.h"
#include "screens/game/form_instruments.h"
#include "screens/menu/form_choix_instruments.h"
#include "screens/results/form_gagner_instruments.h"
#include "support/fakes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>

using game::GameId;

namespace {
QByteArray contentOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// No file may grow in this process while it lives: a disk with no room left.
class NoFileGrowth
{
public:
    NoFileGrowth()
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit none = m_old;
        none.rlim_cur = 0;
        setrlimit(RLIMIT_FSIZE, &none);
    }
    ~NoFileGrowth()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_old{};
    void (*m_handler)(int) = nullptr;
};

void winPercussion(Form_instruments &screen)
{
    for (int row = 0; row < game::instrumentCount; ++row)
        if (game::plays(GameId::Percussions, row))
            emit screen.picture(row).DragDrop(&screen.nameLabel(row));
}
} // namespace

class TestWinFaults : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void init()
    {
        fakes::install();
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path() + QStringLiteral("/niveaux"));
        QDir::setCurrent(m_dir.path());
    }
    void cleanup() { fakes::unloadAllScreens(); }

    void winOverABadFile_data()
    {
        QTest::addColumn<QByteArray>("content");  // null: a folder in place of the file
        QTest::addColumn<bool>("diskFull");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QString>("levelsOpen");
        QTest::newRow("folder in place of the file") << QByteArray() << false << QByteArray() << "1--";
        QTest::newRow("full disk") << QByteArray("2\r\n") << true << QByteArray("2\r\n") << "12-";
        QTest::newRow("garbage is taken as 1") << QByteArray("\x01\xff zz") << false << QByteArray("2\r\n") << "12-";
        QTest::newRow("huge number") << QByteArray("99999999999") << false << QByteArray("2\r\n") << "12-";
    }
    void winOverABadFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, diskFull);
        QFETCH(QByteArray, after);
        QFETCH(QString, levelsOpen);
        const QString path = QStringLiteral("niveaux/percu.nvl");
        if (content.isNull()) {
            QVERIFY(QDir().mkdir(path));
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        Form_choix_instruments &menu = forms::get<Form_choix_instruments>();
        menu.Show();
        const int level = menu.levelLabel(GameId::Percussions, 2).Enabled() ? 2 : 1;
        QTest::mouseClick(&menu.levelLabel(GameId::Percussions, level), Qt::LeftButton, {}, QPoint(2, 2));
        Form_instruments &screen = forms::get<Form_instruments>();
        screen.Timer1.setEnabled(false);
        {
            std::optional<NoFileGrowth> full;
            if (diskFull)
                full.emplace();
            winPercussion(screen);
        }
        QVERIFY(forms::isLoaded<Form_gagner_instruments>());
        if (content.isNull())
            QVERIFY(QFileInfo(path).isDir());
        else
            QCOMPARE(contentOf(path), after);
        QString open;
        for (int level = 1; level <= 3; ++level)
            open += menu.levelLabel(GameId::Percussions, level).Enabled() ? QChar('0' + level) : QChar('-');
        QCOMPARE(open, levelsOpen);

        // The game plays on: again, then back to the menu.
        QTest::mouseClick(&forms::get<Form_gagner_instruments>().Command_oui, Qt::LeftButton, {}, QPoint(2, 2));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!forms::isLoaded<Form_gagner_instruments>());
        QVERIFY(screen.isEnabled());
        winPercussion(screen);
        QTest::mouseClick(&forms::get<Form_gagner_instruments>().Quitter, Qt::LeftButton, {}, QPoint(2, 2));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!forms::isLoaded<Form_instruments>());
        QVERIFY(menu.isEnabled());
    }
};

QTEST_MAIN(TestWinFaults)
#include "tst_win_faults.moc"
