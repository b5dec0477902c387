// Reads back a workbook (.xlsx) the way a spreadsheet program would: the zip archive through
// libzip, the first sheet named in the workbook, its cells and column widths from the sheet's XML.
// Independent of the writer, so tests see what a reader sees.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QXmlStreamReader>

#include <zip.h>

#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace workbook {

struct Cell {
    bool isText = false;
    QString value; // the text, or the number exactly as stored
};

struct Column {
    int min = 0;
    int max = 0;
    double width = 0;
};

struct Sheet {
    std::map<std::pair<int, int>, Cell> cells; // by (row, column), both from 1
    std::vector<Column> columns;
    int lastRow() const { return cells.empty() ? 0 : cells.rbegin()->first.first; }
};

inline std::optional<QByteArray> entry(zip_t* archive, const QString& name) {
    zip_file_t* file = zip_fopen(archive, name.toUtf8().constData(), 0);
    if (!file)
        return std::nullopt;
    QByteArray bytes;
    char buffer[8192];
    zip_int64_t read = 0;
    while ((read = zip_fread(file, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, static_cast<qsizetype>(read));
    zip_fclose(file);
    if (read < 0)
        return std::nullopt;
    return bytes;
}

// The value of attribute `name` (as written, prefix included) of the first element `element`.
inline QString firstAttribute(const QByteArray& xml, const QString& element, const QString& name) {
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement() || reader.name() != element)
            continue;
        for (const QXmlStreamAttribute& attribute : reader.attributes()) {
            if (attribute.qualifiedName() == name)
                return attribute.value().toString();
        }
        return QString();
    }
    return QString();
}

inline std::vector<QString> sharedStrings(const QByteArray& xml) {
    std::vector<QString> strings;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("si"))
            strings.emplace_back();
        else if (reader.isStartElement() && reader.name() == QLatin1String("t") && !strings.empty())
            strings.back() += reader.readElementText();
    }
    return strings;
}

inline std::pair<int, int> cellPosition(const QString& reference) {
    int column = 0;
    qsizetype i = 0;
    for (; i < reference.size() && reference[i].isLetter(); ++i)
        column = column * 26 + (reference[i].toUpper().unicode() - 'A' + 1);
    return {reference.mid(i).toInt(), column};
}

// The first sheet, or nullopt when the file is no readable workbook.
inline std::optional<Sheet> readFirstSheet(const QString& path) {
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive)
        return std::nullopt;
    const auto workbookXml = entry(archive, QStringLiteral("xl/workbook.xml"));
    const auto relations = entry(archive, QStringLiteral("xl/_rels/workbook.xml.rels"));
    std::optional<QByteArray> sheetXml;
    std::vector<QString> strings;
    if (workbookXml && relations) {
        const QString id = firstAttribute(*workbookXml, QStringLiteral("sheet"), QStringLiteral("r:id"));
        QXmlStreamReader reader(*relations);
        QString target;
        while (!reader.atEnd()) {
            reader.readNext();
            if (reader.isStartElement() && reader.attributes().value(QLatin1String("Id")) == id)
                target = reader.attributes().value(QLatin1String("Target")).toString();
        }
        // Targets are relative to xl/ unless they start at the archive's root.
        sheetXml = entry(archive, target.startsWith(QLatin1Char('/')) ? target.mid(1)
                                                                      : QStringLiteral("xl/") + target);
        if (const auto shared = entry(archive, QStringLiteral("xl/sharedStrings.xml")))
            strings = sharedStrings(*shared);
    }
    zip_close(archive);
    if (!sheetXml)
        return std::nullopt;

    Sheet sheet;
    QXmlStreamReader reader(*sheetXml);
    std::pair<int, int> position;
    QString type;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        if (reader.name() == QLatin1String("col")) {
            sheet.columns.push_back({attributes.value(QLatin1String("min")).toInt(),
                                     attributes.value(QLatin1String("max")).toInt(),
                                     attributes.value(QLatin1String("width")).toDouble()});
        } else if (reader.name() == QLatin1String("c")) {
            position = cellPosition(attributes.value(QLatin1String("r")).toString());
            type = attributes.value(QLatin1String("t")).toString();
        } else if (reader.name() == QLatin1String("v") || reader.name() == QLatin1String("t")) {
            const QString value = reader.readElementText();
            Cell cell;
            cell.isText = !type.isEmpty() && type != QLatin1String("n");
            cell.value = value;
            if (type == QLatin1String("s")) {
                const auto index = static_cast<std::size_t>(value.toInt());
                cell.value = index < strings.size() ? strings[index] : QString();
            }
            sheet.cells[position] = cell;
        }
    }
    if (reader.hasError())
        return std::nullopt;
    return sheet;
}

} // namespace workbook
