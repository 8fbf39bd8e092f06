// The real services on a computer with no web browser and no sound device: the game carries on.
#include "app/forms/screens.h"
#include "app/platform/platform.h"
#include "screens/help/form_help.h"
#include "support/fakes.h"

#include <QFile>
#include <QSoundEffect>
#include <QTemporaryDir>
#include <QtTest>

namespace {
void script(const QString &path, const QByteArray &body)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n" + body + "\n");
    f.close();
    QVERIFY(f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
}

// Sets an environment variable for one scope.
class EnvVar
{
public:
    EnvVar(const char *name, const QByteArray &value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvVar()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};
} // namespace

class TestNative : public QObject
{
    Q_OBJECT
    fakes::Platform m_fake{};

private slots:
    void init() { m_fake = fakes::install(); }
    void cleanup() { fakes::unloadAllScreens(); }

    void browserLookup_data()
    {
        QTest::addColumn<bool>("opener");       // xdg-open on the PATH
        QTest::addColumn<QByteArray>("handler"); // what xdg-mime says handles web addresses
        QTest::addColumn<QByteArray>("browserVariable");
        QTest::addColumn<bool>("found");
        QTest::newRow("nothing on the PATH") << false << QByteArray() << QByteArray() << false;
        QTest::newRow("opener without a browser") << true << QByteArray() << QByteArray() << false;
        QTest::newRow("opener with a web handler") << true << QByteArray("firefox-esr.desktop") << QByteArray()
                                                   << true;
        QTest::newRow("opener and BROWSER set") << true << QByteArray() << QByteArray("lynx") << true;
        QTest::newRow("BROWSER set, no opener") << false << QByteArray() << QByteArray("lynx") << false;
    }
    void browserLookup()
    {
        QFETCH(bool, opener);
        QFETCH(QByteArray, handler);
        QFETCH(QByteArray, browserVariable);
        QFETCH(bool, found);
        QTemporaryDir bin;
        if (opener)
            script(bin.filePath(QStringLiteral("xdg-open")), "exit 0");
        script(bin.filePath(QStringLiteral("xdg-mime")), handler.isEmpty() ? "exit 0" : "echo " + handler);
        const EnvVar path("PATH", bin.path().toLocal8Bit());
        const EnvVar browser("BROWSER", browserVariable.isEmpty() ? QByteArray() : browserVariable);
        const QString command = platform::nativeBrowser()->command();
        QCOMPARE(command, found ? bin.filePath(QStringLiteral("xdg-open")) : QString());
    }

    void helpLinkWithoutBrowserShowsTheError()
    {
        const EnvVar path("PATH", QByteArray(""));
        platform::services().browser = platform::nativeBrowser();
        Form_help &help = forms::get<Form_help>();
        help.Show();
        QTest::mouseClick(&help.Label2, Qt::LeftButton);
        QCOMPARE(m_fake.dialogs->shown.size(), 1);
        QVERIFY(m_fake.dialogs->shown.first().startsWith(QStringLiteral("Erreur!|")));
        QVERIFY(m_fake.launcher->started.isEmpty());
    }

    void soundWithoutAnAudioDeviceIsSilent()
    {
        // No sound server in the test environment: the effects fail quietly and play on.
        const EnvVar pulse("PULSE_SERVER", QByteArray("unix:/nonexistent"));
        std::unique_ptr<platform::Sound> sound = platform::nativeSound();
        for (int i = 0; i < 50; ++i) {
            sound->play(i % 3 ? platform::SoundId::Drop : platform::SoundId::Win);
            QCoreApplication::processEvents();
        }
        QTest::qWait(200);
        sound.reset();
    }
};

QTEST_MAIN(TestNative)
#include "tst_native.moc"
