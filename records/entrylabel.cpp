#include "records/entrylabel.h"

#include "records/trecdata.h"

#include <QFileInfo>

namespace records {

QString angularStepText(int step) {
    switch (step) {
    case 1:
        return QStringLiteral("0.05");
    case 2:
        return QStringLiteral("0.1");
    case 4:
        return QStringLiteral("0.2");
    case 10:
        return QStringLiteral("0.5");
    default:
        return QString();
    }
}

QString loadedEntryLabel(const trecdata& record) {
    return QFileInfo(record.fileName).fileName() + QStringLiteral(": ") +
           angularStepText(record.angularStep) + QString::asprintf("/%.1f ", record.countingTime / 10.0) +
           QStringLiteral(" [deg/sec]");
}

} // namespace records
