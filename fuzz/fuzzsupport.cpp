#include "fuzzsupport.h"

#include "userfolders.h"

#include <QApplication>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace fuzzsupport {

void startApplication(const char* programName)
{
    static std::unique_ptr<QTemporaryDir> sandbox;
    // Kept to the very end: Qt's own globals may be gone before an exit handler could delete it.
    static QApplication* application = nullptr;
    if (application)
        return;
    sandbox = std::make_unique<QTemporaryDir>();
    testsupport::pointUserFoldersAt(sandbox->path());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // libFuzzer's own flags are no business of Qt's.
    static int argc = 1;
    static char name[256];
    std::snprintf(name, sizeof name, "%s", programName);
    static char* argv[] = {name, nullptr};
    application = new QApplication(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    std::atexit([] { sandbox.reset(); });
}

void fail(const char* property, const QString& detail)
{
    // Control characters, NUL above all, would cut the report short or garble the terminal.
    QString shown;
    for (QChar c : detail)
        shown += c.unicode() < 32 && c != u'\n' ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'))
                                                : QString(c);
    std::fprintf(stderr, "\nPROPERTY BROKEN: %s\n%s\n", property, qUtf8Printable(shown));
    std::fflush(stderr);
    std::abort();
}

QString codes(const QString& text)
{
    QString list;
    for (QChar c : text)
        list += QString::number(c.unicode(), 16) + u' ';
    return u'[' + list.trimmed() + u']';
}

std::uint8_t Input::byte()
{
    return empty() ? 0 : bytes[position++];
}

std::uint16_t Input::word()
{
    const std::uint16_t low = byte();
    return static_cast<std::uint16_t>(low | (byte() << 8));
}

std::span<const std::uint8_t> Input::rest()
{
    const auto tail = bytes.subspan(std::min(position, bytes.size()));
    position = bytes.size();
    return tail;
}

QString utf16Text(std::span<const std::uint8_t> bytes)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size() / 2));
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += QChar(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    return text;
}

QString utf8Text(std::span<const std::uint8_t> bytes)
{
    return fromUtf8AsIs(
        QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
}

QString fromUtf8AsIs(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder(bytes);
}

} // namespace fuzzsupport
