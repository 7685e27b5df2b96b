// The character shift of the settings store, over any text: it never fails, every encoded
// character lies in 85..255 and every decoded one in 0..170, and a round trip gives the text
// back without exactly the characters the single-byte store cannot keep (codes above 170).
#include "fuzzsupport.h"
#include "services/dateformat.h"
#include "services/settings.h"
#include "services/updatereminder.h"

using fuzzsupport::codes;
using fuzzsupport::require;

namespace {

QString withoutCodesAbove(const QString& text, int last)
{
    QString kept;
    for (QChar c : text) {
        if (c.unicode() <= last)
            kept += c;
    }
    return kept;
}

QString onlyCodes(const QString& text, int first, int last)
{
    QString kept;
    for (QChar c : text) {
        if (c.unicode() >= first && c.unicode() <= last)
            kept += c;
    }
    return kept;
}

bool allWithin(const QString& text, int first, int last)
{
    for (QChar c : text) {
        if (c.unicode() < first || c.unicode() > last)
            return false;
    }
    return true;
}

void checkEncoding(const QString& text)
{
    const QString encoded = services::EncodeSetting(text);
    const QString decoded = services::DecodeSetting(encoded);
    const QString storable = withoutCodesAbove(text, 170);

    require(allWithin(encoded, 85, 255), "encoded characters lie in 85..255", codes(text) + codes(encoded));
    require(encoded.size() == storable.size(), "encoding keeps one character per storable one",
            codes(text) + codes(encoded));
    require(decoded == storable, "decode(encode(x)) drops exactly the codes above 170",
            codes(text) + codes(decoded));
    if (allWithin(text, 0, 170))
        require(decoded == text, "texts of codes 0..170 come back unchanged", codes(text));

    // The other way round, for whatever the store may hold (edited by hand, or written in plain).
    const QString read = services::DecodeSetting(text);
    require(allWithin(read, 0, 170), "decoded characters lie in 0..170", codes(text) + codes(read));
    require(services::EncodeSetting(read) == onlyCodes(text, 85, 255),
            "encode(decode(y)) drops exactly the codes outside 85..255", codes(text) + codes(read));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::startApplication("fuzz_settings");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzsupport::Input input({data, size});
    const std::uint8_t how = input.byte();
    const auto bytes = input.rest();
    // The same bytes read both ways: UTF-16 reaches every code unit, UTF-8 the texts users type.
    checkEncoding((how & 1) ? fuzzsupport::utf16Text(bytes) : fuzzsupport::utf8Text(bytes));
    // Single-byte codes straight from the input: the range the store itself deals in.
    QString latin1;
    for (std::uint8_t b : bytes)
        latin1 += QChar(static_cast<char16_t>(b));
    checkEncoding(latin1);
    return 0;
}
