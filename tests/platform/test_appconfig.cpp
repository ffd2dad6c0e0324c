#include "platform/Tappconfig.h"
#include "platform/Tapptitle.h"
#include "platform/Varnokierror.h"

#include "Definitionfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
QByteArray Read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Every test works on the program's one instance, with the user's configuration
// folder moved into a temporary folder.
class AppConfigTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FOldConfigHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(FDir.filePath(QStringLiteral("config"))));
        Config().SetDefaults();
    }
    void TearDown() override
    {
        if (FOldConfigHome.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", FOldConfigHome);
    }

    static TAppConfig &Config() { return TAppConfig::GetInstance(); }
    QString Path(const QString &name) const { return FDir.filePath(name); }

    void ExpectDefaults()
    {
        EXPECT_FALSE(Config().GetUseProxy());
        EXPECT_EQ(Config().GetProxyServer(), QStringLiteral("127.0.0.1"));
        EXPECT_EQ(Config().GetProxyPort(), 8080);
        EXPECT_EQ(Config().GetSleepTime(), 0);
    }

    void LoadText(const QByteArray &text)
    {
        const QString path = Path(QStringLiteral("load.ini"));
        ASSERT_TRUE(WriteBytes(path, text));
        Config().Load(path);
    }

    QTemporaryDir FDir;
    QByteArray FOldConfigHome;
};
} // namespace

TEST_F(AppConfigTest, OneInstanceWithTheDefaults)
{
    EXPECT_EQ(&TAppConfig::GetInstance(), &TAppConfig::GetInstance());
    Config().SetUseProxy(true);
    Config().SetProxyServer(QStringLiteral("proxy"));
    Config().SetProxyPort(3128);
    Config().SetSleepTime(500);
    EXPECT_TRUE(TAppConfig::GetInstance().GetUseProxy());
    Config().SetDefaults();
    ExpectDefaults();
}

TEST_F(AppConfigTest, FirstStartCreatesTheFolderButNoFile)
{
    const QString title = GetApplicationTitle();
    const QString fileName = TAppConfig::GetIniFileName();
    const QString folder = Path(QStringLiteral("config/Quillfen/")) + title;
    EXPECT_EQ(fileName, folder + QLatin1Char('/') + title + QStringLiteral(".ini"));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_FALSE(QFileInfo::exists(fileName));

    Config().SetProxyPort(1);
    Config().Load(fileName);
    ExpectDefaults();
    EXPECT_FALSE(QFileInfo::exists(fileName));
    EXPECT_EQ(TAppConfig::GetIniFileName(), fileName) << "asking again changes nothing";
}

TEST_F(AppConfigTest, LoadReadsTheFourValues)
{
    LoadText("[HTTP_PROXY]\nUseProxy=1\nProxyServer=proxy.example\nProxyPort=3128\nSleepTime=1500\n");
    EXPECT_TRUE(Config().GetUseProxy());
    EXPECT_EQ(Config().GetProxyServer(), QStringLiteral("proxy.example"));
    EXPECT_EQ(Config().GetProxyPort(), 3128);
    EXPECT_EQ(Config().GetSleepTime(), 1500);
}

TEST_F(AppConfigTest, HexadecimalBooleansAndLetterCase)
{
    LoadText("[http_proxy]\nuseproxy=2\nPROXYPORT=0x1F90\nsleeptime=0X10\n");
    EXPECT_TRUE(Config().GetUseProxy());
    EXPECT_EQ(Config().GetProxyPort(), 8080);
    EXPECT_EQ(Config().GetSleepTime(), 16);
    EXPECT_EQ(Config().GetProxyServer(), QStringLiteral("127.0.0.1"));
}

TEST_F(AppConfigTest, UnparsableValuesTakeTheDefaultsNotThePreviousValues)
{
    Config().SetUseProxy(true);
    Config().SetProxyPort(3128);
    Config().SetSleepTime(99);
    LoadText("[HTTP_PROXY]\nUseProxy=yes\nProxyPort=eighty\nSleepTime=1.5\nProxyServer=\n");
    EXPECT_FALSE(Config().GetUseProxy());
    EXPECT_EQ(Config().GetProxyPort(), 8080);
    EXPECT_EQ(Config().GetSleepTime(), 0);
    EXPECT_EQ(Config().GetProxyServer(), QString()) << "an empty value is not a missing key";
}

TEST_F(AppConfigTest, NegativeWaitAndOtherSectionsLoad)
{
    LoadText("[OTHER]\nSleepTime=5\n[HTTP_PROXY]\nSleepTime=-20\n");
    EXPECT_EQ(Config().GetSleepTime(), -20);
    EXPECT_EQ(Config().GetProxyPort(), 8080);
}

