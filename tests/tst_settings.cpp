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

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

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

#ifdef Q_OS_WIN
// Code page 1252, the ANSI code page of a Western Windows, where code 153 is the trade mark sign.
bool codePage1252()
{
    return codePageCodes(QStringLiteral("\u2122\u20ac")) == QList<int>{153, 128};
}

// The store's key as a program reading it through the registry's ANSI entry points sees it:
// value name and text, byte for byte in the ANSI code page.
struct AnsiValue {
    QByteArray name;
    QByteArray text;
    DWORD type = REG_NONE;
};

QList<AnsiValue> ansiValues()
{
    QList<AnsiValue> values;
    HKEY key = nullptr;
    const QByteArray path =
        "Software\\Veldrane\\" + QCoreApplication::applicationName().toLatin1() + "\\Settings";
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.constData(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index) {
        char name[256] = {};
        BYTE data[1024] = {};
        DWORD nameSize = sizeof name;
        DWORD dataSize = sizeof data;
        AnsiValue value;
        if (RegEnumValueA(key, index, name, &nameSize, nullptr, &value.type, data, &dataSize) !=
            ERROR_SUCCESS)
            break;
        value.name = QByteArray(name, static_cast<qsizetype>(nameSize));
        // The text comes with its closing zero byte.
        value.text = QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(dataSize));
        if (value.text.endsWith('\0'))
            value.text.chop(1);
        values << value;
    }
    RegCloseKey(key);
    return values;
}

QByteArray bytesOf(const QList<int>& codes)
{
    QByteArray bytes;
    for (int code : codes)
        bytes += static_cast<char>(code);
    return bytes;
}
#endif

// The raw text under the encoded key, read by a settings object of its own.
QString rawStoredValue()
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Veldrane"),
                    QCoreApplication::applicationName());
    return store.value(QStringLiteral("Settings/") + fromCodePage(kDurationCodes)).toString();
}

} // namespace

Q_DECLARE_METATYPE(QList<int>)

class SettingsTest : public testsupport::TestCase {
    Q_OBJECT

private slots:
    void cleanup() { clearStore(); }

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
        QTest::newRow("code 0") << fromCodePage({0}) << QList<int>{85};
        QTest::newRow("code 170 is the last kept") << fromCodePage({170}) << QList<int>{255};
        QTest::newRow("code 171 left out") << fromCodePage({97, 171, 98}) << QList<int>{182, 183};
        QTest::newRow("e acute left out") << QStringLiteral("a\u00e9b") << QList<int>{182, 183};
#ifdef Q_OS_WIN
        QTest::newRow("no code in the code page")
            << QStringLiteral("a\u65e5b\u00ff\U0001f600") << QList<int>{182, 183};
        if (codePage1252()) {
            QTest::newRow("euro sign, code 128 in 1252")
                << QStringLiteral("a\u20acb") << QList<int>{182, 213, 183};
            QTest::newRow("trade mark sign, code 153 in 1252") << QStringLiteral("\u2122") << QList<int>{238};
            QTest::newRow("Latin-1 control with no code in 1252")
                << QStringLiteral("a\u0080b") << QList<int>{182, 183};
        }
#else
        QTest::newRow("no single-byte code") << QStringLiteral("a\u20acb\u65e5") << QList<int>{182, 183};
#endif
        QTest::newRow("right-to-left mark") << QStringLiteral("7\u200f/") << QList<int>{140, 132};
    }
    void encode()
    {
        QFETCH(QString, plain);
        QFETCH(QList<int>, expected);
        QCOMPARE(codePageCodes(services::EncodeSetting(plain)), expected);
    }

    void decode_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("abc") << fromCodePage({182, 183, 184}) << QStringLiteral("abc");
        QTest::newRow("key name") << fromCodePage(kDurationCodes) << QStringLiteral("Duration");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("codes below 85 left out") << fromCodePage({84, 134, 0, 132}) << QStringLiteral("1/");
        QTest::newRow("plain date") << QStringLiteral("12/6/2026") << QString();
        QTest::newRow("code 85") << fromCodePage({85}) << fromCodes({0});
        QTest::newRow("code 255") << fromCodePage({255}) << fromCodePage({170});
#ifdef Q_OS_WIN
        QTest::newRow("no code in the code page left out")
            << QStringLiteral("\u00b6\u65e5\u00b7") << QStringLiteral("ab");
        if (codePage1252())
            QTest::newRow("euro sign, code 128 in 1252")
                << QStringLiteral("\u00b6\u20ac\u00b7") << QStringLiteral("a+b");
#else
        QTest::newRow("above 255 left out") << fromCodes({182, 0x20ac, 183}) << QStringLiteral("ab");
