// Token-by-token copy of an XML part.
#include "scalar/export/xmlcopier.h"

namespace scalar {

QByteArray copyWith(const QByteArray& xml, QString* error,
                    const std::function<Handled(XmlCopier&, int depth)>& onStart,
                    const std::function<void(XmlCopier&, int depth)>& beforeEnd) {
    XmlCopier copier(xml);
    int depth = 0;
    while (copier.next()) {
        if (copier.reader().isStartElement()) {
            ++depth;
            const Handled handled = onStart(copier, depth);
            if (handled == Handled::skipped) {
                --depth;
            }
            if (handled != Handled::no) {
                continue;
            }
        } else if (copier.reader().isEndElement()) {
            if (beforeEnd) {
                beforeEnd(copier, depth);
            }
            --depth;
        }
        copier.copy();
    }
    return copier.finish(error);
}

} // namespace scalar
