// The settings store: the character shift of every key and value, the file that keeps them,
// and the date text, which must read back as the same date under every locale.
#include "services/dateformat.h"
#include "services/settings.h"
#include "services/updatereminder.h"
#include "support/settingsstore.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>

using namespace testsupport::store;

namespace {

QList<int> codes(const QString& text)
{
    QList<int> list;
    for (QChar c : text)
        list << c.unicode();
    return list;
}

const QList<int> kDurationCodes{153, 202, 199, 182, 201, 190, 196, 195};

// The raw text under the encoded key, read by a settings object of its own.
QString rawStoredValue()
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Veldrane"),
                    QCoreApplication::applicationName());
    return store.value(QStringLiteral("Settings/") + fromCodes(kDurationCodes)).toString();
}

} // namespace

Q_DECLARE_METATYPE(QList<int>)

class SettingsTest : public testsupport::TestCase {
    Q_OBJECT

private slots:
    void cleanup()
    {
        QLocale::setDefault(QLocale::system());
        clearStore();
    }

    void encode_data()
    {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("key name") << QStringLiteral("Duration") << kDurationCodes;
        QTest::newRow("abc") << QStringLiteral("abc") << QList<int>{182, 183, 184};
        QTest::newRow("digit one") << QStringLiteral("1") << QList<int>{134};
        QTest::newRow("slash") << QStringLiteral("/") << QList<int>{132};
        QTest::newRow("date") << QStringLiteral("12/6/2026")
                              << QList<int>{134, 135, 132, 139, 132, 135, 133, 135, 139};
        QTest::newRow("empty") << QString() << QList<int>{};
        QTest::newRow("code 0") << fromCodes({0}) << QList<int>{85};
        QTest::newRow("code 170 is the last kept") << fromCodes({170}) << QList<int>{255};
        QTest::newRow("code 171 left out") << fromCodes({97, 171, 98}) << QList<int>{182, 183};
        QTest::newRow("e acute left out") << QStringLiteral("a\u00e9b") << QList<int>{182, 183};
        QTest::newRow("no single-byte code") << QStringLiteral("a\u20acb\u65e5") << QList<int>{182, 183};
        QTest::newRow("right-to-left mark") << QStringLiteral("7\u200f/") << QList<int>{140, 132};
    }
    void encode()
    {
        QFETCH(QString, plain);
        QFETCH(QList<int>, expected);
        QCOMPARE(codes(services::EncodeSetting(plain)), expected);
    }

    void decode_data()
    {
        QTest::addColumn<QList<int>>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("abc") << QList<int>{182, 183, 184} << QStringLiteral("abc");
        QTest::newRow("key name") << kDurationCodes << QStringLiteral("Duration");
        QTest::newRow("empty") << QList<int>{} << QString();
        QTest::newRow("codes below 85 left out") << QList<int>{84, 134, 0, 132} << QStringLiteral("1/");
        QTest::newRow("plain date") << codes(QStringLiteral("12/6/2026")) << QString();
        QTest::newRow("code 85") << QList<int>{85} << fromCodes({0});
        QTest::newRow("code 255") << QList<int>{255} << fromCodes({170});
        QTest::newRow("above 255 left out") << QList<int>{182, 0x20ac, 183} << QStringLiteral("ab");
    }
    void decode()
    {
        QFETCH(QList<int>, stored);
        QFETCH(QString, expected);
        QCOMPARE(services::DecodeSetting(fromCodes(stored)), expected);
    }

    void everyKeptCodeRoundTrips()
    {
        QString all;
        for (int code = 0; code <= 170; ++code) {
            const QString one = fromCodes({code});
            QCOMPARE(services::DecodeSetting(services::EncodeSetting(one)), one);
            all += one;
        }
        QCOMPARE(services::DecodeSetting(services::EncodeSetting(all)), all);
    }

