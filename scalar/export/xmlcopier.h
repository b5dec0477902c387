// Copying an XML part token by token, with room for edits on the way: the tool of the .xlsx edits.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <functional>
#include <set>

namespace scalar {

// Element names are compared without their prefix: some writers prefix the main namespace ("x:row").
inline QStringView localName(QStringView qualified) {
    const qsizetype colon = qualified.indexOf(QLatin1Char(':'));
    return colon < 0 ? qualified : qualified.mid(colon + 1);
}

inline QString prefixOf(QStringView qualified) {
    const qsizetype colon = qualified.indexOf(QLatin1Char(':'));
    return colon < 0 ? QString() : qualified.left(colon + 1).toString();
}

// Reads one part and writes it again. Namespace processing is off, so names keep their prefixes and
// namespace declarations pass through as plain attributes.
class XmlCopier {
public:
    explicit XmlCopier(const QByteArray& xml) : reader_(xml), writer_(&out_) {
        reader_.setNamespaceProcessing(false);
    }

    QXmlStreamReader& reader() { return reader_; }
    QXmlStreamWriter& writer() { return writer_; }
    bool next() {
        reader_.readNext();
        return !reader_.atEnd() && !reader_.hasError();
    }
    // With namespace processing off the reader's name() lacks the prefix, so elements are copied by
    // their qualified names here rather than by writeCurrentToken.
    void copy() {
        switch (reader_.tokenType()) {
        case QXmlStreamReader::StartDocument: {
            const QString version = reader_.documentVersion().isEmpty()
                                        ? QStringLiteral("1.0")
                                        : reader_.documentVersion().toString();
            if (reader_.isStandaloneDocument()) {
                writer_.writeStartDocument(version, true);
            } else {
                writer_.writeStartDocument(version);
            }
            break;
        }
        case QXmlStreamReader::StartElement:
            copyStart({});
            break;
        case QXmlStreamReader::EndElement:
            writer_.writeEndElement();
            break;
        default:
            writer_.writeCurrentToken(reader_);
        }
    }
    QStringView local() const { return localName(reader_.qualifiedName()); }

    // The current start element again, without the attributes `drop` names and with `extra` added.
    void copyStart(const std::set<QString>& drop, const QXmlStreamAttributes& extra = {}) {
        writer_.writeStartElement(reader_.qualifiedName().toString());
        for (const QXmlStreamAttribute& attribute : reader_.attributes()) {
            if (!drop.count(attribute.qualifiedName().toString())) {
                writer_.writeAttribute(attribute);
            }
        }
        writer_.writeAttributes(extra);
    }

    QByteArray finish(QString* error) {
        if (reader_.hasError()) {
            if (error) {
                *error = QStringLiteral("XML error at line %1: %2")
                             .arg(reader_.lineNumber())
                             .arg(reader_.errorString());
            }
            return {};
        }
        return out_;
    }

private:
    QXmlStreamReader reader_;
    QByteArray out_;
    QXmlStreamWriter writer_;
};

// What a handler did with a start element.
enum class Handled {
    no,      // copy it as it stands
    written, // the handler wrote the start tag; its content and end follow as usual
    skipped  // the handler consumed the whole element
};

// Copies a part, letting `onStart` handle the start elements it recognises and `beforeEnd` add
// content before an element closes (depth 1 is the root).
QByteArray copyWith(const QByteArray& xml, QString* error,
                    const std::function<Handled(XmlCopier&, int depth)>& onStart,
                    const std::function<void(XmlCopier&, int depth)>& beforeEnd = {});

} // namespace scalar
