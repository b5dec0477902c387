// Workbook reader for the tests.
#include "tests/scalar/xlsxread.h"

#include "scalar/export/xlsxxml.h"

#include <QFile>
#include <QXmlStreamReader>

#include <zip.h>

#include <vector>

namespace {

std::map<QString, QByteArray> readParts(const QString& path) {
    std::map<QString, QByteArray> parts;
    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!archive) {
        return parts;
    }
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat);
        QByteArray bytes(static_cast<qsizetype>(stat.size), '\0');
        zip_file_t* file = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        if (file) {
            zip_fread(file, bytes.data(), stat.size);
            zip_fclose(file);
        }
        parts[QString::fromUtf8(stat.name)] = bytes;
    }
    zip_discard(archive);
    return parts;
}

std::vector<QString> sharedStrings(const QByteArray& xml) {
    std::vector<QString> strings;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == u"si") {
            strings.emplace_back();
        } else if (reader.isStartElement() && reader.name() == u"t" && !strings.empty()) {
            strings.back() += reader.readElementText();
        }
    }
    return strings;
}

} // namespace

ReadWorkbook readWorkbook(const QString& path) {
    ReadWorkbook book;
    book.parts = readParts(path);
    if (!book.parts.count("xl/workbook.xml") || !book.parts.count("xl/_rels/workbook.xml.rels")) {
        return book;
    }
    book.workbookXml = book.parts["xl/workbook.xml"];
    book.sheetPath = scalar::firstSheetPath(book.workbookXml, book.parts["xl/_rels/workbook.xml.rels"]);
    const std::vector<QString> strings = sharedStrings(book.parts["xl/sharedStrings.xml"]);
    QXmlStreamReader reader(book.parts[book.sheetPath]);
    QString reference;
    std::pair<int, int> last{0, 0};
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement()) {
            continue;
        }
        if (reader.name() == u"c") {
            reference = reader.attributes().value(QStringLiteral("r")).toString();
            const auto at = scalar::parseCellReference(reference);
            if (at <= last) {
                book.rowOrderError = QStringLiteral("%1 after an earlier cell").arg(reference);
            }
            last = at;
            book.cells[reference].type = reader.attributes().value(QStringLiteral("t")).toString();
            book.cells[reference].style = reader.attributes().value(QStringLiteral("s")).toString();
        } else if (reader.name() == u"f") {
            book.cells[reference].formula = reader.readElementText();
        } else if (reader.name() == u"v") {
            ReadCell& cell = book.cells[reference];
            cell.value = reader.readElementText();
            cell.hasValue = true;
            if (cell.type == u"s") {
                cell.value = strings.at(cell.value.toUInt());
            }
        }
    }
    book.ok = !reader.hasError();
    return book;
}