#endif
    }
    void decode()
    {
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        QCOMPARE(services::DecodeSetting(stored), expected);
    }

    // The characters a store holds: Latin-1, or on Windows those of the ANSI code page. A store
    // written in code page 1252 has "™" for the shifted "D" and its shifted digits in 0x85-0x8E.
    void storedCharacters_data()
    {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("stored");
#ifdef Q_OS_WIN
        if (!codePage1252())
            QSKIP("The rows are for code page 1252; this system's ANSI code page is another");
        QTest::newRow("1252: D") << QStringLiteral("D") << QStringLiteral("\u2122");
        QTest::newRow("1252: key name") << QStringLiteral("Duration")
                                        << QStringLiteral("\u2122\u00ca\u00c7\u00b6\u00c9\u00be\u00c4\u00c3");
        QTest::newRow("1252: digits")
            << QStringLiteral("0123456789")
            << QStringLiteral("\u2026\u2020\u2021\u02c6\u2030\u0160\u2039\u0152\u008d\u017d");
        QTest::newRow("1252: date") << QStringLiteral("12/8/2026")
                                    << QStringLiteral(
                                           "\u2020\u2021\u201e\u008d\u201e\u2021\u2026\u2021\u2039");
        QTest::newRow("1252: codes without a character of their own")
            << QStringLiteral("\u002c\u0038\u003a\u003b\u0048")
            << QStringLiteral("\u0081\u008d\u008f\u0090\u009d");
#else
        QTest::newRow("Latin-1: D") << QStringLiteral("D") << QStringLiteral("\u0099");
        QTest::newRow("Latin-1: key name")
            << QStringLiteral("Duration")
            << QStringLiteral("\u0099\u00ca\u00c7\u00b6\u00c9\u00be\u00c4\u00c3");
        QTest::newRow("Latin-1: digits")
            << QStringLiteral("0123456789")
            << QStringLiteral("\u0085\u0086\u0087\u0088\u0089\u008a\u008b\u008c\u008d\u008e");
#endif
    }
    void storedCharacters()
    {
        QFETCH(QString, plain);
        QFETCH(QString, stored);
        QCOMPARE(services::EncodeSetting(plain), stored);
        QCOMPARE(services::DecodeSetting(stored), plain);
    }

    void everyKeptCodeRoundTrips()
    {
        QString all;
        for (int code = 0; code <= 170; ++code) {
            const QString one = fromCodePage({code});
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
            all += fromCodePage({code});
        QTest::newRow("codes 0 to 170") << all;
    }
    void storeFileKeepsEveryCode()
    {
        QFETCH(QString, value);
        QVERIFY(services::saveReminderDateText(value));
#ifndef Q_OS_WIN
        QVERIFY(QFile::exists(storeFile()));
#endif

        const auto fresh = freshStore();
        QCOMPARE(fresh->childGroups(), QStringList{QStringLiteral("Settings")});
        QCOMPARE(fresh->status(), QSettings::NoError);
        fresh->beginGroup(QStringLiteral("Settings"));
        const QStringList keys = fresh->childKeys();
        QCOMPARE(keys.size(), 1);
        QCOMPARE(codePageCodes(keys.first()), kDurationCodes);
        QCOMPARE(codes(fresh->value(keys.first()).toString()), codes(services::EncodeSetting(value)));
        QCOMPARE(services::reminderDateText(), value);

#ifndef Q_OS_WIN
        // Nothing of it is readable in the file itself.
        QFile file(storeFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray contents = file.readAll();
        QVERIFY(!contents.contains("Duration"));
        QVERIFY(!contents.contains("2026"));
#endif
    }

    // Byte for byte what a program reading and writing the registry through its ANSI entry
    // points, in the same code page, reads and writes: the key and the date as shifted codes.
    void registryHoldsCodePageBytes_data()
    {
        QTest::addColumn<QString>("value");
#ifndef Q_OS_WIN
        QSKIP("The registry is the store on Windows only");
#else
        QTest::newRow("month first") << QStringLiteral("12/8/2026");
        QTest::newRow("day first, dots") << QStringLiteral("08.12.2026");
        QTest::newRow("every digit") << QStringLiteral("0123456789");
        QString all;
        for (int code = 1; code <= 170; ++code)
            all += fromCodePage({code});
        QTest::newRow("codes 1 to 170") << all;
#endif
    }
    void registryHoldsCodePageBytes()
    {
#ifdef Q_OS_WIN
        QFETCH(QString, value);
        QList<int> shifted;
        for (int code : codePageCodes(value))
            shifted << code + 85;
        QVERIFY(shifted.size() == value.size() && !shifted.contains(-1 + 85));

        // Written by us, read as bytes.
        QVERIFY(services::saveReminderDateText(value));
        auto values = ansiValues();
        QCOMPARE(values.size(), 1);
        QCOMPARE(values.front().type, DWORD(REG_SZ));
        QCOMPARE(values.front().name, bytesOf(kDurationCodes));
        QCOMPARE(values.front().text, bytesOf(shifted));

        // Written as bytes, read by us.
        clearStore();
        HKEY key = nullptr;
        const QByteArray path =
            "Software\\Veldrane\\" + QCoreApplication::applicationName().toLatin1() + "\\Settings";
        QCOMPARE(RegCreateKeyExA(HKEY_CURRENT_USER, path.constData(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                 nullptr),
                 LONG(ERROR_SUCCESS));
        const QByteArray name = bytesOf(kDurationCodes);
        const QByteArray text = bytesOf(shifted);
        const LONG written =
            RegSetValueExA(key, name.constData(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.constData()),
                           static_cast<DWORD>(text.size() + 1));
        RegCloseKey(key);
        QCOMPARE(written, LONG(ERROR_SUCCESS));
        QCOMPARE(services::reminderDateText(), value);
#endif
    }

    void missingKeyReadsEmpty()
    {
#ifdef Q_OS_WIN
        QCOMPARE(services::reminderDateText(), QString());
        freshStore()->setValue(QStringLiteral("Settings/Other"), 1);
#else
        QVERIFY(!QFile::exists(storeFile()));
        QCOMPARE(services::reminderDateText(), QString());
        writeFile("[Settings]\nOther=1\n");
#endif
        QCOMPARE(services::reminderDateText(), QString());
    }

    void otherExecutableNameHasItsOwnArea()
    {
        QVERIFY(services::saveReminderDateText(QStringLiteral("7/12/2026")));
        const QString name = QCoreApplication::applicationName();
        QCoreApplication::setApplicationName(name + QStringLiteral("-copy"));
        const QString other = services::reminderDateText();
        QCoreApplication::setApplicationName(name);
        QCOMPARE(other, QString());
        QCOMPARE(services::reminderDateText(), QStringLiteral("7/12/2026"));
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
        SKIP_ON_REGISTRY("it has no file to damage");
        QFETCH(QByteArray, contents);
        QFETCH(QString, readsAs);
        writeFile(contents);
        QCOMPARE(services::reminderDateText(), readsAs);
        QVERIFY(services::saveReminderDateText(QStringLiteral("1/2/2026")));
        QCOMPARE(services::reminderDateText(), QStringLiteral("1/2/2026"));
        QSettings fresh(storeFile(), QSettings::IniFormat);
        QCOMPARE(codes(fresh.value(QStringLiteral("Settings/") + fromCodePage(kDurationCodes)).toString()),
                 codes(services::EncodeSetting(QStringLiteral("1/2/2026"))));
    }

    void unwritableStore_data()
    {
        addBlockedStoreRows();
    }
    void unwritableStore()
    {
        SKIP_ON_REGISTRY("no folder, FIFO or socket can take its place");
        QFETCH(QString, blocker);
        const StoreOfItsOwn own;
        QVERIFY(blockStore(blocker));
        QCOMPARE(services::reminderDateText(), QString());
        QVERIFY(!services::saveReminderDateText(QStringLiteral("1/2/2026")));
        QVERIFY(stillBlocked(blocker));
    }

    void readOnlyFile()
    {
        SKIP_ON_REGISTRY("it has no file permissions");
        const StoreOfItsOwn own;
        QVERIFY(services::saveReminderDateText(QStringLiteral("1/2/2026")));
        const QByteArray before = fileContents();
        QVERIFY(QFile::setPermissions(storeFile(), QFileDevice::ReadOwner | QFileDevice::ReadUser));
        QFile probe(storeFile());
        const bool reallyReadOnly = !probe.open(QIODevice::ReadWrite);
        probe.close();
        const bool saved = services::saveReminderDateText(QStringLiteral("3/4/2026"));
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
        const QString storable = services::StoredDateFormat(userFormat).pattern();
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
        const services::StoredDateFormat format{QLocale(locale)};
        QCOMPARE(format.write(QDate(2026, 12, 7)), written);
        QCOMPARE(format.read(written), QDate(2026, 12, 7));
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
            const services::StoredDateFormat format(locale);
            const QByteArray where = locale.name().toUtf8() + ' ' + locale.bcp47Name().toUtf8();
            const QString text = format.write(date);
            QVERIFY2(!text.isEmpty(), where.constData());
            const QString encoded = services::EncodeSetting(text);
            QVERIFY2(encoded.size() == text.size(), where.constData());
            QVERIFY2(services::saveReminderDateText(text), where.constData());
            QVERIFY2(rawStoredValue() == encoded, where.constData());
            QVERIFY2(format.read(services::reminderDateText()) == date, where.constData());
        }
    }

    void changedFormatDoesNotRead()
    {
        const QString german =
            services::StoredDateFormat(QLocale(QStringLiteral("de_DE"))).write(QDate(2026, 12, 7));
        const services::StoredDateFormat us{QLocale(QStringLiteral("en_US"))};
        QVERIFY(!us.read(german).isValid());
        QVERIFY(!us.read(QStringLiteral("not a date")).isValid());
        QVERIFY(!us.read(QString()).isValid());
        QVERIFY(!us.read(QStringLiteral("13/45/2026")).isValid());
    }
};

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