TEST_F(AppConfigTest, SaveWritesTheFourKeysInOrder)
{
    const QString fileName = TAppConfig::GetIniFileName();
    Config().SetUseProxy(true);
    Config().SetProxyServer(QStringLiteral("proxy.local"));
    Config().SetProxyPort(3128);
    Config().SetSleepTime(250);
    Config().Save(fileName);
    EXPECT_EQ(Read(fileName), QByteArray("[HTTP_PROXY]\n"
                                         "UseProxy=1\n"
                                         "ProxyServer=proxy.local\n"
                                         "ProxyPort=3128\n"
                                         "SleepTime=250\n"));

    Config().SetDefaults();
    Config().Load(fileName);
    EXPECT_TRUE(Config().GetUseProxy());
    EXPECT_EQ(Config().GetProxyServer(), QStringLiteral("proxy.local"));
    EXPECT_EQ(Config().GetProxyPort(), 3128);
    EXPECT_EQ(Config().GetSleepTime(), 250);

    Config().SetUseProxy(false);
    Config().SetProxyServer(QString());
    Config().SetProxyPort(0);
    Config().Save(fileName);
    EXPECT_EQ(Read(fileName), QByteArray("[HTTP_PROXY]\n"
                                         "UseProxy=0\n"
                                         "ProxyServer=\n"
                                         "ProxyPort=0\n"
                                         "SleepTime=250\n"));
    EXPECT_EQ(QDir(QFileInfo(fileName).absolutePath()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QFileInfo(fileName).fileName()})
        << "no temporary file is left beside it";
}

TEST_F(AppConfigTest, SaveKeepsOtherSectionsKeysAndComments)
{
    const QString fileName = Path(QStringLiteral("settings.ini"));
    ASSERT_TRUE(WriteBytes(fileName, "; written by hand\r\n"
                                     "[Window]\r\n"
                                     "Left=10\r\n"
                                     "\r\n"
                                     "[HTTP_PROXY]\r\n"
                                     "Extra=kept\r\n"
                                     "ProxyPort=1\r\n"));
    Config().SetProxyServer(QStringLiteral("日本語.example"));
    Config().Save(fileName);
    EXPECT_EQ(Read(fileName), QByteArray("; written by hand\r\n"
                                         "[Window]\r\n"
                                         "Left=10\r\n"
                                         "\r\n"
                                         "[HTTP_PROXY]\r\n"
                                         "Extra=kept\r\n"
                                         "ProxyPort=8080\r\n"
                                         "UseProxy=0\r\n"
                                         "ProxyServer=")
                                  + QStringLiteral("日本語.example").toUtf8()
                                  + "\r\nSleepTime=0\r\n");
    Config().SetDefaults();
    Config().Load(fileName);
    EXPECT_EQ(Config().GetProxyServer(), QStringLiteral("日本語.example"));
}

TEST_F(AppConfigTest, SaveKeepsAUtf16FileUtf16)
{
    const QString fileName = Path(QStringLiteral("settings.ini"));
    auto utf16 = [](const QString &text) -> QByteArray {
        QStringEncoder encoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
        return encoder(text);
    };
    ASSERT_TRUE(WriteBytes(fileName, utf16(QStringLiteral("[メモ]\r\n名前=値\r\n"))));
    Config().Save(fileName);
    EXPECT_EQ(Read(fileName), utf16(QStringLiteral("[メモ]\r\n名前=値\r\n\r\n[HTTP_PROXY]\r\n"
                                                "UseProxy=0\r\nProxyServer=127.0.0.1\r\n"
                                                "ProxyPort=8080\r\nSleepTime=0\r\n")));
}

TEST_F(AppConfigTest, SaveFailsLoudlyAndLeavesWhatIsThere)
{
    const QString intoMissingFolder = Path(QStringLiteral("missing/settings.ini"));
    EXPECT_THROW(Config().Save(intoMissingFolder), EVarnokiError);
    EXPECT_FALSE(QFileInfo::exists(intoMissingFolder));

    const QString folder = Path(QStringLiteral("folder.ini"));
    ASSERT_TRUE(QDir().mkpath(folder));
    Config().Load(folder);
    ExpectDefaults();
    try {
        Config().Save(folder);
        ADD_FAILURE() << "saving over a folder must fail";
    } catch (const EVarnokiError &error) {
        EXPECT_TRUE(error.Message().startsWith(QStringLiteral("設定ファイルを保存できませんでした。")));
        EXPECT_TRUE(error.Message().contains(folder));
    }
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

TEST_F(AppConfigTest, AnUnreadableFileGivesDefaultsAndIsNotOverwritten)
{
    const QString fileName = Path(QStringLiteral("locked.ini"));
    ASSERT_TRUE(WriteBytes(fileName, "[HTTP_PROXY]\nProxyPort=1\n[Keep]\nthis=1\n"));
    ASSERT_TRUE(QFile::setPermissions(fileName, QFileDevice::WriteOwner | QFileDevice::WriteOther));
    OpenToEveryone(FDir.path());
    QFile::setPermissions(FDir.path(), QFileDevice::Permissions(0x7777));
    const int result = RunUnprivileged([&fileName] {
        TAppConfig &config = TAppConfig::GetInstance();
        config.Load(fileName);
        const bool defaults = config.GetProxyPort() == 8080;
        bool refused = false;
        try {
            config.Save(fileName);
        } catch (const EVarnokiError &) {
            refused = true;
        }
        return (defaults ? 1 : 0) + (refused ? 2 : 0);
    });
    EXPECT_EQ(result, 3);
    ASSERT_TRUE(QFile::setPermissions(fileName, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ(Read(fileName), QByteArray("[HTTP_PROXY]\nProxyPort=1\n[Keep]\nthis=1\n"));
}