    void storeFileKeepsEveryCode_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("month first") << QStringLiteral("12/7/2026");
        QTest::newRow("leading zero") << QStringLiteral("07.12.2026");
        QTest::newRow("spaces and dots") << QStringLiteral("2026. 12. 7.");
        QString all;
        for (int code = 0; code <= 170; ++code)
            all += QChar(static_cast<char16_t>(code));
        QTest::newRow("codes 0 to 170") << all;
    }
    void storeFileKeepsEveryCode()
    {
        QFETCH(QString, value);
        QVERIFY(services::SaveDuration(value));
        QVERIFY(QFile::exists(storeFile()));

        QSettings fresh(storeFile(), QSettings::IniFormat);
        QCOMPARE(fresh.childGroups(), QStringList{QStringLiteral("Settings")});
        QCOMPARE(fresh.status(), QSettings::NoError);
        fresh.beginGroup(QStringLiteral("Settings"));
        const QStringList keys = fresh.childKeys();
        QCOMPARE(keys.size(), 1);
        QCOMPARE(codes(keys.first()), kDurationCodes);
        QCOMPARE(codes(fresh.value(keys.first()).toString()), codes(services::EncodeSetting(value)));
        QCOMPARE(services::GetDuration(), value);

        // Nothing of it is readable in the file itself.
        QFile file(storeFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray contents = file.readAll();
        QVERIFY(!contents.contains("Duration"));
        QVERIFY(!contents.contains("2026"));
    }

    void missingKeyReadsEmpty()
    {
        QVERIFY(!QFile::exists(storeFile()));
        QCOMPARE(services::GetDuration(), QString());
        writeFile("[Settings]\nOther=1\n");
        QCOMPARE(services::GetDuration(), QString());
    }

    void otherExecutableNameHasItsOwnArea()
    {
        QVERIFY(services::SaveDuration(QStringLiteral("7/12/2026")));
        const QString name = QCoreApplication::applicationName();
        QCoreApplication::setApplicationName(name + QStringLiteral("-copy"));
        const QString other = services::GetDuration();
        QCoreApplication::setApplicationName(name);
        QCOMPARE(other, QString());
        QCOMPARE(services::GetDuration(), QStringLiteral("7/12/2026"));
    }

    void damagedStore_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("readsAs");
        QTest::newRow("empty file") << QByteArray() << QString();
        QTest::newRow("garbage") << QByteArray("garbage = = [[ \n\x01\x02 %zz\\") << QString();
        QByteArray binary;
        for (int i = 0; i < 2048; ++i)
            binary += static_cast<char>((i * 7919 + 13) % 256);
        QTest::newRow("binary") << binary << QString();
        QTest::newRow("truncated") << QByteArray("[Settings]\n%99%CA%C7%B6") << QString();
        QTest::newRow("truncated value")
            << QByteArray("[Settings]\n%99%CA%C7%B6%C9%BE%C4%C3=\xc2\x86\xc2\x87\xc2")
            << QStringLiteral("12");
        QTest::newRow("plain text value")
            << QByteArray("[Settings]\n%99%CA%C7%B6%C9%BE%C4%C3=12/6/2026\n") << QString();
        QTest::newRow("plain text key") << QByteArray("[Settings]\nDuration=12/6/2026\n") << QString();
        QTest::newRow("list value") << QByteArray("[Settings]\n%99%CA%C7%B6%C9%BE%C4%C3=Dec 6, 2026\n")
                                    << QString();
        QTest::newRow("not text") << QByteArray(
                                         "[Settings]\n%99%CA%C7%B6%C9%BE%C4%C3=@Variant(\\0\\0\\0\\x2)\n")
                                  << QString();
    }
    void damagedStore()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, readsAs);
        writeFile(contents);
        QCOMPARE(services::GetDuration(), readsAs);
        QVERIFY(services::SaveDuration(QStringLiteral("1/2/2026")));
        QCOMPARE(services::GetDuration(), QStringLiteral("1/2/2026"));
        QSettings fresh(storeFile(), QSettings::IniFormat);
        QCOMPARE(codes(fresh.value(QStringLiteral("Settings/") + fromCodes(kDurationCodes)).toString()),
                 codes(services::EncodeSetting(QStringLiteral("1/2/2026"))));
    }

    void unwritableStore_data() { addBlockedStoreRows(); }
    void unwritableStore()
    {
        QFETCH(QString, blocker);
        const StoreOfItsOwn own;
        QVERIFY(blockStore(blocker));
        QCOMPARE(services::GetDuration(), QString());
        QVERIFY(!services::SaveDuration(QStringLiteral("1/2/2026")));
        QVERIFY(stillBlocked(blocker));
    }

    void readOnlyFile()
    {
        const StoreOfItsOwn own;
        QVERIFY(services::SaveDuration(QStringLiteral("1/2/2026")));
        const QByteArray before = fileContents();
        QVERIFY(QFile::setPermissions(storeFile(), QFileDevice::ReadOwner | QFileDevice::ReadUser));
        QFile probe(storeFile());
        const bool reallyReadOnly = !probe.open(QIODevice::ReadWrite);
        probe.close();
        const bool saved = services::SaveDuration(QStringLiteral("3/4/2026"));
        QFile::setPermissions(storeFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        // The super-user writes read-only files all the same.
        if (reallyReadOnly) {
            QVERIFY(!saved);
            QCOMPARE(fileContents(), before);
        } else {
            QVERIFY(saved);
        }
    }

    void storablePattern_data()
    {
        QTest::addColumn<QString>("userFormat");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("written");
        QTest::newRow("month first, short year") << "M/d/yy"
                                                 << "M/d/yyyy"
                                                 << "12/7/2026";
        QTest::newRow("day first, long year") << "dd/MM/yyyy"
                                              << "dd/MM/yyyy"
                                              << "07/12/2026";
        QTest::newRow("dots") << "dd.MM.yy"
                              << "dd.MM.yyyy"
                              << "07.12.2026";
        QTest::newRow("year first") << "yyyy-MM-dd"
                                    << "yyyy-MM-dd"
                                    << "2026-12-07";
        QTest::newRow("spaced, trailing dot") << "yy. M. d."
                                              << "yyyy. M. d."
                                              << "2026. 12. 7.";
        QTest::newRow("right-to-left marks") << QStringLiteral("d\u200f/M\u200f/yyyy") << "d/M/yyyy"
                                             << "7/12/2026";
        QTest::newRow("Arabic letter mark") << QStringLiteral("\u061cd/\u061cM/\u061cyyyy") << "d/M/yyyy"
                                            << "7/12/2026";
        QTest::newRow("year, month, day characters")
            << QStringLiteral("yyyy\u5e74M\u6708d\u65e5") << "yyyy/M/d"
            << "2026/12/7";
        QTest::newRow("spaced characters") << QStringLiteral("yyyy\u5e74 M\u6708 d\u65e5") << "yyyy/M/d"
                                           << "2026/12/7";
        QTest::newRow("quoted word at the end") << QStringLiteral("d.MM.yy '\u0433'.") << "d.MM.yyyy"
                                                << "7.12.2026";
        QTest::newRow("quoted Latin word") << "d 'de' MMM 'de' yy"
                                           << "d' de 'MMM' de 'yyyy"
                                           << "7 de Dec de 2026";
        QTest::newRow("quote in quotes") << "d/M/yy 'o''k'"
                                         << "d/M/yyyy"
                                         << "7/12/2026";
        QTest::newRow("quote between fields") << "d''M''yyyy"
                                              << "d/M/yyyy"
                                              << "7/12/2026";
        QTest::newRow("month name") << "d MMM yyyy"
                                    << "d MMM yyyy"
                                    << "7 Dec 2026";
        QTest::newRow("fields next to each other") << "yyyyMd"
                                                   << "yyyyMMdd"
                                                   << "20261207";
        QTest::newRow("no year") << "d/M"
                                 << "yyyy-MM-dd"
                                 << "2026-12-07";
        QTest::newRow("weekday only") << "dddd M yyyy"
                                      << "yyyy-MM-dd"
                                      << "2026-12-07";
        QTest::newRow("time fields ignored") << "d/M/yyyy hh:mm"
                                             << "d/M/yyyy"
                                             << "7/12/2026";
    }
    void storablePattern()
    {
        QFETCH(QString, userFormat);
        QFETCH(QString, pattern);
        QFETCH(QString, written);
        const QString storable = services::storableDatePattern(userFormat);
        QCOMPARE(storable, pattern);
        const QString text = QLocale::c().toString(QDate(2026, 12, 7), storable);
        QCOMPARE(text, written);
        QCOMPARE(services::DecodeSetting(services::EncodeSetting(text)), text);
        QCOMPARE(QLocale::c().toDate(text, storable), QDate(2026, 12, 7));
    }

    void dateTextFollowsTheUser_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("written");
        QTest::newRow("en_US") << "en_US"
                               << "12/7/2026";
        QTest::newRow("en_GB") << "en_GB"
                               << "07/12/2026";
        QTest::newRow("de_DE") << "de_DE"
                               << "07.12.2026";
        QTest::newRow("sv_SE") << "sv_SE"
                               << "2026-12-07";
        QTest::newRow("ko_KR") << "ko_KR"
                               << "2026. 12. 7.";
        QTest::newRow("ar_EG") << "ar_EG"
                               << "7/12/2026";
        QTest::newRow("bg_BG") << "bg_BG"
                               << "7.12.2026";
        QTest::newRow("fa_IR") << "fa_IR"
                               << "2026/12/7";
    }
    void dateTextFollowsTheUser()
    {
        QFETCH(QString, locale);
        QFETCH(QString, written);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(services::dateToSettingText(QDate(2026, 12, 7)), written);
        QCOMPARE(services::dateFromSettingText(written), QDate(2026, 12, 7));
    }

    void everyLocaleReadsItsOwnDate_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::newRow("2026-12-07") << QDate(2026, 12, 7);
        QTest::newRow("2000-01-01") << QDate(2000, 1, 1);
        QTest::newRow("2099-12-31") << QDate(2099, 12, 31);
        QTest::newRow("1999-12-31") << QDate(1999, 12, 31);
        QTest::newRow("2028-02-29") << QDate(2028, 2, 29);
    }
    void everyLocaleReadsItsOwnDate()
    {
        QFETCH(QDate, date);
        const auto locales =
            QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
        QVERIFY(locales.size() > 100);
        for (const QLocale& locale : locales) {
            QLocale::setDefault(locale);
            const QByteArray where = locale.name().toUtf8() + ' ' + locale.bcp47Name().toUtf8();
            const QString text = services::dateToSettingText(date);
            QVERIFY2(!text.isEmpty(), where.constData());
            const QString encoded = services::EncodeSetting(text);
            QVERIFY2(encoded.size() == text.size(), where.constData());
            QVERIFY2(services::SaveDuration(text), where.constData());
            QVERIFY2(rawStoredValue() == encoded, where.constData());
            QVERIFY2(services::dateFromSettingText(services::GetDuration()) == date, where.constData());
        }
    }

    void changedFormatDoesNotRead()
    {
        QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
        const QString german = services::dateToSettingText(QDate(2026, 12, 7));
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        QVERIFY(!services::dateFromSettingText(german).isValid());
        QVERIFY(!services::dateFromSettingText(QStringLiteral("not a date")).isValid());
        QVERIFY(!services::dateFromSettingText(QString()).isValid());
        QVERIFY(!services::dateFromSettingText(QStringLiteral("13/45/2026")).isValid());
    }
};

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
