#include "fuzz/targets.h"

#include "engine/profilefile.h"

#include <array>

namespace fuzz {

int profileFile(const std::uint8_t* data, std::size_t size) {
    // The first byte picks the section, as the thread and the windows use them; the rest is the file.
    static const std::array<QString, 4> sections{QStringLiteral("SIM00001"), QStringLiteral("scan"),
                                                 QStringLiteral("Hints"), QStringLiteral("A B")};
    const QString& section = sections[size > 0 ? data[0] % sections.size() : 0];
    const QByteArray bytes =
        size > 0 ? QByteArray(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1))
                 : QByteArray();
    using namespace engine::profiletext;
    const QStringList lines = split(bytes);
    const int other = readInt(lines, section, QStringLiteral("ARATE"), -7);
    (void)readInt(lines, section, QStringLiteral("TRATE"), 0);

    QStringList written = lines;
    require(write(written, section, QStringLiteral("TRATE"), QStringLiteral("123")), "a good name refused");
    require(written.size() <= lines.size() + 3, "writing a key added more than a section");
    const QStringList reread = split(join(written));
    require(readInt(reread, section, QStringLiteral("TRATE"), -1) == 123, "a written key does not read back");
    require(readInt(reread, section, QStringLiteral("ARATE"), -7) == other, "writing a key changed another");
    require(split(join(reread)) == reread, "the file's lines change on a second write");

    QStringList refused = lines;
    require(!write(refused, QStringLiteral("a]b"), QStringLiteral("K"), QStringLiteral("1")) &&
                refused == lines,
            "a name that breaks the file is written");
    return 0;
}

} // namespace fuzz
