#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <span>

// What the fuzz targets share: a sandboxed, headless application object, input decoding and the
// way a broken property ends the run.
namespace fuzzsupport {

// Points HOME and the XDG folders at a fresh temporary folder, selects the offscreen platform
// and creates the application object, widgets included, once for the whole run.
void startApplication(const char* programName);

// Ends the run as a crash, so that libFuzzer keeps the input that broke the property.
[[noreturn]] void fail(const char* property, const QString& detail);

inline void require(bool holds, const char* property, const QString& detail = {})
{
    if (!holds)
        fail(property, detail);
}

// Every code of a text, for the failure reports.
QString codes(const QString& text);

// Reads a fuzz input front to back; reading past the end gives zeros.
class Input {
public:
    explicit Input(std::span<const std::uint8_t> bytes) : bytes(bytes) {}

    bool empty() const { return position >= bytes.size(); }
    std::size_t remaining() const { return empty() ? 0 : bytes.size() - position; }
    std::uint8_t byte();
    std::uint16_t word();
    std::span<const std::uint8_t> rest();

private:
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
};

// Bytes as text: UTF-16 code units (little-endian), lone surrogates and all, or UTF-8, where
// malformed sequences become U+FFFD as they would from any real source.
QString utf16Text(std::span<const std::uint8_t> bytes);
QString utf8Text(std::span<const std::uint8_t> bytes);
// UTF-8 decoded as it is, a leading byte-order mark included (QString::fromUtf8 drops it).
QString fromUtf8AsIs(const QByteArray& bytes);

} // namespace fuzzsupport
