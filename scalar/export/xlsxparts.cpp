// Edits of the workbook-level parts: finding the first sheet, full recalculation, the calc chain.
#include "scalar/export/xlsxxml.h"
#include "scalar/export/xmlcopier.h"

#include <QDir>

#include <set>

namespace scalar {

QString firstSheetPath(const QByteArray& workbookXml, const QByteArray& workbookRelsXml) {
    QString id;
    QXmlStreamReader workbook(workbookXml);
    workbook.setNamespaceProcessing(false);
    while (id.isEmpty() && !workbook.atEnd() && !workbook.hasError()) {
        if (workbook.readNext() == QXmlStreamReader::StartElement && localName(workbook.name()) == u"sheet") {
            for (const QXmlStreamAttribute& attribute : workbook.attributes()) {
                if (attribute.qualifiedName().endsWith(u":id")) {
                    id = attribute.value().toString();
                }
            }
            break;
        }
    }
    if (id.isEmpty()) {
        return {};
    }
    QXmlStreamReader rels(workbookRelsXml);
    rels.setNamespaceProcessing(false);
    while (!rels.atEnd() && !rels.hasError()) {
        if (rels.readNext() == QXmlStreamReader::StartElement && localName(rels.name()) == u"Relationship" &&
            rels.attributes().value(QStringLiteral("Id")) == id) {
            const QString target = rels.attributes().value(QStringLiteral("Target")).toString();
            const QString path =
                target.startsWith(QLatin1Char('/')) ? target.mid(1) : QStringLiteral("xl/") + target;
            return QDir::cleanPath(path);
        }
    }
    return {};
}

QByteArray requestFullCalculation(const QByteArray& workbookXml, QString* error) {
    // Children of <workbook> that follow calcPr in the schema's sequence.
    static const std::set<QString> after = {"oleSize",        "customWorkbookViews", "pivotCaches",
                                            "smartTagPr",     "smartTagTypes",       "webPublishing",
                                            "fileRecoveryPr", "webPublishObjects",   "extLst"};
    bool done = false;
    QString prefix;
    const QXmlStreamAttributes full = [] {
        QXmlStreamAttributes attributes;
        attributes.append(QStringLiteral("fullCalcOnLoad"), QStringLiteral("1"));
        return attributes;
    }();
    const auto insert = [&](XmlCopier& copier) {
        copier.writer().writeEmptyElement(prefix + QStringLiteral("calcPr"));
        copier.writer().writeAttributes(full);
        done = true;
    };
    return copyWith(
        workbookXml, error,
        [&](XmlCopier& copier, int depth) {
            if (depth == 1) {
                prefix = prefixOf(copier.reader().qualifiedName());
            }
            if (depth != 2 || done) {
                return Handled::no;
            }
            const QString name = copier.local().toString();
            if (name == QLatin1String("calcPr")) {
                copier.copyStart({QStringLiteral("fullCalcOnLoad")}, full);
                done = true;
                return Handled::written;
            }
            if (after.count(name)) {
                insert(copier);
            }
            return Handled::no;
        },
        [&](XmlCopier& copier, int depth) {
            if (depth == 1 && !done) {
                insert(copier);
            }
        });
}

QByteArray dropCalcChainReferences(const QByteArray& xml, QString* error) {
    return copyWith(xml, error, [](XmlCopier& copier, int) {
        const QXmlStreamAttributes attributes = copier.reader().attributes();
        const bool chain = attributes.value(QStringLiteral("Type")).endsWith(u"/calcChain") ||
                           attributes.value(QStringLiteral("PartName")) == u"/xl/calcChain.xml";
        if (!chain) {
            return Handled::no;
        }
        copier.reader().skipCurrentElement();
        return Handled::skipped;
    });
}

} // namespace scalar
