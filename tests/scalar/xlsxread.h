// Reads a written workbook back through libzip and its XML, for checking exports without an office
// suite: the first sheet's cells with their type, value and formula, and any part's text.
#pragma once

#include <QByteArray>
#include <QString>

#include <map>
#include <optional>

struct ReadCell {
    QString type;    // the t= attribute ("" for numbers, "s" shared string, ...)
    QString value;   // number text, or the string itself for text cells
    QString formula; // the <f> text, if any
    bool hasValue = false;
    QString style; // the s= attribute
};

struct ReadWorkbook {
    bool ok = false;
    std::map<QString, ReadCell> cells; // by reference, "D232"
    QByteArray workbookXml;
    QString sheetPath;
    std::map<QString, QByteArray> parts; // every entry of the package
    QString rowOrderError;               // set when rows or cells are out of order
};

ReadWorkbook readWorkbook(const QString& path);
