// zavo-driver info FILE.RTG: a record file's fields as one JSON object, keys named after the fields.
#include "cli/cli_commands.h"

#include <charconv>
#include <cstdint>

namespace cli {

namespace {

QString jsonString(const QString& text) {
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"':
            out += QStringLiteral("\\\"");
            break;
        case '\\':
            out += QStringLiteral("\\\\");
            break;
        case '\n':
            out += QStringLiteral("\\n");
            break;
        case '\r':
            out += QStringLiteral("\\r");
            break;
        case '\t':
            out += QStringLiteral("\\t");
            break;
        default:
            if (c.unicode() < 0x20) {
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            } else {
                out += c;
            }
        }
    }
    return out + QLatin1Char('"');
}

// Shortest text that reads back as the same double; every stored real is finite.
QString jsonNumber(double value) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return QString::fromLatin1(buffer, end - buffer);
}

QString jsonInteger(std::int64_t value) {
    return QString::number(value);
}

QString jsonBool(bool value) {
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

// Writes the members of one object in the order they are added.
class ObjectWriter {
public:
    explicit ObjectWriter(QTextStream& out) : out_(out) { out_ << '{'; }
    void add(const char* key, const QString& json) {
        out_ << (first_ ? "\n  \"" : ",\n  \"") << key << "\": " << json;
        first_ = false;
    }
    void close() { out_ << "\n}\n"; }

private:
    QTextStream& out_;
    bool first_ = true;
};

QString regionList(const trecdata& record) {
    QStringList entries;
    for (std::int32_t i = 0; i < record.regionCount; ++i) {
        std::int32_t from = 0;
        std::int32_t to = 0;
        record.GetRegion(i, from, to);
        entries << QStringLiteral("[%1, %2]").arg(from).arg(to);
    }
    return QLatin1Char('[') + entries.join(QStringLiteral(", ")) + QLatin1Char(']');
}

} // namespace

int runInfo(const QStringList& args, Io& io) {
    if (!expectArguments(args, 1, "info", io)) {
        return kExitFailure;
    }
    const auto record = loadRecordForCommand(args[0], io);
    if (!record) {
        return kExitFailure;
    }
    const trecdata& r = *record;
    ObjectWriter json(io.out);
    json.add("regionCount", jsonInteger(r.regionCount));
    json.add("currentRegion", jsonInteger(r.currentRegion));
    json.add("regions", regionList(r));
    json.add("startAngle", jsonInteger(r.startAngle));
    json.add("endAngle", jsonInteger(r.endAngle));
    json.add("angleOffset", jsonInteger(r.angleOffset));
    json.add("offsetEnabled", jsonBool(r.offsetEnabled));
    json.add("angularStep", jsonInteger(r.angularStep));
    json.add("countingTime", jsonInteger(r.countingTime));
    json.add("detectorHv", jsonNumber(r.detectorHv));
    json.add("tubeCurrent", jsonNumber(r.tubeCurrent));
    json.add("rangeMode", jsonInteger(r.rangeMode));
    json.add("rangeIndex", jsonInteger(r.rangeIndex));
    json.add("radiator", jsonInteger(r.radiator));
    json.add("filter", jsonInteger(r.filter));
    json.add("detectorPosition", jsonInteger(r.detectorPosition));
    json.add("filterThickness", jsonNumber(r.filterThickness));
    json.add("comment", jsonString(r.comment));
    json.add("validCells", jsonInteger(r.ValidCellCount()));
    json.close();
    return kExitOk;
}

} // namespace cli
